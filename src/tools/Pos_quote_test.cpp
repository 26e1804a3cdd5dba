#include "tools/Pos_quote_test.h"

#include <algorithm>
#include <cstring>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utx_combo.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Busctrl_steps.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Tick.h"
#include "shell/Formdattxrx.h"
#include "shell/Main.h"
#include "shell/Settings.h"
#include "shell/Toolwin.h"
#include "tools_core/Load_motor_core.h"
#include "tools/Tool_common.h"

PositionTestBackupRec PositionTestBackup;

namespace {

constexpr uint16_t MOTOR_LINEAR = 1;
constexpr uint16_t BUS_MODBUS = 1;
constexpr uint16_t CONTROL_POSITIONER = 3;
constexpr int16_t HOMING_NONE = 0;
constexpr int16_t HOMING_HERE = 35;
constexpr uint16_t QUEUE_ROOM = 4;
constexpr int ROWS_MIN = 2;
constexpr int ROWS_MAX = POS_TABLE_ROWS;
constexpr std::size_t ROW_BYTES = POS_TABLE_COLUMNS * 4;
constexpr int TEST_MS = 10;
constexpr int MONITOR_MS = 30;
constexpr uint32_t ENTER_SETTLE_MS = 200;
constexpr uint32_t TEST_SETTLE_MS = 30;
constexpr uint32_t HOME_RELEASE_MS = 20;
constexpr uint32_t HOME_PRESS_MS = 100;
constexpr int EDIT_WIDTH = 70;
constexpr int WIDE_EDIT_WIDTH = 90;
const char* const NO_VALUE = "-----";

// Drive functions (command 8).
namespace DriveFunc {
constexpr uint8_t Remote = 3;        // 0 takes control, 1 gives it back
constexpr uint8_t Inputs = 4;        // the simulated inputs
constexpr uint8_t PositionTest = 6;  // 1 on, 0 off
}  // namespace DriveFunc

// Table flags (0934h).
namespace TableFlag {
constexpr uint16_t Rows = 0x0007;
constexpr uint16_t Fly = 1u << 3;
constexpr uint16_t Time = 1u << 4;
constexpr uint16_t Trapezoidal = 1u << 5;
}  // namespace TableFlag

// Modbus command word 0300h.
namespace Cmd {
constexpr uint16_t Start = 1u << 4;
constexpr uint16_t JogMinus = 1u << 5;
constexpr uint16_t JogPlus = 1u << 6;
constexpr uint16_t Home = 1u << 7;
constexpr uint16_t Relative = 1u << 8;
}  // namespace Cmd
constexpr uint16_t POSITION_WORD_ENABLE = 1u << 0;  // 0600h bit 0
constexpr uint16_t STATUS_ROW_SHIFT = 9;
constexpr uint16_t STATUS_ROW_MASK = 0x7;
constexpr uint16_t HOME_STATUS_BIT = 1u << 7;  // low byte of the second field-bus status word

// The restore writes, in their order (the control type last).
constexpr std::size_t RESTORE_ORDER[] = {
    PosTestOfs::Target,       PosTestOfs::Acceleration, PosTestOfs::Deceleration, PosTestOfs::Jerk,
    PosTestOfs::PositionNum,  PosTestOfs::PositionDen,  PosTestOfs::VelocityNum,  PosTestOfs::VelocityDen,
    PosTestOfs::AccelNum,     PosTestOfs::AccelDen,     PosTestOfs::HomeOffset,   PosTestOfs::PositionMin,
    PosTestOfs::PositionMax,  PosTestOfs::JogAcc,       PosTestOfs::JogDec,       PosTestOfs::CommandWord,
    PosTestOfs::JogVelocity2, PosTestOfs::JogType,      PosTestOfs::JogVelocity,  PosTestOfs::MaxPosError,
    PosTestOfs::PosErrorTime, PosTestOfs::HomingMethod, PosTestOfs::ControlType,
};

// ---- texts ----
Text3 CAPTION = {"Serie Quote", "Serie Quote", "Serie Quote"};
Text3 POLE_PITCH_ZERO = {"Passo polare 0: test non possibile!", "Pole pitch 0: test not possible!",
                         "Pas polaire 0 : test impossible !"};
Text3 TYPE = {"Tipo", "Type", "Type"};
Text3 JERK_TIME = {"Jerk/Tempo", "Jerk/Time", "Jerk/Temps"};
Text3 FLY = {"Cambia al volo", "Change on the fly", "Modifier à la volée"};
Text3 MON_POSITION = {"Posizione", "Position", "Position"};
Text3 MON_SPEED = {"Velocità", "Velocity", "Vitesse"};
Text3 MON_CURRENT = {"Corrente", "Current", "Courant"};
Text3 MONITOR = {"Monitor Dati", "Data Monitor", "Monit. Données"};
Text3 SETTINGS = {"Pos. Impostazioni", "Position Setting", "Réglage position"};
Text3 ERROR_TIME = {"Tempo Errore", "Time Error", "Temps Erreur"};
Text3 THRESHOLD = {"Margine", "Threshold", "Seuil"};
Text3 ERROR_MAX = {"Errore Pos.", "Pos. Error", "Erreur Pos."};
Text3 JOG_SPEED = {"Vel.", "Speed", "Vit. "};
Text3 JOG_ACC = {"Accel.", "Accel.", "Accél."};
Text3 JOG_DEC = {"Decel.", "Decel.", "Décél."};
Text3 COUNTS_REV = {"Impulsi/giro [Normalizzati]", "Counts/rev [Normalized]", "Impulsions/tour [normalisé]"};
Text3 HINTS[6] = {{"Abilita/disabilita potenza", "Enable/disable power", "Activer/désactiver l'alimentation"},
                  {"Abilita/disabilita test", "Enable/disable test", "Activer / désactiver le test de"},
                  {"Reset Allarmi", "Alarms Reset", "Réinitialis. Alarmes"},
                  {"Velocità jog +", "Speed jog +", "Vitesse jog +"},
                  {"Velocità jog -", "Speed jog -", "Vitesse jog -"},
                  {"Azzera Origine", "Reset Home Position", "Remettre Posit. Initiale"}};
Text3 INSERT = {"Inserisci", "Insert", "Insert"};
Text3 DELETE = {"Cancella", "Delete", "Clear"};
Text3 JERK_TIME_ITEMS[2] = {{"Jerk", "Jerk", "Jerk"}, {"Tempo", "Time", "Temps"}};
Text3 PROFILE_ITEMS[2] = {{"[0] Profilo \"S\"", "[0] Profile \"S\"", "[0] Profil \"S\""},
                          {"[1] Profilo Trap.-Continuo", "[1] Profile Trap.-Continuos", "[1] Profil Trap.-Continu"}};
// Column headers 1-5: name, then the unit (rotary, linear); the last column by flags bit 4.
Text3 COLUMN_NAMES[6] = {{"Posizione", "Position", "Position"}, {"Vel.", "Speed", "Vit. "},
                         {"Accel.", "Accel.", "Accél."},        {"Decel.", "Decel.", "Décél."},
                         {"Jerk", "Jerk", "Jerk"},              {"Tempo", "Time", "Temps"}};
const char* const COLUMN_UNITS[6][2] = {{"[Counts]", "[mm]"},   {"[rpm]", "[[mm/s]"},   {"[rpm/s]", "[mm/s²]"},
                                        {"[rpm/s]", "[mm/s²]"}, {"[rpm/s²]", "[mm/s³]"}, {"[ms]", "[ms]"}};

// ---- record access ----
uint8_t* rec() { return DriveRecordBank[0].b; }
template <typename T>
T get(std::size_t ofs)
{
    return Rec_get<T>(rec(), ofs);
}
template <typename T>
void put(std::size_t ofs, T v)
{
    Rec_set<T>(rec(), ofs, v);
}
void write(std::size_t ofs) { Sertx_write_var_nosave(RecLoc(ofs)); }
template <typename T>
void put_write(std::size_t ofs, T v)
{
    put<T>(ofs, v);
    write(ofs);
}
uint16_t table_flags() { return get<uint16_t>(PosTestOfs::TableFlags); }
std::size_t cell_offset(int row, int column)
{
    return PosTestOfs::Table + static_cast<std::size_t>(row - 1) * ROW_BYTES + static_cast<std::size_t>(column - 1) * 4;
}

// ---- the Modbus command word ----
uint16_t& command_word() { return BusCtrlWord.mdb_ctrl; }
void write_command(uint16_t set, uint16_t clear)
{
    command_word() = static_cast<uint16_t>((command_word() | set) & ~clear);
    Sertx_write_var_ex(LiveLoc::MdbCtrlWord, 0, 0);
}

// ---- the main window's buttons ----
using MainButton = QToolButton* TForm_main::*;
// Sets a main-window toggle and runs its handler.
void main_toggle(MainButton button, void (TForm_main::*handler)(), bool down)
{
    TForm_main* f = Form_main;
    if (f == nullptr || f->*button == nullptr)
        return;
    (f->*button)->setChecked(down);
    (f->*handler)();
}
// A mode button of the Modbus positioner bar: its bit of the command word follows it.
void main_word_button(MainButton button, uint16_t bit, bool down)
{
    TForm_main* f = Form_main;
    if (f != nullptr && f->*button != nullptr) {
        (f->*button)->setChecked(down);
        f->Main_ctrl_word_buttonClick(f->*button);
        return;
    }
    write_command(down ? bit : 0, down ? 0 : bit);
}
bool main_down(MainButton button)
{
    TForm_main* f = Form_main;
    return f != nullptr && f->*button != nullptr && (f->*button)->isChecked();
}
void reset_alarm()
{
    if (!Pos_quote_test_port_usable())
        return;
    if (TForm_main* f = Form_main)
        f->BitBtn_bus_reset_alarmClick();
    else
        Busctrl_fault_reset();
}
void rebuild_pages()
{
    if (TForm_main* f = Form_main) {
        f->Main_rebuild_bus_pages();
        f->RefreshCurrentPage();
    }
}
void wait_queue()
{
    if (Pos_quote_test_port_usable())
        Formdattxrx_wait_queue(QUEUE_ROOM);
}

bool link_ready() { return Ser_link_flags.load() & LinkFlag::Ready; }
bool power_on() { return Drive_status_word() & StatusBit::State5; }


QPushButton* toggle(QWidget* parent, const char* name, const QString& text)
{
    QPushButton* b = Tool_button(parent, name, text);
    b->setCheckable(true);
    return b;
}

// Column 0 of the grid: the row number in navy, centred, and the marker of the active row.
class RowMarkerDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int MarkerRole = Qt::UserRole + 1;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(MarkerRole).toBool())
            return;
        const QRect r = option.rect;
        const int h = std::max(4, r.height() / 2 - 2);
        const QPoint tip(r.right() - 2, r.center().y());
        const QPoint points[3] = {QPoint(tip.x() - h, tip.y() - h), QPoint(tip.x() - h, tip.y() + h), tip};
        painter->save();
        painter->setBrush(bgr(0x00FFFF));
        painter->setPen(QPen(bgr(0x808080)));
        painter->drawPolygon(points, 3);
        painter->setPen(QPen(bgr(0x0000FF)));
        painter->drawLine(points[1], tip);
        painter->restore();
    }
};

}  // namespace

