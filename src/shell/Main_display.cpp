// Main window display timer: follows the link's transitions (first answer, whole image read, drive
// lost, port closed), the alarm headline, the "Monitor Dati" panels, the input and output LED
// images and the status bars of the other windows. Everything is redrawn only when it differs from
// what was shown last (StatusShown and the display state of the window).
#include <cstring>

#include <QAbstractButton>
#include <QAction>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMetaMethod>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "controls/Graph_draw.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Flash_progress.h"
#include "link/Scope_link.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Tick.h"
#include "scope_core/Oscx_signals_core.h"
#include "shell/Allarmi.h"
#include "shell/Linkwait.h"
#include "shell/Main.h"
#include "shell/Main_display.h"
#include "shell/Main_files.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"
#include "shell/Terminal.h"
#include "shell/Toolwin.h"
#include "shell/Treectrl.h"

namespace {

constexpr uint32_t BLINK_MS = 500;
constexpr uint32_t FLASH_SECOND_MS = 1000;
constexpr uint32_t LINK_WAIT_MS = 5000;
const QString NO_VALUE = QStringLiteral("-----");

using MainDisplay::list_reads_on;
using MainDisplay::rec_u16;

bool link_running() { return Ser_tx_state.load() == LinkState::Run; }
bool drive_answers() { return Ser_link_flags.load() & LinkFlag::Answers; }

void set_link_bits(uint8_t bits, bool on)
{
    if (on)
        Ser_link_flags.fetch_or(bits);
    else
        Ser_link_flags.fetch_and(static_cast<uint8_t>(~bits));
}
void set_data_bits(uint8_t bits, bool on)
{
    if (on)
        Ser_data_flags.fetch_or(bits);
    else
        Ser_data_flags.fetch_and(static_cast<uint8_t>(~bits));
}

bool linear_motor() { return rec_u16(RecOfs::MotorType) == 1; }
uint8_t voltage_class() { return static_cast<uint8_t>(rec_u16(RecOfs::VoltageClass) & 3); }

// Headline of the system-state window.
void headline(uint32_t colour, const QString& text)
{
    if (!Form_allarmi || !Form_allarmi->Panel_alarm)
        return;
    QLabel* label = Form_allarmi->Panel_alarm;
    Graph_set_text_colour(label, bgr(colour));
    label->setText(text);
}

void set_text(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

// True when something handles the command: a command whose work is not built yet stays disabled.
// (QObject::isSignalConnected is protected; a derived class may name it for any QObject.)
struct SignalProbe : QObject {
    static bool connected(const QObject* o, const QMetaMethod& signal)
    {
        return (o->*(&SignalProbe::isSignalConnected))(signal);
    }
};
// A command of the image-read step is offered when it has a handler and the work it needs exists.
void enable_if_handled(QObject* command, const QMetaMethod& signal, bool work_exists)
{
    if (!command || !work_exists || !SignalProbe::connected(command, signal))
        return;
    if (auto* action = qobject_cast<QAction*>(command))
        action->setEnabled(true);
    else if (auto* widget = qobject_cast<QWidget*>(command))
        widget->setEnabled(true);
}

void enable_image_commands(TForm_main& f)
{
    const QMetaMethod triggered = QMetaMethod::fromSignal(&QAction::triggered);
    const QMetaMethod clicked = QMetaMethod::fromSignal(&QAbstractButton::clicked);
    const bool print = PrintDriveData_available();
    enable_if_handled(f.BitBtn_preview, clicked, print);
    enable_if_handled(f.Menu_AnteprimadiStampa, triggered, print);
    enable_if_handled(f.BitBtn_print, clicked, print);
    enable_if_handled(f.Menu_Stampa, triggered, print);
    enable_if_handled(f.BitBtn_salva_dati_drive, clicked, true);
    enable_if_handled(f.BitBtn_salva_dati_motor, clicked, true);
    enable_if_handled(f.Menu_Salva_Drive, triggered, true);
    enable_if_handled(f.Menu_Salva_Motore, triggered, true);
    enable_if_handled(f.BitBtn_oscx, clicked, Toolwin_available(ToolWin::Oscx));
}

// p = turns x 65536 + position within the turn, as a signed 32-bit value.
int32_t linear_position(int16_t turns, uint16_t turn_pos)
{
    const int64_t wide = static_cast<int64_t>(turns) * 65536 + turn_pos;
    return static_cast<int32_t>(static_cast<uint32_t>(wide));
}

// Drive size text of the current family's table: the row's text and " [voltage]".
QString size_text(uint8_t size_index, uint8_t vclass)
{
    static const char* const VOLTS_FIRST[] = {"60 V"};
    static const char* const VOLTS_SECOND[] = {"230 V", "460 V"};
    const DriveSizeTable& table = CurrentSizeTable;
    if (!table.src || size_index >= table.count)
        return NO_VALUE;
    const DriveSizeRow& row = table.src[size_index];
    QString text = QString::fromUtf8(row.name, static_cast<qsizetype>(strnlen(row.name, sizeof row.name)));
    const bool second = Settings_second_family();
    const unsigned volts = second ? 2 : 1;
    if (vclass < volts)
        text += " [" + QString(second ? VOLTS_SECOND[vclass] : VOLTS_FIRST[vclass]) + "]";
    return text;
}

// ---- monitor values ----

void complement_values(const Drive_status& st)
{
    StatusShown.speed = ~st.speed;
    StatusShown.current = static_cast<int16_t>(~st.current);
    StatusShown.turns = static_cast<int16_t>(~st.turns);
    StatusShown.turn_pos = static_cast<uint16_t>(~st.turn_pos);
    StatusShown.heat_sink = static_cast<int16_t>(~st.heat_sink);
    StatusShown.voltage = static_cast<int16_t>(~st.voltage);
}

void show_size(TForm_main& f)
{
    const uint8_t size_index = DriveRecordBank[0].b[RecOfs::SizeIndex];
    const uint8_t vclass = voltage_class();
    if ((size_index == f.SizeShown[0] && vclass == f.SizeShown[1]) || !list_reads_on())
        return;
    f.SizeShown[0] = size_index;
    f.SizeShown[1] = vclass;
    set_text(f.Panel_taglia_drive, size_text(size_index, vclass));
}

void show_position(TForm_main& f, const Drive_status& st, bool linear)
{
    const bool turns_changed = st.turns != StatusShown.turns;
    const bool pos_changed = st.turn_pos != StatusShown.turn_pos;
    if (!turns_changed && !pos_changed)
        return;
    const int32_t p = linear_position(st.turns, st.turn_pos);
    StatusShown.turns = st.turns;
    StatusShown.turn_pos = st.turn_pos;
    if (linear) {
        set_text(f.Panel_offset_giro, Graph_format_float("0.00", p * 0.01));
        return;
    }
    if (turns_changed)
        set_text(f.Panel_giri, QString::number(st.turns));
    if (pos_changed)
        set_text(f.Panel_offset_giro, QString::number(st.turn_pos));
    set_text(f.Panel_pos_mis, QString::number(p));
}

void monitor_values(TForm_main& f, uint8_t mode, const Drive_status& st)
{
    if (mode == 0) {
        f.Main_monitor_layout();
        for (QLabel* l : {f.Panel_taglia_drive, f.Panel_speed, f.Panel_corr, f.Panel_giri, f.Panel_offset_giro,
                          f.Panel_radtemp, f.Panel_pos_mis})
            set_text(l, NO_VALUE);
        complement_values(st);
        return;
    }
    if (mode == 1) {
        f.SizeShown[0] = static_cast<uint8_t>(~DriveRecordBank[0].b[RecOfs::SizeIndex]);
        f.SizeShown[1] = static_cast<uint8_t>(~voltage_class());
        complement_values(st);
    }
    show_size(f);
    const bool linear = linear_motor();
    if (st.speed != StatusShown.speed) {
        StatusShown.speed = st.speed;
        set_text(f.Panel_speed, linear ? Graph_format_float("0.0", st.speed * 0.1) : QString::number(st.speed));
    }
    if (st.current != StatusShown.current) {
        StatusShown.current = st.current;
        set_text(f.Panel_corr, Graph_format_float("0.00", st.current * 0.01));
    }
    show_position(f, st, linear);
    if (st.heat_sink != StatusShown.heat_sink) {
        StatusShown.heat_sink = st.heat_sink;
        set_text(f.Panel_radtemp, Graph_format_float("0.0", st.heat_sink * 0.1));
    }
    if (st.voltage != StatusShown.voltage) {
        StatusShown.voltage = st.voltage;
        Stbarx_repaint_pane(MainStb, TForm_main::MAIN_PANE_DC_BUS);
    }
}

// ---- link transitions ----

void repaint_main_bar()
{
    if (MainStb)
        Stbarx_repaint(MainStb);
}

void repaint_other(TForm_main& f, TForm_main::OtherBar bar, uint16_t pane)
{
    if (Stbarx* b = f.OtherStb[bar])
        Stbarx_repaint_pane(b, pane);
}

// Toggles the link-error blink phase every 500 ms: "COM - ER" and empty in turn.
void blink_link_error(TForm_main& f)
{
    const uint32_t now = Tick_ms();
    if (Tick_diff(now, f.BlinkErrorMs) <= BLINK_MS)
        return;
    f.BlinkErrorMs = now;
    const bool on = !(Ser_link_flags.fetch_xor(LinkUiFlag::ErrorBlink) & LinkUiFlag::ErrorBlink);
    Stbarx_repaint_pane(MainStb, TForm_main::MAIN_PANE_LINK);
    f.Main_repaint_other_bars();
    headline(0x0000FF, on ? "COM - ER" : "");
}

void show_baud(TForm_main& f, bool boot)
{
    const uint32_t baud = Ser_baud.load();
    if (baud == f.BaudShown)
        return;
    f.BaudShown = baud;
    Stbarx_repaint_pane(MainStb, TForm_main::MAIN_PANE_LINK);
    if (boot)
        repaint_other(f, TForm_main::BarFlash, 0);
    else
        f.Main_repaint_other_bars();
}

// The page open in the main window, and the pop-up's, after a new image: the bus pages follow the
// image's bus type. A page whose node goes with the old bus pages is left for the first node first.
void refresh_pages_after_image(TForm_main& f)
{
    if (CurrentPageNode[0]) {
        f.Main_rebuild_bus_pages();
        PageNode* node = CurrentPageNode[0];
        if (node && node->PageRefresh) {
            if (node->PageSetLanguage)
                node->PageSetLanguage(0);
            node->PageRefresh(0);
        }
    }
    PageNode* popup = Main_popup_page();
    if (popup && PageContext.load() == 0 && popup->PageRefresh) {
        if (popup->PageSetLanguage)
            popup->PageSetLanguage(0);
        popup->PageRefresh(0);
    }
}

void image_read(TForm_main& f, const Drive_status& st)
{
    f.Main_family_from_drive();
    std::memcpy(DriveReadBack.b, DriveRecordBank[0].b, DRIVE_RECORD_SIZE);
    DriveSizeRead = {DriveRecordBank[0].b[RecOfs::SizeIndex], voltage_class()};
    FlashModeFlags.fetch_or(FlashModeFlag::DriveKnown);
    enable_image_commands(f);
    StatusShown.status_word = static_cast<uint16_t>(~st.status_word);
    refresh_pages_after_image(f);
    set_data_bits(DataFlag::ImageRead, false);
    set_data_bits(DataFlag::ListReads, true);
    f.Main_monitor_layout();
    monitor_values(f, 1, st);
    UpdateEditState(EditMode::Force);
    Main_draw_io_status(f, 1, st);
    Oscx_set_apply_scales();
    repaint_main_bar();
    f.Main_repaint_other_bars();
}

void alarm_headline(TForm_main& f, const Drive_status& st)
{
    if (st.alarm_word != 0) {
        set_data_bits(DataUiFlag::AlarmShown, true);
        const uint32_t now = Tick_ms();
        if (Tick_diff(now, f.BlinkAlarmMs) <= BLINK_MS)
            return;
        f.BlinkAlarmMs = now;
        const bool on = !(Ser_link_flags.fetch_xor(LinkUiFlag::AlarmBlink) & LinkUiFlag::AlarmBlink);
        f.Main_repaint_other_bars();
        Stbarx_repaint_pane(MainStb, TForm_main::MAIN_PANE_DRIVE);
        headline(0x0000FF, on ? Stbarcmx_alarm_word() : QString());
    } else if (Ser_data_flags.load() & DataUiFlag::AlarmShown) {
        set_data_bits(DataUiFlag::AlarmShown, false);
        f.Main_repaint_other_bars();
        Stbarx_repaint_pane(MainStb, TForm_main::MAIN_PANE_DRIVE);
        headline(0x008000, "DRIVE - OK");
    }
}

void drive_answering(TForm_main& f, const Drive_status& st)
{
    if (!(Ser_link_flags.load() & LinkUiFlag::AnswerShown)) {
        set_link_bits(LinkUiFlag::AnswerShown, true);
        repaint_main_bar();
        f.Main_repaint_other_bars();
        headline(0x008000, "DRIVE - OK");
    }
    if ((st.status_word ^ StatusShown.status_word) & StatusBit::Boot) {
        StatusShown.status_word = static_cast<uint16_t>((StatusShown.status_word & ~StatusBit::Boot) |
                                                        (st.status_word & StatusBit::Boot));
        f.Main_repaint_other_bars();
        Stbarx_repaint_pane(MainStb, TForm_main::MAIN_PANE_DRIVE);
    }
    if (!(Ser_link_flags.load() & LinkFlag::Ready))
        return;
    set_link_bits(LinkUiFlag::ReadyShown, true);
    f.UpdateCommandButtons(1);
    f.Main_bus_enable_step();
    const uint8_t df = Ser_data_flags.load();
    if (df & DataFlag::ImageRead) {
        image_read(f, st);
    } else if (df & DataFlag::ListReads) {
        Main_check_data_modified();
        Main_draw_io_status(f, 2, st);
        UpdateEditState(EditMode::OnChange);
        monitor_values(f, 2, st);
    }
    alarm_headline(f, st);
}

void drive_silent(TForm_main& f, const Drive_status& st)
{
    if (Ser_link_flags.load() & (LinkUiFlag::ReadyShown | LinkUiFlag::AnswerShown)) {
        set_link_bits(LinkUiFlag::ReadyShown | LinkUiFlag::AnswerShown, false);
        f.Main_close_drive_dialogs();
        repaint_main_bar();
        f.Main_repaint_other_bars();
        monitor_values(f, 0, st);
        Main_draw_io_status(f, 0, st);
        UpdateEditState(EditMode::Reset);
        repaint_other(f, TForm_main::BarPosQuoteTest, 1);
        if (f.BitBtn_oscx)
            f.BitBtn_oscx->setEnabled(false);
        set_data_bits(DataUiFlag::AlarmShown, false);
        f.Main_repaint_other_bars();
        repaint_main_bar();
    }
    blink_link_error(f);
}

void port_closed(TForm_main& f, const Drive_status& st)
{
    f.Main_close_drive_dialogs();
    set_link_bits(LinkFlag::Answers | LinkUiFlag::AnswerShown | LinkFlag::Connect | LinkFlag::Ready |
                      LinkUiFlag::ReadyShown,
                  false);
    set_data_bits(DataFlag::ListReads, false);
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Modified));
    if (f.BitBtn_oscx)
        f.BitBtn_oscx->setEnabled(false);
    repaint_main_bar();
    f.Main_repaint_other_bars();
    monitor_values(f, 0, st);
    Main_draw_io_status(f, 0, st);
    headline(0x000000, "COM - OFF");
    Allarmi_clear_list();
    Main_status_shown_invalidate();
    UpdateEditState(EditMode::Reset);
    set_data_bits(DataFlag::ImageRead, false);
}

}  // namespace

