// The regulator panel: gains of the connected drive and the drive's signal generator.
#include "scope/Oscx_pid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/Utx_combo.h"
#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Scope_link.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "scope/Oscx_texts.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"
#include "shell/Treectrl.h"

uint8_t OscxPidHandlersOn = 1;
uint8_t OscxPidGainWritten = 0;

namespace {

constexpr int MONITOR_MS = 2;
constexpr uint8_t FUNC_INPUTS = 4;       // drive function: simulated inputs
constexpr uint8_t INPUT_POWER = 1u << 0;
constexpr uint8_t INPUT_OPERATIVE = 1u << 1;
constexpr uint8_t INPUT_RESET = 1u << 5;
constexpr int RESET_STATUS_REQUESTS = 9;  // spacing of the alarm-reset pulse
constexpr uint8_t LEVEL_FORCE = 0xFF;
constexpr int EDIT_WIDTH = 70;

enum Tab : uint8_t { TabCor, TabVel, TabPos, Generator };

OscxText TITLE = {"Regolatori PID", "PID Regulators", "Régulateurs PID"};
OscxText TAB_TEXT[3] = {{"Corrente", "Current", "Courant"},
                        {"Velocità", "Velocity", "Vitesse"},
                        {"Posizione", "Position", "Position"}};
OscxText GENERATOR = {"Generatore Segnali", "Waves Generator", "Générateur Signaux "};
OscxText ENABLE = {"Abilita Generatore Segnali", "Enable Waves Generator", "Activer Générateur Signaux"};
OscxText SIGNAL = {"Segnale", "Signal", "Signal"};
OscxText CLOSE = {"Chiudi", "Close", "Fermer"};
OscxText WAVEFORMS[GEN_WAVEFORM_LAST + 1] = {
    {"Velocità Onda Quadra", "Square Speed Wave", "Vitesse Signal Carré"},
    {"Velocità Onda Trinagolare", "Triangular Speed Wave", "Vitesse Signal Triangulaire"},
    {"Velocità Onda Sinusoidale", "Sinusoidal Speed Wave", "Vitesse Signal Sinusoïdal"},
    {"Corrente Onda Quadra", "Square Current Wave", "Courant Signal Carré"},
    {"Corrente Onda Trinagolare", "Triangular Current Wave", "Courant Signal Triangulaire"},
    {"Corrente Onda Sinusoidale", "Sinusoidal Current Wave", "Courant Signal Sinusoïdal"},
};
constexpr uint8_t LAST_SPEED_WAVEFORM = 2;

// One edit: its names' stem, where it sits, what it binds and its range. A gain binds the drive
// record's field at `at`; a generator edit binds the settings' value of generator item `at`.
struct EditSpec {
    const char* stem;
    Tab tab;
    uint16_t at;
    int32_t min;
    int32_t max;
    uint8_t decimals;
    const char* caption[3];
};
const EditSpec EDITS[OSCX_PID_EDITS] = {
    {"PID_corr_kp", TabCor, 156, 1, 2000, 0, {"Kp Corrente", "Current Kp", "Courant Kp"}},
    {"PID_corr_ki", TabCor, 158, 0, 2000, 0, {"Ki Corrente", "Current Ki", "Courant Ki"}},
    {"PID_corr_kd", TabCor, 160, 0, 1000, 0, {"Kd Corrente", "Current Kd", "Courant Kd"}},
    {"PID_speed_kp", TabVel, 186, 1, 3000, 0, {"Kp Velocità", "Speed Kp", "Vitesse Kp"}},
    {"PID_speed_ki", TabVel, 188, 0, 3000, 0, {"Ki Velocità", "Speed Ki", "Ki Vitesse"}},
    {"PID_speed_kd", TabVel, 190, 0, 1000, 0, {"Kd Velocità", "Speed Kd", "Kd Vitesse"}},
    {"PID_kp_pos", TabPos, 192, 0, 4000, 0, {"Kp Posizione", "Position Kp", "Kp Position"}},
    {"periodo", Generator, 3, 1, 1000, 2, {"Periodo [s]", "Period [s]", "Période [s]"}},
    {"ampz_cor", Generator, 4, 0, 1000, 1, {"Corrente [%]", "Current [%]", "Courant [%]"}},
    {"ampz_vel", Generator, 5, 0, 10000, 0, {"Velocità", "Velocity", "Vitesse"}},
};
constexpr OscxPidEdit GENERATOR_EDITS[] = {OscxPidEdit::Period, OscxPidEdit::AmpCor, OscxPidEdit::AmpVel};

const EditSpec& spec(OscxPidEdit e) { return EDITS[static_cast<std::size_t>(e)]; }

uint16_t* bound_value(const EditSpec& s)
{
    if (s.tab != Generator)
        return reinterpret_cast<uint16_t*>(DriveRecordBank[0].b + s.at);
    SignalGenSettings& g = SettingsBlock.generator;
    return s.at == 3 ? &g.period : s.at == 4 ? &g.current_amplitude : &g.speed_amplitude;
}

QString name(const char* prefix, const char* stem) { return QString::fromLatin1(prefix) + QString::fromLatin1(stem); }

QToolButton* input_button(QWidget* parent, const char* object_name, const char* text, bool checkable)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(object_name);
    b->setText(QString::fromLatin1(text));
    b->setCheckable(checkable);
    return b;
}