// ---- rules ----

PosTestUnits Pos_quote_test_units()
{
    PosTestUnits u{};
    u.linear = get<uint16_t>(RecOfs::Motor + MotorField::MotorType) == MOTOR_LINEAR;
    if (u.linear) {
        const uint32_t pitch = get<uint32_t>(RecOfs::Motor + MotorField::PolePitch);
        u.position_num = 655360;
        u.position_den = pitch;
        u.factor_num = 6553600;
        u.factor_den = pitch;
    } else {
        u.position_num = 1;
        u.position_den = 1;
        u.factor_num = 16384;
        u.factor_den = 15;
    }
    return u;
}

int Pos_quote_test_rows() { return std::clamp<int>(table_flags() & TableFlag::Rows, ROWS_MIN, ROWS_MAX); }

bool Pos_quote_test_port_usable() { return Ser_port.is_open() && Ser_tx_state.load() == LinkState::Run; }

bool Pos_quote_test_allowed()
{
    const PosTestUnits u = Pos_quote_test_units();
    if (u.linear && u.position_den == 0) {
        Tool_warn(Tool_text(POLE_PITCH_ZERO));
        return false;
    }
    return true;
}

void Pos_quote_test_save()
{
    PositionTestBackupRec& b = PositionTestBackup;
    b.bus_type = get<uint16_t>(PosTestOfs::BusType);
    b.control_type = get<uint16_t>(PosTestOfs::ControlType);
    std::memcpy(b.position_block, rec() + PosTestOfs::Target, sizeof b.position_block);
    b.homing_method = get<int16_t>(PosTestOfs::HomingMethod);
    for (int i = 0; i < 4; ++i)
        b.factors[i] = get<uint32_t>(PosTestOfs::VelocityNum + 4 * static_cast<std::size_t>(i));
    b.max_pos_error = get<int32_t>(PosTestOfs::MaxPosError);
    b.pos_error_time = get<uint16_t>(PosTestOfs::PosErrorTime);
    b.remote = main_down(&TForm_main::SpeedButton_bus_remote) ? 1 : 0;
}

