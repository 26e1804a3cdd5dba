// Factor result dialogs.
#include "factors/Form_factor_tool.h"

#include <cmath>
#include <limits>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "factors/Factor_tool.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"

TForm_can_factor_tool* Form_can_factor_tool = nullptr;
TForm_mdb_factor_tool* Form_mdb_factor_tool = nullptr;

// One twin: its record fields (position num/den, velocity num/den, acceleration num/den), controls
// and captions, and when context 0's page is refreshed after a send.
struct FactorDialogSpec {
    const char* group_box;
    const char* group_title[3];
    uint16_t ofs[TForm_factor_tool::VALUES];
    const char* value_panels[TForm_factor_tool::VALUES];
    // CiA 402: one row panel per quantity (entries 0, 2, 4) over "Num" and "Feed"/"Div" values;
    // Modbus: a caption panel per value.
    const char* caption_panels[TForm_factor_tool::VALUES];
    const char* captions[TForm_factor_tool::VALUES][3];
    const char* value_labels[TForm_factor_tool::VALUES];
    bool (*refresh_after_send)();
};

namespace {

constexpr int INTERVAL_MS = 10;
constexpr uint16_t THRESHOLD = 4;

const char* const TITLE[3] = {"Risultato calcolo fattori", "Result calculation factors",
                              "Entraîner des facteurs de calcul"};
const char* const UPDATE_TEXT[3] = {"Aggiorna", "Updates", "Mises à jour"};
const char* const CLOSE_TEXT[3] = {"Chiudi", "Close", "Fermer"};
const char* const ENABLED_TEXT[3] = {"Disabilitare il drive prima di inviare i fattori!",
                                     "Disable the drive before sending the factors!",
                                     "Désactiver le variateur avant d'envoyer les facteurs"};
const char* const CONFIRM_TEXT[3] = {"I dati Fattori saranno sovrascritti !", "Factors data will be overwritten !",
                                     "Les données du Facteurs vont être écrasées"};
const char* const UPDATED_TEXT[3] = {"Fattori aggiornati !", "Factors updated !", "Facteurs mis à jour !"};

bool remote_shown() { return (DriveUiFlags.load() & UiFlag::Remote) != 0; }
bool remote_or_io() { return remote_shown() || Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType) == 0; }
bool answering() { return (Ser_link_flags.load() & LinkFlag::Answers) != 0; }

const FactorDialogSpec CAN_SPEC = {
    "GroupBox_DS402_Factor",
    {"DS402 Fattori", "DS402 Factors", "DS402 Facteurs"},
    {2144, 2148, 2156, 2160, 2168, 2172},
    {"Panel_position_factor_num", "Panel_position_factor_feed", "Panel_vel_enc_factor_num", "Panel_vel_enc_factor_div",
     "Panel_accel_factor_num", "Panel_accel_factor_div"},
    {"Panel_position_factor", nullptr, "Panel_vel_enc_factor", nullptr, "Panel_accel_factor", nullptr},
    {{"Fattore pos", "Pos factor", "Facteur de pos"},
     {},
     {"Fattore vel enc", "Vel enc factor", "Facteur codeur vit."},
     {},
     {"Fattore accel", "Accel factor", "Facteur d'accél"},
     {}},
    {"Num", "Feed", "Num", "Div", "Num", "Div"},
    remote_shown,
};

const FactorDialogSpec MDB_SPEC = {
    "GroupBox_Mdb_Factor",
    {"Fattori Modbus", "Modbus Factors", "Modbus Facteurs"},
    {632, 636, 476, 480, 484, 488},
    {"Panel_pos_factor_num", "Panel_pos_factor_den", "Panel_vel_factor_num", "Panel_vel_factor_den",
     "Panel_acc_factor_num", "Panel_acc_factor_den"},
    {"Panel_pos_factor_num_str", "Panel_pos_factor_den_str", "Panel_vel_factor_num_str", "Panel_vel_factor_den_str",
     "Panel_acc_factor_num_str", "Panel_acc_factor_den_str"},
    {{"Fattore pos - num", "Pos factor - num", "Facteur de pos - num"},
     {"Fattore pos - den", "Pos factor - den", "Facteur de pos - den"},
     {"Fattore vel. - num", "Vel. factor - num", "Facteur de vit. - num"},
     {"Fattore vel. - den", "Vel. factor - den", "Facteur de vit. - den"},
     {"Fattore acc. - num", "Acc. factor - num", "Facteur de acc. - num"},
     {"Fattore acc. - den", "Acc. factor - den", "Facteur de acc. - den"}},
    {},
    remote_or_io,
};