void set_level(FlowPanel* p, bool on)
{
    if (p == nullptr)
        return;
    p->setEnabled(on);
    Graph_set_text_colour(p->captionLabel(), p->palette().color(on ? QPalette::Active : QPalette::Disabled,
                                                                  QPalette::WindowText));
}

PageNode* const REGULATOR_PAGES[] = {&PageNode_pid_cor, &PageNode_pid_vel, &PageNode_pid_pos};

}  // namespace

TForm_Oscx_PID::TForm_Oscx_PID(QWidget* parent) : QWidget(parent, Qt::Window)
{
    FormCreate();
    Utx_fit_texts(this);
}

TForm_Oscx_PID::~TForm_Oscx_PID()
{
    FormDestroy();
}

void TForm_Oscx_PID::FormCreate()
{
    setObjectName("TForm_Oscx_PID");
    build();
    build_status();
    connect_edits();
    Timer_monitor = new QTimer(this);
    Timer_monitor->setObjectName("Timer_monitor");
    Timer_monitor->setInterval(MONITOR_MS);
    Timer_monitor->setTimerType(Qt::PreciseTimer);
    connect(Timer_monitor, &QTimer::timeout, this, &TForm_Oscx_PID::Timer_monitorTimer);
    PageControl_pid->setCurrentIndex(0);
}

void TForm_Oscx_PID::FormDestroy()
{
    OscxPidOpen.store(0);
    if (stb_ == nullptr)
        return;
    Main_detach_bar(TForm_main::BarOscxPid, stb_);
    Stbarx_free(stb_);
}

// ---- building ----

void TForm_Oscx_PID::build()
{
    auto* root = new QVBoxLayout(this);
    GroupBox_pid = new QGroupBox(this);
    GroupBox_pid->setObjectName("GroupBox_pid");
    GroupBox_waveg = new QGroupBox(this);
    GroupBox_waveg->setObjectName("GroupBox_waveg");
    build_gains();
    root->addWidget(GroupBox_pid);
    build_generator();
    root->addWidget(GroupBox_waveg);

    ControlBar_main = new QWidget(this);
    ControlBar_main->setObjectName("ControlBar_main");
    ControlBar_main->installEventFilter(this);
    ToolBar_input = new QToolBar(ControlBar_main);
    ToolBar_input->setObjectName("ToolBar_input");
    SpeedButton_wvg_power = input_button(ToolBar_input, "SpeedButton_wvg_power", "Power", true);
    SpeedButton_wvg_operative = input_button(ToolBar_input, "SpeedButton_wvg_operative", " Oper.", true);
    BitBtn_wvg_reset_alarm = input_button(ToolBar_input, "BitBtn_wvg_reset_alarm", "Reset", false);
    for (QToolButton* b : {SpeedButton_wvg_power, SpeedButton_wvg_operative, BitBtn_wvg_reset_alarm})
        ToolBar_input->addWidget(b);
    connect(SpeedButton_wvg_power, &QToolButton::clicked, this, &TForm_Oscx_PID::SpeedButton_wvg_powerClick);
    connect(SpeedButton_wvg_operative, &QToolButton::clicked, this, &TForm_Oscx_PID::SpeedButton_wvg_operativeClick);
    connect(BitBtn_wvg_reset_alarm, &QToolButton::clicked, this, &TForm_Oscx_PID::BitBtn_wvg_reset_alarmClick);
    ControlBar_main->setMinimumHeight(ToolBar_input->sizeHint().height());
    root->addWidget(ControlBar_main);

    BitBtn_Close = new QPushButton(this);
    BitBtn_Close->setObjectName("BitBtn_Close");
    connect(BitBtn_Close, &QPushButton::clicked, this, &TForm_Oscx_PID::BitBtn_CloseClick);
    root->addWidget(BitBtn_Close, 0, Qt::AlignRight);
    PanelOscxPIDStb = new QWidget(this);
    PanelOscxPIDStb->setObjectName("PanelOscxPIDStb");
    PanelOscxPIDStb->setFixedHeight(22);
    root->addWidget(PanelOscxPIDStb);
}