// ---- display timer ----

void TForm_main::Timer_comTimer()
{
    Timer_com->stop();
    Serrx_take_records();
    UpdateMainDisplay();
    TerminalRefresh();
    TerminalUpdateRate();
    if (Seriale_poll_ports(Tick_ms()))
        Main_fill_port_box();
    CompleteDeferredClose();
    Flashctrl_poll_file();  // also before a file is loaded: its first poll loads the settings' file
    Main_close_e2p_chks_if_lost();
    Main_close_e2p_offset_if_lost();
    Main_show_link_wait();
    Main_print_ask_step();
    if (isVisible())  // a deferred close carried out in this tick ends the display
        Timer_com->start();
}

void TForm_main::UpdateMonitorNormal()
{
    const Drive_status st = Drive_status_get();
    if (link_running()) {
        if (drive_answers())
            drive_answering(*this, st);
        else
            drive_silent(*this, st);
        show_baud(*this, false);
    } else if (Ser_link_flags.load() & LinkFlag::Connect) {
        port_closed(*this, st);
    }
    UpdateDriveStateIndex();
}

void TForm_main::UpdateMonitorBoot()
{
    if (link_running()) {
        if (drive_answers()) {
            if (!(Ser_link_flags.load() & LinkUiFlag::AnswerShown)) {
                headline(0x008000, "DRIVE - OK");
                set_link_bits(LinkUiFlag::AnswerShown, true);
                Stbarx_repaint_pane(MainStb, MAIN_PANE_LINK);
                Main_repaint_other_bars();
            }
        } else {
            set_link_bits(LinkUiFlag::AnswerShown, false);
            blink_link_error(*this);
        }
        if (FlashPhase.load() == FLASH_PHASE_WRITE &&
            Tick_diff(Tick_ms(), FlashSecondStamp.load()) > FLASH_SECOND_MS) {
            FlashSecondStamp.fetch_add(FLASH_SECOND_MS);
            FlashElapsedSeconds.fetch_add(1);
            Stbarx_repaint_pane(MainStb, MAIN_PANE_STATE);
            repaint_other(*this, BarFlash, 2);
        }
        show_baud(*this, true);
    } else {
        set_link_bits(LinkUiFlag::AnswerShown, false);
    }
    const FlashProgressRec p = Flash_progress_get();
    if (p.position != FlashCountShown) {
        FlashCountShown = p.position;
        Flashsh7047_draw_buf_bar(p.maximum, p.position, p.bar_colour);
        Stbarx_repaint_pane(MainStb, MAIN_PANE_DRIVE);
        Stbarx_repaint_pane(TerminalStb, 1);
    }
}