void Pos_quote_test_enter()
{
    Sertx_drive_func(DriveFunc::PositionTest, 0);
    Sertx_drive_func(DriveFunc::Remote, 0);
    Busctrl_write_ctrl_word(0);
    SimInputMask.store(0);
    Sertx_drive_func(DriveFunc::Inputs, 0);

    put_write<uint16_t>(PosTestOfs::BusType, BUS_MODBUS);
    put_write<uint16_t>(PosTestOfs::ControlType, CONTROL_POSITIONER);
    rebuild_pages();
    put_write<int16_t>(PosTestOfs::HomingMethod, HOMING_NONE);

    const PosTestUnits u = Pos_quote_test_units();
    put_write<uint32_t>(PosTestOfs::PositionNum, u.position_num);
    put_write<uint32_t>(PosTestOfs::PositionDen, u.position_den);
    put_write<uint32_t>(PosTestOfs::VelocityNum, u.factor_num);
    put_write<uint32_t>(PosTestOfs::VelocityDen, u.factor_den);
    put_write<uint32_t>(PosTestOfs::AccelNum, u.factor_num);
    put_write<uint32_t>(PosTestOfs::AccelDen, u.factor_den);
    put_write<uint16_t>(PosTestOfs::CommandWord,
                        static_cast<uint16_t>(get<uint16_t>(PosTestOfs::CommandWord) & ~POSITION_WORD_ENABLE));

    const PosTestSettings& s = SettingsBlock.pos_test;
    put_write<int32_t>(PosTestOfs::JogVelocity, s.jog_speed);
    put_write<uint32_t>(PosTestOfs::JogAcc, s.jog_acc);
    put_write<uint32_t>(PosTestOfs::JogDec, s.jog_dec);
    put_write<uint32_t>(PosTestOfs::MaxPosError, s.max_pos_error);
    put_write<uint16_t>(PosTestOfs::PosErrorTime, s.pos_error_time);

    main_toggle(&TForm_main::SpeedButton_bus_remote, &TForm_main::SpeedButton_bus_remoteClick, true);
    reset_alarm();
    wait_queue();
}

void Pos_quote_test_leave()
{
    const PositionTestBackupRec& b = PositionTestBackup;
    Busctrl_write_ctrl_word(0);
    Sertx_drive_func(DriveFunc::PositionTest, 0);
    SimInputMask.store(0);
    Sertx_drive_func(DriveFunc::Inputs, 0);
    if (!b.remote) {
        Sertx_drive_func(DriveFunc::Remote, 1);
        main_toggle(&TForm_main::SpeedButton_bus_remote, &TForm_main::SpeedButton_bus_remoteClick, false);
    }

    std::memcpy(rec() + PosTestOfs::Target, b.position_block, sizeof b.position_block);
    put<int16_t>(PosTestOfs::HomingMethod, b.homing_method);
    for (int i = 0; i < 4; ++i)
        put<uint32_t>(PosTestOfs::VelocityNum + 4 * static_cast<std::size_t>(i), b.factors[i]);
    put<int32_t>(PosTestOfs::MaxPosError, b.max_pos_error);
    put<uint16_t>(PosTestOfs::PosErrorTime, b.pos_error_time);
    put<uint16_t>(PosTestOfs::ControlType, b.control_type);
    for (std::size_t ofs : RESTORE_ORDER)
        write(ofs);

    put<uint16_t>(PosTestOfs::BusType, b.bus_type);
    rebuild_pages();
    write(PosTestOfs::BusType);
    wait_queue();
}

void Pos_quote_test_close()
{
    if (QWidget* w = Toolwin_open(ToolWin::PosQuoteTest)) {
        if (link_ready())
            Formdattxrx_begin_write();  // without a drive no restore is sent to wait for
        delete w;
    }
}

// ---- construction ----

TForm_pos_quote_test::TForm_pos_quote_test(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_pos_quote_test");
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    Timer_test = Tool_timer(this, "Timer_test", TEST_MS);
    Timer_monitor = Tool_timer(this, "Timer_monitor", MONITOR_MS);
    connect(Timer_test, &QTimer::timeout, this, &TForm_pos_quote_test::Timer_testTimer);
    connect(Timer_monitor, &QTimer::timeout, this, &TForm_pos_quote_test::Timer_monitorTimer);
    create_edits();
    const int16_t widths[3] = {140, 198, 90};
    for (int i = 0; i < 3; ++i) {
        panes_[i] = StbarPane{};
        panes_[i].width = widths[i];
        panes_[i].paint = MainStbPanes[i]->paint;
        pane_list_[i] = &panes_[i];
    }
    pane_list_[3] = nullptr;
    stb_ = new Stbarx(PanelPosTestStb, pane_list_, 1);
    Main_attach_bar(TForm_main::BarPosQuoteTest, stb_);
}