void TForm_Oscx_PID::build_gains()
{
    auto* box = new QVBoxLayout(GroupBox_pid);
    PageControl_pid = new QTabWidget(GroupBox_pid);
    PageControl_pid->setObjectName("PageControl_pid");
    QWidget** sheets[3] = {&TabSheet_pid_cor, &TabSheet_pid_vel, &TabSheet_pid_pos};
    const char* sheet_names[3] = {"TabSheet_pid_cor", "TabSheet_pid_vel", "TabSheet_pid_pos"};
    QVBoxLayout* sheet_layout[3] = {};
    for (int t = 0; t < 3; ++t) {
        *sheets[t] = new QWidget(PageControl_pid);
        (*sheets[t])->setObjectName(sheet_names[t]);
        sheet_layout[t] = new QVBoxLayout(*sheets[t]);
        PageControl_pid->addTab(*sheets[t], QString());
    }
    for (std::size_t i = 0; i < OSCX_PID_EDITS; ++i) {
        const EditSpec& s = EDITS[i];
        QWidget* host = s.tab == Generator ? static_cast<QWidget*>(GroupBox_waveg) : *sheets[s.tab];
        panel[i] = new FlowPanel(name("FlowPanel_", s.stem), host);
        memo[i] = new QLineEdit(panel[i]);
        memo[i]->setObjectName(name("Memo_", s.stem));
        memo[i]->setAlignment(Qt::AlignRight);
        memo[i]->setFixedWidth(EDIT_WIDTH);
        updown[i] = new UpDownButton(panel[i]);
        updown[i]->setObjectName(name("UpDown_", s.stem));
        updown[i]->setBuddy(memo[i]);
        panel[i]->addRightToLeft(updown[i]);
        panel[i]->addRightToLeft(memo[i]);
        bindings_[i] = std::make_unique<Dato_usn_short>(bound_value(s), s.max, s.min, s.decimals);
        if (s.tab != Generator)
            sheet_layout[s.tab]->addWidget(panel[i]);
    }
    for (QVBoxLayout* l : sheet_layout)
        l->addStretch(1);
    box->addWidget(PageControl_pid);
    connect(PageControl_pid, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == TabCor)
            TabSheet_pid_corShow();
        else if (index == TabVel)
            TabSheet_pid_velShow();
        else if (index == TabPos)
            TabSheet_pid_posShow();
    });
}

void TForm_Oscx_PID::build_generator()
{
    auto* box = new QVBoxLayout(GroupBox_waveg);
    CheckBox_waveg_enable = new QCheckBox(GroupBox_waveg);
    CheckBox_waveg_enable->setObjectName("CheckBox_waveg_enable");
    connect(CheckBox_waveg_enable, &QCheckBox::clicked, this, &TForm_Oscx_PID::CheckBox_waveg_enableClick);
    box->addWidget(CheckBox_waveg_enable);
    FlowPanel_waveg_type = new FlowPanel("FlowPanel_waveg_type", GroupBox_waveg);
    ComboBox_waveg_type = new QComboBox(FlowPanel_waveg_type);
    ComboBox_waveg_type->setObjectName("ComboBox_waveg_type");
    for (std::size_t k = 0; k <= GEN_WAVEFORM_LAST; ++k)
        ComboBox_waveg_type->addItem(QString());
    connect(ComboBox_waveg_type, &QComboBox::activated, this, &TForm_Oscx_PID::ComboBox_waveg_typeChange);
    FlowPanel_waveg_type->addRightToLeft(ComboBox_waveg_type);
    box->addWidget(FlowPanel_waveg_type);
    Panel_ampz = new QWidget(GroupBox_waveg);
    Panel_ampz->setObjectName("Panel_ampz");
    auto* ampz = new QVBoxLayout(Panel_ampz);
    ampz->setContentsMargins(0, 0, 0, 0);
    box->addWidget(Panel_ampz);
    // The generator's edits were made with the gains, in this group; the amplitudes go into their area.
    for (OscxPidEdit e : GENERATOR_EDITS) {
        FlowPanel* p = panel[static_cast<std::size_t>(e)];
        if (e == OscxPidEdit::Period) {
            box->addWidget(p);
        } else {
            p->setParent(Panel_ampz);
            ampz->addWidget(p);
        }
    }
}