void message(MsgIcon icon, const char* const texts[3], unsigned buttons = MsgOk, MsgButton* answer = nullptr)
{
    const unsigned lang = Lang_index();
    const MsgButton a = Msgbox_show({icon, Msgbox_title(lang), texts[lang], buttons});
    if (answer != nullptr)
        *answer = a;
}

QLabel* value_label(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(120);
    return l;
}

}  // namespace

TForm_factor_tool::TForm_factor_tool(const FactorDialogSpec& spec, FactorPageRefreshFn refresh, QWidget* parent)
    : QDialog(parent), spec_(spec), refresh_(refresh)
{
    setModal(true);
    auto* column = new QVBoxLayout(this);
    GroupBox = new QGroupBox(this);
    GroupBox->setObjectName(QString::fromLatin1(spec.group_box));
    column->addWidget(GroupBox);
    auto* grid = new QGridLayout(GroupBox);
    int row = 0;
    for (int i = 0; i < VALUES; ++i) {
        const bool rows_of_two = spec.value_labels[0] != nullptr;
        if (spec.caption_panels[i] != nullptr) {
            auto* caption = new QLabel(QString::fromUtf8(spec.captions[i][0]), GroupBox);
            caption->setObjectName(QString::fromLatin1(spec.caption_panels[i]));
            grid->addWidget(caption, row, 0, 1, rows_of_two ? 4 : 1);
            if (rows_of_two)
                ++row;
        }
        value_panel[i] = value_label(GroupBox, spec.value_panels[i]);
        if (rows_of_two) {
            const int col = (i % 2) * 2;
            grid->addWidget(new QLabel(QString::fromLatin1(spec.value_labels[i]), GroupBox), row, col);
            grid->addWidget(value_panel[i], row, col + 1);
            row += i % 2;
        } else {
            grid->addWidget(value_panel[i], row++, 1);
        }
    }
    auto* buttons = new QHBoxLayout;
    BitBtn_aggiorna = new QPushButton(this);
    BitBtn_aggiorna->setObjectName(QStringLiteral("BitBtn_aggiorna"));
    BitBtn_close = new QPushButton(this);
    BitBtn_close->setObjectName(QStringLiteral("BitBtn_close"));
    buttons->addWidget(BitBtn_aggiorna);
    buttons->addStretch();
    buttons->addWidget(BitBtn_close);
    column->addLayout(buttons);
    StatusBar_Com = new QStatusBar(this);
    StatusBar_Com->setObjectName(QStringLiteral("StatusBar_Com"));
    StatusBar_Com->setSizeGripEnabled(false);
    column->addWidget(StatusBar_Com);
    Timer_monitor_seriale = new QTimer(this);
    Timer_monitor_seriale->setObjectName(QStringLiteral("Timer_monitor_seriale"));
    Timer_monitor_seriale->setInterval(INTERVAL_MS);

    connect(BitBtn_aggiorna, &QPushButton::clicked, this, [this] { BitBtn_aggiornaClick(); });
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { BitBtn_closeClick(); });
    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { Timer_monitor_serialeTimer(); });
}

void TForm_factor_tool::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

int64_t TForm_factor_tool::shown_value(double v)
{
    constexpr double LIMIT = 9223372036854775808.0;  // 2^63
    if (std::isnan(v))
        return 0;
    if (v >= LIMIT)
        return std::numeric_limits<int64_t>::max();
    if (v <= -LIMIT)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}

void TForm_factor_tool::FormShow()
{
    ctx_ = PageContext.load() == 1 ? 1 : 0;
    set_language(ctx_);
    FactorResultsRec& r = Factor_tool_results;
    ok_[0] = Factor_tool_position_factor(&r.num[0], &r.den[0], ctx_);
    ok_[1] = Factor_tool_velocity_factor(&r.num[1], &r.den[1], ctx_);
    ok_[2] = Factor_tool_acceleration_factor(&r.num[2], &r.den[2], ctx_);
    for (int i = 0; i < VALUES; ++i) {
        const double v = i % 2 == 0 ? r.num[i / 2] : r.den[i / 2];
        value_panel[i]->setText(QString::number(shown_value(v)));
    }
    if (ctx_ == 0) {
        Timer_monitor_serialeTimer();
        Timer_monitor_seriale->start();
    }
}