// ---- monitor panels ----

void TForm_main::Main_monitor_layout()
{
    static const char* const POS_ROTARY[3] = {"Posizione (Giri/Offset)", "Position (Rev/Offset)",
                                              "Position (Tours/Offset)"};
    static const char* const POS_LINEAR[3] = {"Posizione", "Position", "Position"};
    const bool linear = linear_motor();
    if (auto* row = qobject_cast<QBoxLayout*>(Panel_pos_giri_offset_mis ? Panel_pos_giri_offset_mis->layout()
                                                                          : nullptr)) {
        // Linear: the value takes the width of both fields, the unit stays at the right edge.
        row->setStretchFactor(Panel_giri, 1);
        row->setStretchFactor(Panel_offset_giro, linear ? 2 : 1);
        row->setStretchFactor(Panel_pos_unit_mis, 0);
    }
    Panel_giri->setVisible(!linear);
    Panel_vel_unit_mis->setText(linear ? "mm/s" : "rpm");
    GroupBox_pos_mis->setTitle(QString::fromUtf8((linear ? POS_LINEAR : POS_ROTARY)[Lang_index()]));
    Panel_pos_unit_mis->setText(linear ? "mm" : "Counts");
    Panel_pos_mis_var->setVisible(!linear);
    const Drive_status st = Drive_status_get();
    StatusShown.speed = ~st.speed;
    StatusShown.turns = static_cast<int16_t>(~st.turns);
    StatusShown.turn_pos = static_cast<uint16_t>(~st.turn_pos);
}