void TForm_Oscx_PID::build_status()
{
    const StbarPaint paint[3] = {Stbarcmx_paint_link, Stbarcmx_paint_drive, Stbarcmx_paint_state};
    const int16_t widths[3] = {95, 90, 85};
    for (int i = 0; i < 3; ++i) {
        panes_[i] = std::make_unique<StbarPane>();
        panes_[i]->width = widths[i];
        panes_[i]->paint = paint[i];
        pane_list_[i] = panes_[i].get();
    }
    pane_list_[3] = nullptr;
    stb_ = new Stbarx(PanelOscxPIDStb, pane_list_, 0);
    PanelOscxPIDStb->setMinimumWidth(Stbarx_panes_width(stb_));
    Main_attach_bar(TForm_main::BarOscxPid, stb_);
}

void TForm_Oscx_PID::connect_edits()
{
    for (std::size_t i = 0; i < OSCX_PID_EDITS; ++i) {
        const auto e = static_cast<OscxPidEdit>(i);
        Dato_route(memo[i], updown[i],
                   {[this, e] { MemoChange(e); }, [this, e] { MemoEnter(e); }, [this, e] { MemoExit(e); },
                    [this, e](char& key) { MemoKeyPress(e, key); },
                    [this, e](int direction) { UpDownChangingEx(e, direction); }});
    }
}

void TForm_Oscx_PID::set_language()
{
    setWindowTitle(Oscx_text(TITLE));
    GroupBox_pid->setTitle(Oscx_text(TITLE));
    for (int t = 0; t < 3; ++t)
        PageControl_pid->setTabText(t, Oscx_text(TAB_TEXT[t]));
    for (std::size_t i = 0; i < OSCX_PID_EDITS; ++i)
        panel[i]->setCaption(Oscx_text(EDITS[i].caption));
    GroupBox_waveg->setTitle(Oscx_text(GENERATOR));
    CheckBox_waveg_enable->setText(Oscx_text(ENABLE));
    FlowPanel_waveg_type->setCaption(Oscx_text(SIGNAL));
    for (int k = 0; k <= GEN_WAVEFORM_LAST; ++k)
        ComboBox_waveg_type->setItemText(k, Oscx_text(WAVEFORMS[k]));
    BitBtn_Close->setText(Oscx_text(CLOSE));
}

// ---- edits ----

void TForm_Oscx_PID::rebind(std::initializer_list<OscxPidEdit> edits)
{
    OscxPidHandlersOn = 0;
    for (OscxPidEdit e : edits) {
        const std::size_t i = static_cast<std::size_t>(e);
        bindings_[i]->Setup_updown(memo[i], updown[i]);
        bindings_[i]->Show_value(memo[i]);
    }
    OscxPidHandlersOn = 1;
}

void TForm_Oscx_PID::after_confirm(OscxPidEdit e)
{
    const EditSpec& s = spec(e);
    if (s.tab != Generator) {
        Sertx_write_var(RecLoc(s.at));
        OscxPidGainWritten = 1;
        return;
    }
    Settings_publish_generator();
    Sertx_signal_gen(static_cast<uint8_t>(s.at));
}

void TForm_Oscx_PID::MemoChange(OscxPidEdit e)
{
    if (OscxPidHandlersOn)
        binding(e).Edit_change(memo[static_cast<std::size_t>(e)]);
}

void TForm_Oscx_PID::MemoEnter(OscxPidEdit e)
{
    if (OscxPidHandlersOn)
        binding(e).Edit_enter(memo[static_cast<std::size_t>(e)]);
}