void TForm_factor_tool::set_language(uint8_t ctx)
{
    const unsigned lang = Lang_index();
    setWindowTitle(QString::fromUtf8(TITLE[lang]));
    GroupBox->setTitle(QString::fromUtf8(spec_.group_title[lang]));
    // No tag lookup for a bus type without a dictionary.
    const bool tagged = Rec_get<uint16_t>(DriveRecordBank[ctx & 1], RecOfs::BusType) <= 2;
    for (int i = 0; i < VALUES; ++i) {
        if (spec_.caption_panels[i] == nullptr)
            continue;
        const char* name = spec_.captions[i][lang];
        char buf[80] = {};
        if (tagged)
            Utxgraph_tag_text(SlotLoc(ctx & 1, spec_.ofs[i]), name, buf, sizeof buf, ctx & 1);
        auto* caption = findChild<QLabel*>(QString::fromLatin1(spec_.caption_panels[i]));
        if (caption != nullptr)
            caption->setText(QString::fromUtf8(buf[0] != 0 ? buf : name));
    }
    BitBtn_aggiorna->setText(QString::fromUtf8(UPDATE_TEXT[lang]));
    BitBtn_close->setText(QString::fromUtf8(CLOSE_TEXT[lang]));
}

void TForm_factor_tool::Timer_monitor_serialeTimer()
{
    if (ctx_ != 0)
        return;
    const bool reads = (Ser_data_flags.load() & DataFlag::ListReads) != 0;
    if (BitBtn_aggiorna->isEnabled() != reads)
        BitBtn_aggiorna->setEnabled(reads);
}

void TForm_factor_tool::store(uint8_t ctx) const
{
    const FactorResultsRec& r = Factor_tool_results;
    for (int i = 0; i < VALUES; ++i) {
        const double v = i % 2 == 0 ? r.num[i / 2] : r.den[i / 2];
        Rec_set<uint32_t>(DriveRecordBank[ctx & 1], spec_.ofs[i], static_cast<uint32_t>(shown_value(v)));
    }
}

// Context 0 with the drive answering: stores and sends after the user's confirmation. True when the
// values were stored and sent and the drive still answers once the queue has drained.
bool TForm_factor_tool::send_with_link()
{
    MsgButton answer = MsgCancel;
    message(MsgIcon::Warning, CONFIRM_TEXT, MsgOk | MsgCancel, &answer);
    if (answer != MsgOk || !answering())
        return false;
    store(0);
    for (uint16_t ofs : spec_.ofs)
        Sertx_write_var(RecLoc(ofs));
    if (Factor_tool_host().wait_queue != nullptr)
        Factor_tool_host().wait_queue(THRESHOLD);
    if (spec_.refresh_after_send() && refresh_ != nullptr)
        refresh_(0);
    return answering();
}

void TForm_factor_tool::updated_message() const { message(MsgIcon::Warning, UPDATED_TEXT); }

void TForm_factor_tool::BitBtn_aggiornaClick()
{
    for (uint16_t q = 0; q < 3; ++q) {
        if (!ok_[q]) {
            Factor_tool_overflow_message(q);
            return;
        }
    }
    bool done = false;
    if (ctx_ != 0) {
        store(ctx_);
        if (refresh_ != nullptr)
            refresh_(ctx_);
        done = true;
    } else if (answering()) {
        if (Drive_status_word() & StatusBit::State5) {
            message(MsgIcon::Warning, ENABLED_TEXT);
            return;
        }
        done = send_with_link();
    }
    if (done)
        updated_message();
    accept();
}

void TForm_factor_tool::BitBtn_closeClick() { reject(); }

TForm_can_factor_tool::TForm_can_factor_tool(FactorPageRefreshFn refresh, QWidget* parent)
    : TForm_factor_tool(CAN_SPEC, refresh, parent)
{
    setObjectName(QStringLiteral("TForm_can_factor_tool"));
    Form_can_factor_tool = this;
}

TForm_can_factor_tool::~TForm_can_factor_tool()
{
    if (Form_can_factor_tool == this)
        Form_can_factor_tool = nullptr;
}

TForm_mdb_factor_tool::TForm_mdb_factor_tool(FactorPageRefreshFn refresh, QWidget* parent)
    : TForm_factor_tool(MDB_SPEC, refresh, parent)
{
    setObjectName(QStringLiteral("TForm_mdb_factor_tool"));
    Form_mdb_factor_tool = this;
}

TForm_mdb_factor_tool::~TForm_mdb_factor_tool()
{
    if (Form_mdb_factor_tool == this)
        Form_mdb_factor_tool = nullptr;
}