void TForm_pos_quote_test::build()
{
    auto* root = new QVBoxLayout(this);
    Panel_service = new QWidget(this);
    Panel_service->setObjectName("Panel_service");
    root->addWidget(Panel_service);

    Panel_ctrl = new QWidget(this);
    Panel_ctrl->setObjectName("Panel_ctrl");
    auto* ctrl = new QHBoxLayout(Panel_ctrl);
    SpeedButton_power_on_off = toggle(Panel_ctrl, "SpeedButton_power_on_off", "Power OFF");
    SpeedButton_test_on_off = toggle(Panel_ctrl, "SpeedButton_test_on_off", "Test OFF");
    BitBtn_pos_test_reset = Tool_button(Panel_ctrl, "BitBtn_pos_test_reset", "Reset");
    SpeedButton_jog_piu = toggle(Panel_ctrl, "SpeedButton_jog_piu", "Jog+");
    SpeedButton_jog_meno = toggle(Panel_ctrl, "SpeedButton_jog_meno", "Jog-");
    BitBtn_set_home = Tool_button(Panel_ctrl, "BitBtn_set_home", "Set H.");
    BitBtn_Close = Tool_button(Panel_ctrl, "BitBtn_Close", QString());
    for (QWidget* w : {static_cast<QWidget*>(SpeedButton_power_on_off), static_cast<QWidget*>(SpeedButton_test_on_off),
                       static_cast<QWidget*>(BitBtn_pos_test_reset), static_cast<QWidget*>(SpeedButton_jog_piu),
                       static_cast<QWidget*>(SpeedButton_jog_meno), static_cast<QWidget*>(BitBtn_set_home)})
        ctrl->addWidget(w);
    ctrl->addStretch(1);
    ctrl->addWidget(BitBtn_Close);
    root->addWidget(Panel_ctrl);

    GroupBox_monitor = new QGroupBox(this);
    GroupBox_monitor->setObjectName("GroupBox_monitor");
    auto* mon = new QGridLayout(GroupBox_monitor);
    Panel_str_posizione = Tool_label(GroupBox_monitor, "Panel_str_posizione");
    Panel_giri = Tool_label(GroupBox_monitor, "Panel_giri", true);
    Panel_offset_giro = Tool_label(GroupBox_monitor, "Panel_offset_giro", true);
    Panel_unit_posizione = Tool_label(GroupBox_monitor, "Panel_unit_posizione");
    Panel_str_velocita = Tool_label(GroupBox_monitor, "Panel_str_velocita");
    Panel_speed = Tool_label(GroupBox_monitor, "Panel_speed", true);
    Panel_unit_velocita = Tool_label(GroupBox_monitor, "Panel_unit_velocita");
    Panel_str_corrente = Tool_label(GroupBox_monitor, "Panel_str_corrente");
    Panel_corr = Tool_label(GroupBox_monitor, "Panel_corr", true);
    Panel_unit_corrente = Tool_label(GroupBox_monitor, "Panel_unit_corrente");
    Panel_unit_corrente->setText("A");
    Panel_str_counts_rev = Tool_label(GroupBox_monitor, "Panel_str_counts_rev");
    Panel_counts_rev = Tool_label(GroupBox_monitor, "Panel_counts_rev", true);
    Panel_counts_rev->setText("65536");
    mon->addWidget(Panel_str_posizione, 0, 0);
    mon->addWidget(Panel_giri, 0, 1);
    mon->addWidget(Panel_offset_giro, 0, 2);
    mon->addWidget(Panel_unit_posizione, 0, 3);
    mon->addWidget(Panel_str_velocita, 1, 0);
    mon->addWidget(Panel_speed, 1, 1, 1, 2);
    mon->addWidget(Panel_unit_velocita, 1, 3);
    mon->addWidget(Panel_str_corrente, 2, 0);
    mon->addWidget(Panel_corr, 2, 1, 1, 2);
    mon->addWidget(Panel_unit_corrente, 2, 3);
    mon->addWidget(Panel_str_counts_rev, 3, 0);
    mon->addWidget(Panel_counts_rev, 3, 1, 1, 2);
    root->addWidget(GroupBox_monitor);

    GroupBox_pos_settings = new QGroupBox(this);
    GroupBox_pos_settings->setObjectName("GroupBox_pos_settings");
    QWidget* g = GroupBox_pos_settings;
    auto* pos = new QVBoxLayout(g);
    auto* options = new QHBoxLayout;
    Panel_str_tipo = Tool_label(g, "Panel_str_tipo");
    ComboBox_type_profilo = new QComboBox(g);
    ComboBox_type_profilo->setObjectName("ComboBox_type_profilo");
    Panel_str_jerk_time = Tool_label(g, "Panel_str_jerk_time");
    ComboBox_jerk_time = new QComboBox(g);
    ComboBox_jerk_time->setObjectName("ComboBox_jerk_time");
    CheckBox_enable_pos_fly = new QCheckBox(g);
    CheckBox_enable_pos_fly->setObjectName("CheckBox_enable_pos_fly");
    FlowPanel_dpos_fly = new FlowPanel("FlowPanel_dpos_fly", g);
    for (QWidget* w : {static_cast<QWidget*>(Panel_str_tipo), static_cast<QWidget*>(ComboBox_type_profilo),
                       static_cast<QWidget*>(Panel_str_jerk_time), static_cast<QWidget*>(ComboBox_jerk_time),
                       static_cast<QWidget*>(CheckBox_enable_pos_fly), static_cast<QWidget*>(FlowPanel_dpos_fly)})
        options->addWidget(w);
    pos->addLayout(options);
    auto* rows = new QHBoxLayout;
    BitBtn_ins = Tool_button(g, "BitBtn_ins", QString());
    BitBtn_canc = Tool_button(g, "BitBtn_canc", QString());
    Panel_numq = Tool_label(g, "Panel_numq", true);
    Panel_numq_max = Tool_label(g, "Panel_numq_max", true);
    for (QWidget* w : {static_cast<QWidget*>(BitBtn_ins), static_cast<QWidget*>(BitBtn_canc),
                       static_cast<QWidget*>(Panel_numq), static_cast<QWidget*>(Panel_numq_max)})
        rows->addWidget(w);
    rows->addStretch(1);
    pos->addLayout(rows);
    StringGrid_pos_dati = new QTableWidget(g);
    StringGrid_pos_dati->setObjectName("StringGrid_pos_dati");
    StringGrid_pos_dati->horizontalHeader()->hide();
    StringGrid_pos_dati->verticalHeader()->hide();
    StringGrid_pos_dati->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid_pos_dati->setSelectionMode(QAbstractItemView::SingleSelection);
    // Cells exist before the first fill: an item set outside the grid is dropped (and lost).
    StringGrid_pos_dati->setColumnCount(POS_TABLE_COLUMNS + 1);
    StringGrid_pos_dati->setRowCount(POS_TABLE_ROWS + 1);
    StringGrid_pos_dati->setItemDelegateForColumn(0, new RowMarkerDelegate(StringGrid_pos_dati));
    StringGrid_pos_dati->setMinimumSize(520, 170);
    pos->addWidget(StringGrid_pos_dati, 1);
    FlowPanel_dat_grid = new FlowPanel("FlowPanel_dat_grid", StringGrid_pos_dati->viewport());
    FlowPanel_dat_grid->setBackgroundRole(QPalette::Base);  // covers the cell's own text
    FlowPanel_dat_grid->setAutoFillBackground(true);
    FlowPanel_dat_grid->hide();
    StringGrid_pos_dati->installEventFilter(this);
    root->addWidget(GroupBox_pos_settings, 1);

    GroupBox_jog = new QGroupBox(this);
    GroupBox_jog->setObjectName("GroupBox_jog");
    auto* jog = new QGridLayout(GroupBox_jog);
    FlowPanel_pos_jog_rif = new FlowPanel("FlowPanel_pos_jog_rif", GroupBox_jog);
    FlowPanel_pos_jog_acc = new FlowPanel("FlowPanel_pos_jog_acc", GroupBox_jog);
    FlowPanel_pos_jog_dec = new FlowPanel("FlowPanel_pos_jog_dec", GroupBox_jog);
    FlowPanel_error_max = new FlowPanel("FlowPanel_error_max", GroupBox_jog);
    FlowPanel_error_time = new FlowPanel("FlowPanel_error_time", GroupBox_jog);
    jog->addWidget(FlowPanel_pos_jog_rif, 0, 0);
    jog->addWidget(FlowPanel_pos_jog_acc, 1, 0);
    jog->addWidget(FlowPanel_pos_jog_dec, 2, 0);
    jog->addWidget(FlowPanel_error_max, 0, 1);
    jog->addWidget(FlowPanel_error_time, 1, 1);
    root->addWidget(GroupBox_jog);

    PanelPosTestStb = new QWidget(this);
    PanelPosTestStb->setObjectName("PanelPosTestStb");
    PanelPosTestStb->setFixedHeight(22);
    root->addWidget(PanelPosTestStb);

    connect(BitBtn_Close, &QPushButton::clicked, this, &TForm_pos_quote_test::BitBtn_CloseClick);
    // A toggle whose command cannot be sent springs back.
    const auto user_toggle = [this](QPushButton* button, void (TForm_pos_quote_test::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, button, handler] {
            if (!Pos_quote_test_port_usable()) {
                button->setChecked(!button->isChecked());
                return;
            }
            (this->*handler)();
        });
    };
    user_toggle(SpeedButton_power_on_off, &TForm_pos_quote_test::SpeedButton_power_on_offClick);
    user_toggle(SpeedButton_jog_piu, &TForm_pos_quote_test::SpeedButton_jog_piuClick);
    user_toggle(SpeedButton_jog_meno, &TForm_pos_quote_test::SpeedButton_jog_menoClick);
    connect(SpeedButton_test_on_off, &QPushButton::clicked, this, &TForm_pos_quote_test::SpeedButton_test_on_offClick);
    connect(BitBtn_pos_test_reset, &QPushButton::clicked, this, &TForm_pos_quote_test::BitBtn_pos_test_resetClick);
    connect(BitBtn_set_home, &QPushButton::clicked, this, &TForm_pos_quote_test::BitBtn_set_homeClick);
    connect(BitBtn_ins, &QPushButton::clicked, this, &TForm_pos_quote_test::BitBtn_insClick);
    connect(BitBtn_canc, &QPushButton::clicked, this, &TForm_pos_quote_test::BitBtn_cancClick);
    connect(CheckBox_enable_pos_fly, &QCheckBox::clicked, this, &TForm_pos_quote_test::CheckBox_enable_pos_flyClick);
    connect(ComboBox_jerk_time, &QComboBox::activated, this, &TForm_pos_quote_test::ComboBox_jerk_timeChange);
    connect(ComboBox_type_profilo, &QComboBox::activated, this, &TForm_pos_quote_test::ComboBox_type_profiloChange);
    connect(StringGrid_pos_dati, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { StringGrid_pos_datiSelectCell(row, column); });
}