void TForm_Oscx_PID::MemoExit(OscxPidEdit e)
{
    if (!OscxPidHandlersOn)
        return;
    binding(e).Edit_exit(memo[static_cast<std::size_t>(e)]);
    after_confirm(e);
}

void TForm_Oscx_PID::MemoKeyPress(OscxPidEdit e, char& key)
{
    if (!OscxPidHandlersOn)
        return;
    const std::size_t i = static_cast<std::size_t>(e);
    const bool enter = key == '\r';
    binding(e).Edit_key_press(memo[i], panel[i]->caption(), key);
    if (enter)
        after_confirm(e);
}

void TForm_Oscx_PID::UpDownChangingEx(OscxPidEdit e, int direction)
{
    if (!OscxPidHandlersOn)
        return;
    bool allow = true;
    binding(e).Updown_changing(memo[static_cast<std::size_t>(e)], direction, allow);
    after_confirm(e);
}

void TForm_Oscx_PID::TabSheet_pid_corShow()
{
    rebind({OscxPidEdit::CorKp, OscxPidEdit::CorKi, OscxPidEdit::CorKd});
}

void TForm_Oscx_PID::TabSheet_pid_velShow()
{
    rebind({OscxPidEdit::SpeedKp, OscxPidEdit::SpeedKi, OscxPidEdit::SpeedKd});
}

void TForm_Oscx_PID::TabSheet_pid_posShow()
{
    rebind({OscxPidEdit::PosKp});
}

// ---- generator ----

void TForm_Oscx_PID::layout_amplitude()
{
    const bool current = SettingsBlock.generator.waveform > LAST_SPEED_WAVEFORM;
    FlowPanel* cur = panel[static_cast<std::size_t>(OscxPidEdit::AmpCor)];
    FlowPanel* vel = panel[static_cast<std::size_t>(OscxPidEdit::AmpVel)];
    vel->setVisible(!current);
    cur->setVisible(current);
    Panel_ampz->setFixedHeight((current ? cur : vel)->sizeHint().height());
    rebind({OscxPidEdit::Period, OscxPidEdit::AmpCor, OscxPidEdit::AmpVel});
}

void TForm_Oscx_PID::ComboBox_waveg_typeChange()
{
    if (!OscxPidHandlersOn)
        return;
    const int k = ComboBox_waveg_type->currentIndex();
    if (k < 0 || k > GEN_WAVEFORM_LAST)
        return;
    SettingsBlock.generator.waveform = static_cast<uint8_t>(k);
    layout_amplitude();
    Settings_publish_generator();
    Sertx_signal_gen(2);
}

void TForm_Oscx_PID::CheckBox_waveg_enableClick()
{
    if (!OscxPidHandlersOn)
        return;
    const bool on = CheckBox_waveg_enable->isChecked();
    Settings_publish_generator();
    SignalGenerator.on.store(on ? 1 : 0);
    if (ScopeCaptureOn.load()) {
        // Every item rides again, one per acknowledge.
        SignalGenerator.sent_waveform.store(0xFF);
        for (auto& sent : SignalGenerator.sent_item)
            sent.store(0xFFFF);
    }
    if (on) {
        Sertx_signal_gen(0);
        applied_link_ = LEVEL_FORCE;
        return;
    }
    if (Drive_status_word() & StatusBit::State5)
        inputs_off();
    Sertx_signal_gen(1);
    apply_levels(applied_link_ == 1, applied_status5_ != 0);
}

void TForm_Oscx_PID::release_inputs()
{
    for (QToolButton* b : {SpeedButton_wvg_power, SpeedButton_wvg_operative}) {
        const QSignalBlocker block(b);
        b->setChecked(false);
    }
}

void TForm_Oscx_PID::inputs_off()
{
    SimInputMask.store(0);
    Sertx_drive_func(FUNC_INPUTS, 0);
    release_inputs();
}

void TForm_Oscx_PID::generator_off_in_panel()
{
    SignalGenerator.on.store(0);
    if (CheckBox_waveg_enable->isChecked()) {
        {
            const QSignalBlocker block(CheckBox_waveg_enable);
            CheckBox_waveg_enable->setChecked(false);
        }
        CheckBox_waveg_enableClick();
    }
    release_inputs();
}