void TForm_main::Main_monitor_values(uint8_t mode) { monitor_values(*this, mode, Drive_status_get()); }

// ---- other windows ----

void TForm_main::Main_repaint_other_bars()
{
    for (int i = 0; i < OTHER_BAR_COUNT; ++i) {
        if (OtherStb[i])
            Stbarx_repaint(OtherStb[i]);
        if (i == BarFlash && TerminalStb)
            Stbarx_repaint(TerminalStb);
    }
}

void TForm_main::Main_close_drive_dialogs()
{
    for (QWidget* w : {Form_com_off.data(), Form_e2p_offset_er.data(), Form_e2p_chks.data()})
        if (w)
            w->close();
}

void TForm_main::Main_close_e2p_chks_if_lost()
{
    if (Form_e2p_chks && (!link_running() || !drive_answers()))
        Form_e2p_chks->close();
}

void TForm_main::Main_close_e2p_offset_if_lost()
{
    if (Form_e2p_offset_er && (!link_running() || !drive_answers()))
        Form_e2p_offset_er->close();
}

void TForm_main::Main_show_link_wait()
{
    static const char* const CAPTION[3] = {"Verifica comunicazione", "Comunication verify", "Comunication verify"};
    if ((FlashProgressFlags.load() & FlashProgressFlag::Waiting) && !LinkWaitOpen())
        ShowLinkWait(LINK_WAIT_MS, QString::fromUtf8(CAPTION[Lang_index()]));
}

bool TForm_main::Main_rebuild_bus_pages()
{
    const bool reopen = CurrentPageNode[0] != nullptr && BuiltBusType[0] != rec_u16(RecOfs::BusType) &&
                        TreeView_menu != nullptr && TreeView_menu->topLevelItemCount() > 0;
    if (reopen) {
        const QSignalBlocker quiet(TreeView_menu);
        TreeView_menu->setCurrentItem(TreeView_menu->topLevelItem(0));
    }
    BuildPageTree(0);
    if (reopen)
        SelectPage(0, ScrollBox_Menu_host);
    return reopen;
}