void TForm_pos_quote_test::create_edits()
{
    const bool linear = Pos_quote_test_units().linear;
    const uint16_t distance_decimals = linear ? 2 : 0;
    const uint16_t jog_decimals = linear ? 1 : 0;
    PosTestSettings& s = SettingsBlock.pos_test;
    error_time_ = std::make_unique<MemoUpDwx<uint16_t>>(
        FlowPanel_error_time, &s.pos_error_time, 0, 10000, 10, 0, EDIT_WIDTH, 0,
        [](Loc) { put_write<uint16_t>(PosTestOfs::PosErrorTime, SettingsBlock.pos_test.pos_error_time); });
    threshold_ = std::make_unique<MemoUpDwx<int32_t>>(FlowPanel_dpos_fly, RecLoc(PosTestOfs::Threshold), 0, 2147483647,
                                                      0, distance_decimals, WIDE_EDIT_WIDTH, 0, Sertx_write_var);
    error_max_ = std::make_unique<MemoUpDwx<uint32_t>>(
        FlowPanel_error_max, &s.max_pos_error, 0, 2147483647, 1, distance_decimals, WIDE_EDIT_WIDTH, 0,
        [](Loc) { put_write<uint32_t>(PosTestOfs::MaxPosError, SettingsBlock.pos_test.max_pos_error); });
    // The setting is 16 bits wide: the edit stops at 32767.
    jog_speed_ = std::make_unique<MemoUpDwx<int16_t>>(
        FlowPanel_pos_jog_rif, &s.jog_speed, 0, 2147483647, 1, jog_decimals, EDIT_WIDTH, 0,
        [](Loc) { put_write<int32_t>(PosTestOfs::JogVelocity, SettingsBlock.pos_test.jog_speed); });
    jog_acc_ = std::make_unique<MemoUpDwx<uint32_t>>(
        FlowPanel_pos_jog_acc, &s.jog_acc, 0, 2147483647, 1, jog_decimals, EDIT_WIDTH, 0,
        [](Loc) { put_write<uint32_t>(PosTestOfs::JogAcc, SettingsBlock.pos_test.jog_acc); });
    jog_dec_ = std::make_unique<MemoUpDwx<uint32_t>>(
        FlowPanel_pos_jog_dec, &s.jog_dec, 0, 2147483647, 1, jog_decimals, EDIT_WIDTH, 0,
        [](Loc) { put_write<uint32_t>(PosTestOfs::JogDec, SettingsBlock.pos_test.jog_dec); });
}

TForm_pos_quote_test::~TForm_pos_quote_test()
{
    Timer_test->stop();
    Timer_monitor->stop();
    if (shown_) {
        busy_ = true;
        Pos_quote_test_leave();
    }
    cell_.reset();
    threshold_.reset();
    error_max_.reset();
    jog_speed_.reset();
    jog_acc_.reset();
    jog_dec_.reset();
    error_time_.reset();
    Main_detach_bar(TForm_main::BarPosQuoteTest, stb_);
    Stbarx_free(stb_);
    WriteReplyFlag = 1;  // the restore is queued and has drained: a pending close may go on
}