void TForm_Oscx_PID::set_input(uint8_t bit, bool on)
{
    if (on)
        SimInputMask.fetch_or(bit);
    else
        SimInputMask.fetch_and(static_cast<uint8_t>(~bit));
    Sertx_drive_func(FUNC_INPUTS, SimInputMask.load());
}

void TForm_Oscx_PID::SpeedButton_wvg_powerClick()
{
    set_input(INPUT_POWER, SpeedButton_wvg_power->isChecked());
}

void TForm_Oscx_PID::SpeedButton_wvg_operativeClick()
{
    set_input(INPUT_OPERATIVE, SpeedButton_wvg_operative->isChecked());
}

void TForm_Oscx_PID::BitBtn_wvg_reset_alarmClick()
{
    set_input(INPUT_RESET, false);
    set_input(INPUT_RESET, true);
    for (int k = 0; k < RESET_STATUS_REQUESTS; ++k)
        Sertx_read_status();
    set_input(INPUT_RESET, false);
}

// ---- control states ----

void TForm_Oscx_PID::apply_levels(bool link_ok, bool status5)
{
    applied_link_ = link_ok ? 1 : 0;
    applied_status5_ = status5 ? 1 : 0;
    for (std::size_t i = 0; i < OSCX_PID_EDITS; ++i) {
        if (EDITS[i].tab == Generator)
            continue;
        set_level(panel[i], link_ok);
    }
    const bool on = SignalGenerator.on.load() != 0;
    const bool a = on && link_ok;
    const bool b = a && !status5;
    for (OscxPidEdit e : GENERATOR_EDITS)
        set_level(panel[static_cast<std::size_t>(e)], a);
    for (QWidget* w : {SpeedButton_wvg_power, SpeedButton_wvg_operative, BitBtn_wvg_reset_alarm})
        w->setEnabled(a);
    set_level(FlowPanel_waveg_type, b);
}

void TForm_Oscx_PID::Timer_monitorTimer()
{
    const bool link_ok =
        Ser_tx_state.load() == LinkState::Run && (Ser_link_flags.load() & LinkFlag::Ready) != 0;
    const bool status5 = (StatusShown.status_word & StatusBit::State5) != 0;
    if (!link_ok) {
        if (applied_link_ != 0) {
            generator_off_in_panel();
            apply_levels(false, status5);
        }
    } else if (applied_link_ != 1 || status5 != (applied_status5_ != 0)) {
        apply_levels(true, status5);
    }
    refresh_main_page();
}

void TForm_Oscx_PID::refresh_main_page()
{
    PageNode* node = CurrentPageNode[0];
    if (!OscxPidGainWritten || node == nullptr)
        return;
    OscxPidGainWritten = 0;
    for (PageNode* page : REGULATOR_PAGES)
        if (node == page && node->PageRefresh != nullptr)
            node->PageRefresh(0);
}

// ---- showing and closing ----

void TForm_Oscx_PID::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_Oscx_PID::FormShow()
{
    OscxPidOpen.store(1);
    set_language();
    rebind({OscxPidEdit::PosKp, OscxPidEdit::SpeedKp, OscxPidEdit::SpeedKi, OscxPidEdit::SpeedKd,
            OscxPidEdit::CorKp, OscxPidEdit::CorKi, OscxPidEdit::CorKd});
    generator_off_in_panel();
    {
        const QSignalBlocker block(ComboBox_waveg_type);
        ComboBox_waveg_type->setCurrentIndex(SettingsBlock.generator.waveform);
    }
    layout_amplitude();
    apply_levels(false, false);
    applied_link_ = LEVEL_FORCE;
    Timer_monitor->start();
}

void TForm_Oscx_PID::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TForm_Oscx_PID::FormClose()
{
    if (Drive_status_word() & StatusBit::Generator) {
        inputs_off();
        SignalGenerator.on.store(0);
        Sertx_signal_gen(1);
    }
    OscxPidOpen.store(0);
    Timer_monitor->stop();
}

void TForm_Oscx_PID::BitBtn_CloseClick()
{
    close();
}

void TForm_Oscx_PID::ControlBar_mainResize()
{
    ToolBar_input->setFixedWidth(ControlBar_main->width());
}

bool TForm_Oscx_PID::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ControlBar_main && event->type() == QEvent::Resize)
        ControlBar_mainResize();
    return QWidget::eventFilter(watched, event);
}