// ---- showing and closing ----

void TForm_pos_quote_test::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        Utx_fit_texts(this);
        FormShow();
    }
}

void TForm_pos_quote_test::closeEvent(QCloseEvent* event)
{
    if (link_ready())
        Formdattxrx_begin_write();  // without a drive no restore is sent to wait for
    event->accept();  // deleted on close: the destructor restores the drive
}

void TForm_pos_quote_test::reject() { close(); }

void TForm_pos_quote_test::BitBtn_CloseClick() { close(); }

void TForm_pos_quote_test::layout_monitor()
{
    const bool linear = Pos_quote_test_units().linear;
    Panel_giri->setVisible(!linear);
    auto* grid = static_cast<QGridLayout*>(GroupBox_monitor->layout());
    grid->removeWidget(Panel_offset_giro);
    if (linear)
        grid->addWidget(Panel_offset_giro, 0, 1, 1, 2);
    else
        grid->addWidget(Panel_offset_giro, 0, 2);
    Panel_str_counts_rev->setVisible(!linear);
    Panel_counts_rev->setVisible(!linear);
}

void TForm_pos_quote_test::FormShow()
{
    Panel_service->hide();
    layout_monitor();
    LinkSeen = link_ready() ? 1 : 0;
    CurrentRow = 0;
    Pos_quote_test_save();
    const int rows = Pos_quote_test_rows();
    Panel_numq_max->setText(QString::number(rows));
    StringGrid_pos_dati->setRowCount(rows + 1);
    busy_ = true;
    Pos_quote_test_enter();
    busy_ = false;
    SpeedButton_test_on_off->setChecked(false);
    SpeedButton_test_on_offClick();
    Pos_quote_test_set_texts();
    show_jog_edits();
    Pos_quote_test_refresh_table();
    if (TForm_main* f = Form_main)
        f->RefreshCurrentPage();
    Timer_test->start();
    Timer_monitor->start();
    Ready = 1;
}

void TForm_pos_quote_test::show_jog_edits()
{
    for (MemoUpDwxBase* e : std::initializer_list<MemoUpDwxBase*>{jog_speed_.get(), jog_acc_.get(), jog_dec_.get(),
                                                                  error_max_.get(), error_time_.get()})
        e->show();
}

// ---- texts ----

void TForm_pos_quote_test::Pos_quote_test_set_texts()
{
    const bool linear = Pos_quote_test_units().linear;
    setWindowTitle(Tool_text(CAPTION));
    Panel_str_tipo->setText(Tool_text(TYPE));
    Panel_str_jerk_time->setText(Tool_text(JERK_TIME));
    CheckBox_enable_pos_fly->setText(Tool_text(FLY));
    Panel_str_posizione->setText(Tool_text(MON_POSITION));
    Panel_str_velocita->setText(Tool_text(MON_SPEED));
    Panel_str_corrente->setText(Tool_text(MON_CURRENT));
    GroupBox_monitor->setTitle(Tool_text(MONITOR));
    GroupBox_pos_settings->setTitle(Tool_text(SETTINGS));
    FlowPanel_error_time->setCaption(Tool_text(ERROR_TIME) + " [ms]");
    const QString distance = linear ? QString(" [mm]") : QString(" [") + "Counts" + "]";
    FlowPanel_dpos_fly->setCaption(Tool_text(THRESHOLD) + distance);
    FlowPanel_error_max->setCaption(Tool_text(ERROR_MAX) + distance);
    Panel_unit_posizione->setText(linear ? "mm" : "Counts");
    Panel_unit_velocita->setText(linear ? "mm/s" : "rpm");
    FlowPanel_pos_jog_rif->setCaption(Tool_text(JOG_SPEED) + (linear ? " [mm/s]" : " [rpm]"));
    FlowPanel_pos_jog_acc->setCaption(Tool_text(JOG_ACC) + (linear ? " [mm/s²]" : " [rpm/s]"));
    FlowPanel_pos_jog_dec->setCaption(Tool_text(JOG_DEC) + (linear ? " [mm/s²]" : " [rpm/s]"));
    Panel_str_counts_rev->setText(Tool_text(COUNTS_REV));
    QWidget* const hinted[6] = {SpeedButton_power_on_off, SpeedButton_test_on_off, BitBtn_pos_test_reset,
                                SpeedButton_jog_piu,      SpeedButton_jog_meno,    BitBtn_set_home};
    for (int i = 0; i < 6; ++i)
        hinted[i]->setToolTip(Tool_text(HINTS[i]));
    BitBtn_Close->setText(Tool_text(TOOL_CLOSE));
    BitBtn_Close->setToolTip(Tool_text(TOOL_CLOSE));
    BitBtn_ins->setText(Tool_text(INSERT));
    BitBtn_ins->setToolTip(Tool_text(INSERT));
    BitBtn_canc->setText(Tool_text(DELETE));
    BitBtn_canc->setToolTip(Tool_text(DELETE));
    const QSignalBlocker quiet_profile(ComboBox_type_profilo);
    const QSignalBlocker quiet_jerk(ComboBox_jerk_time);
    ComboBox_type_profilo->clear();
    for (Text3& t : PROFILE_ITEMS)
        ComboBox_type_profilo->addItem(Tool_text(t));
    ComboBox_jerk_time->clear();
    for (Text3& t : JERK_TIME_ITEMS)
        ComboBox_jerk_time->addItem(Tool_text(t));
}

// ---- the table ----

void TForm_pos_quote_test::Pos_quote_test_draw_grid()
{
    QTableWidget* grid = StringGrid_pos_dati;
    const bool linear = Pos_quote_test_units().linear;
    const uint16_t flags = table_flags();
    const auto cell = [grid](int r, int c) {
        QTableWidgetItem* item = grid->item(r, c);
        if (item == nullptr) {
            item = new QTableWidgetItem;
            grid->setItem(r, c, item);
        }
        return item;
    };
    cell(0, 0)->setText("N°");
    for (int c = 1; c < grid->columnCount(); ++c) {
        const int name = (c == POS_TABLE_COLUMNS && (flags & TableFlag::Time)) ? c : c - 1;
        cell(0, c)->setText(Tool_text(COLUMN_NAMES[name]) + COLUMN_UNITS[name][linear ? 1 : 0]);
        cell(0, c)->setTextAlignment(Qt::AlignCenter);
    }
    for (int r = 1; r < grid->rowCount(); ++r) {
        QTableWidgetItem* number = cell(r, 0);
        number->setText(QString::number(r));
        number->setTextAlignment(Qt::AlignCenter);
        number->setForeground(bgr(0x800000));
        number->setData(RowMarkerDelegate::MarkerRole, r == CurrentRow);
        for (int c = 1; c < grid->columnCount(); ++c) {
            const std::size_t ofs = cell_offset(r, c);
            QString text;
            if (c == 1) {
                const int32_t v = get<int32_t>(ofs);
                text = linear ? Graph_format_float("0.00", v * 0.01) : QString::number(v);
            } else {
                const uint32_t v = get<uint32_t>(ofs);
                text = linear ? Graph_format_float("0.0", v * 0.1) : QString::number(v);
            }
            cell(r, c)->setText(text);
            cell(r, c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    Panel_numq->setText(QString::number(CurrentRow));
}

void TForm_pos_quote_test::Pos_quote_test_apply_profile()
{
    QTableWidget* grid = StringGrid_pos_dati;
    const int columns = (table_flags() & TableFlag::Trapezoidal) ? POS_TABLE_COLUMNS : POS_TABLE_COLUMNS + 1;
    grid->setColumnCount(columns);
    spread_columns();
    Pos_quote_test_draw_grid();
    grid->setCurrentCell(1, 1);
    Pos_quote_test_place_editor(1, 1);
}

void TForm_pos_quote_test::Pos_quote_test_place_editor(int row, int column)
{
    QTableWidget* grid = StringGrid_pos_dati;
    if (grid->currentRow() != row || grid->currentColumn() != column)
        return;
    // Only rows in use and columns shown: a row past the table would write the fields after it.
    if (row < 1 || row > Pos_quote_test_rows() || column < 1 || column >= grid->columnCount())
        return;
    const bool linear = Pos_quote_test_units().linear;
    const uint16_t decimals = linear ? (column == 1 ? 2 : 1) : 0;
    const double min = column == 1 ? -2147483648.0 : 1;
    cell_.reset();
    cell_ = std::make_unique<MemoUpDwx<int32_t>>(FlowPanel_dat_grid, RecLoc(cell_offset(row, column)), 0, 2147483647, min,
                                                 decimals, EDIT_WIDTH, 0, [this](Loc field) {
                                                     Sertx_write_var(field);
                                                     Pos_quote_test_draw_grid();
                                                 });
    cell_row_ = row;
    cell_column_ = column;
    cover_cell();
    FlowPanel_dat_grid->show();
    FlowPanel_dat_grid->raise();
    cell_->show();
    cell_->memo()->setFocus();
}

// Every column after the first as wide as the grid, less the first column and 30, allows.
void TForm_pos_quote_test::spread_columns()
{
    QTableWidget* grid = StringGrid_pos_dati;
    const int columns = grid->columnCount();
    if (columns < 2)
        return;
    const int width = (grid->width() - grid->columnWidth(0) - 30) / (columns - 1);
    for (int c = 1; c < columns; ++c)
        grid->setColumnWidth(c, std::max(width, 40));
}

// The editor's panel over the cell it edits.
void TForm_pos_quote_test::cover_cell()
{
    QTableWidget* grid = StringGrid_pos_dati;
    if (QTableWidgetItem* item = grid->item(cell_row_, cell_column_))
        FlowPanel_dat_grid->setGeometry(grid->visualItemRect(item));
}

bool TForm_pos_quote_test::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid_pos_dati && event->type() == QEvent::Resize) {
        spread_columns();
        cover_cell();
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_pos_quote_test::StringGrid_pos_datiSelectCell(int row, int column) { Pos_quote_test_place_editor(row, column); }

void TForm_pos_quote_test::Pos_quote_test_refresh_table()
{
    Ready = 0;
    const uint16_t flags = table_flags();
    Pos_quote_test_draw_grid();
    threshold_->show();
    ComboBox_type_profilo->setCurrentIndex((flags & TableFlag::Trapezoidal) ? 1 : 0);
    ComboBox_jerk_time->setCurrentIndex((flags & TableFlag::Time) ? 1 : 0);
    CheckBox_enable_pos_fly->setChecked(flags & TableFlag::Fly);
    Pos_quote_test_apply_profile();
    Ready = 1;
}

void TForm_pos_quote_test::write_flags() { Sertx_write_var(RecLoc(PosTestOfs::TableFlags)); }

void TForm_pos_quote_test::set_flag_bit(uint16_t bit, bool on)
{
    const uint16_t flags = table_flags();
    put<uint16_t>(PosTestOfs::TableFlags, static_cast<uint16_t>(on ? (flags | bit) : (flags & ~bit)));
}

void TForm_pos_quote_test::set_rows(int rows)
{
    put<uint16_t>(PosTestOfs::TableFlags, static_cast<uint16_t>((table_flags() & ~TableFlag::Rows) | rows));
    StringGrid_pos_dati->setRowCount(rows + 1);
    Pos_quote_test_draw_grid();
    Panel_numq_max->setText(QString::number(rows));
    write_flags();
}

void TForm_pos_quote_test::BitBtn_insClick()
{
    const int rows = Pos_quote_test_rows();
    if (rows < ROWS_MAX)
        set_rows(rows + 1);
}

void TForm_pos_quote_test::BitBtn_cancClick()
{
    const int rows = Pos_quote_test_rows();
    if (rows > ROWS_MIN)
        set_rows(rows - 1);
}

void TForm_pos_quote_test::CheckBox_enable_pos_flyClick()
{
    if (!Ready)
        return;
    set_flag_bit(TableFlag::Fly, CheckBox_enable_pos_fly->isChecked());
    write_flags();
}

void TForm_pos_quote_test::ComboBox_jerk_timeChange(int index)
{
    if (!Ready || index < 0)
        return;
    set_flag_bit(TableFlag::Time, index == 1);
    Pos_quote_test_draw_grid();
    Pos_quote_test_place_editor(StringGrid_pos_dati->currentRow(), StringGrid_pos_dati->currentColumn());
    write_flags();
}

void TForm_pos_quote_test::ComboBox_type_profiloChange(int index)
{
    if (!Ready || index < 0)
        return;
    set_flag_bit(TableFlag::Trapezoidal, index == 1);
    Pos_quote_test_apply_profile();
    write_flags();
}

// ---- commands ----

void TForm_pos_quote_test::set_power(bool down)
{
    SpeedButton_power_on_off->setChecked(down);
    SpeedButton_power_on_offClick();
}

void TForm_pos_quote_test::SpeedButton_power_on_offClick()
{
    if (!Pos_quote_test_port_usable())
        return;
    const bool down = SpeedButton_power_on_off->isChecked();
    SpeedButton_power_on_off->setText(down ? "Power ON" : "Power OFF");
    main_toggle(&TForm_main::SpeedButton_bus_power, &TForm_main::SpeedButton_bus_powerClick, down);
    main_toggle(&TForm_main::SpeedButton_bus_operative, &TForm_main::SpeedButton_bus_operativeClick, down);
    write_command(0, Cmd::Start);
    if (SpeedButton_test_on_off->isChecked()) {
        Sertx_drive_func(DriveFunc::PositionTest, 1);
        SpeedButton_test_on_off->setText("Test ON");
    }
}

void TForm_pos_quote_test::SpeedButton_test_on_offClick()
{
    const bool down = SpeedButton_test_on_off->isChecked();
    if (Pos_quote_test_port_usable()) {
        if (down) {
            main_word_button(&TForm_main::SpeedButton_mdb_pos_ass_relativ, Cmd::Relative, false);
            main_word_button(&TForm_main::SpeedButton_mdb_pos_start_quota, Cmd::Start, false);
            Sertx_drive_func(DriveFunc::PositionTest, 1);
            SpeedButton_test_on_off->setText("Test ON");
            Sleep_ms(TEST_SETTLE_MS);
        } else {
            Sertx_drive_func(DriveFunc::PositionTest, 0);
            main_word_button(&TForm_main::SpeedButton_mdb_pos_start_quota, Cmd::Start, false);
            SpeedButton_test_on_off->setText("Test OFF");
        }
    }
    for (QWidget* w : {SpeedButton_jog_piu, SpeedButton_jog_meno, BitBtn_set_home})
        w->setEnabled(!down);
}

void TForm_pos_quote_test::BitBtn_pos_test_resetClick() { reset_alarm(); }

void TForm_pos_quote_test::jog(QPushButton* button, uint16_t bit, uint16_t other)
{
    if (!Pos_quote_test_port_usable())
        return;
    if (button->isChecked()) {
        QPushButton* partner = button == SpeedButton_jog_piu ? SpeedButton_jog_meno : SpeedButton_jog_piu;
        partner->setChecked(false);
        write_command(bit, other);
    } else {
        write_command(0, bit);
    }
}

void TForm_pos_quote_test::release_jog(QPushButton* button, uint16_t bit)
{
    button->setChecked(false);
    write_command(0, bit);
}

void TForm_pos_quote_test::SpeedButton_jog_piuClick() { jog(SpeedButton_jog_piu, Cmd::JogPlus, Cmd::JogMinus); }

void TForm_pos_quote_test::SpeedButton_jog_menoClick() { jog(SpeedButton_jog_meno, Cmd::JogMinus, Cmd::JogPlus); }

void TForm_pos_quote_test::Pos_quote_test_set_home()
{
    if (!Pos_quote_test_port_usable())
        return;
    put_write<int16_t>(PosTestOfs::HomingMethod, HOMING_HERE);
    if (main_down(&TForm_main::SpeedButton_mdb_set_home) || (Drive_status_get().bus_second & HOME_STATUS_BIT)) {
        main_word_button(&TForm_main::SpeedButton_mdb_set_home, Cmd::Home, false);
        Sleep_ms(HOME_RELEASE_MS);
    }
    release_jog(SpeedButton_jog_piu, Cmd::JogPlus);
    release_jog(SpeedButton_jog_meno, Cmd::JogMinus);
    main_word_button(&TForm_main::SpeedButton_mdb_set_home, Cmd::Home, true);
    Sleep_ms(HOME_PRESS_MS);
    put_write<int16_t>(PosTestOfs::HomingMethod, HOMING_NONE);
    main_word_button(&TForm_main::SpeedButton_mdb_set_home, Cmd::Home, false);
}

void TForm_pos_quote_test::BitBtn_set_homeClick()
{
    Pos_quote_test_set_home();
    CurrentRow = 0;
    Pos_quote_test_draw_grid();
}

// ---- ticks ----

void TForm_pos_quote_test::Timer_testTimer()
{
    if (busy_)
        return;  // the set-up's queue wait runs an event loop
    const bool up = link_ready();
    if (up && !LinkSeen) {
        if (Ser_data_flags.load() & DataFlag::ListReads) {
            LinkSeen = 1;
            busy_ = true;
            Pos_quote_test_enter();
            Sleep_ms(ENTER_SETTLE_MS);
            busy_ = false;
            if (power_on())
                set_power(false);
        }
    } else if (!up && LinkSeen) {
        LinkSeen = 0;
        if (SpeedButton_power_on_off->isChecked())
            set_power(false);
    }
    const bool locked = power_on();
    Tool_enable(ComboBox_type_profilo, !locked);
    Graph_set_text_colour(Panel_str_tipo, locked ? palette().color(QPalette::Inactive, QPalette::WindowText).lighter()
                                                 : palette().color(QPalette::WindowText));
    const uint16_t row = (Drive_status_word() >> STATUS_ROW_SHIFT) & STATUS_ROW_MASK;
    if (row != CurrentRow) {
        CurrentRow = row;
        Pos_quote_test_draw_grid();
    }
}

void TForm_pos_quote_test::Timer_monitorTimer() { Pos_quote_test_show_monitor(); }

void TForm_pos_quote_test::Pos_quote_test_show_monitor()
{
    if (!link_ready()) {
        for (QLabel* l : {Panel_corr, Panel_speed, Panel_giri, Panel_offset_giro})
            l->setText(NO_VALUE);
        return;
    }
    const Drive_status s = Drive_status_get();
    Panel_corr->setText(Graph_format_float("0.00", s.current * 0.01));
    if (Pos_quote_test_units().linear) {
        Panel_speed->setText(Graph_format_float("0.0", s.speed * 0.1));
        const int64_t position = static_cast<int64_t>(s.turns) * 65536 + s.turn_pos;
        Panel_offset_giro->setText(Graph_format_float("0.00", static_cast<double>(position) * 0.01));
    } else {
        Panel_speed->setText(QString::number(s.speed));
        Panel_giri->setText(QString::number(s.turns));
        Panel_offset_giro->setText(QString::number(s.turn_pos));
    }
}
