// Main window: drive command buttons (remote control, power, operation, halt, fault reset, mode
// bits of the field-bus control word, simulated inputs), their periodic synchronisation with the
// drive, the choice of tool bars by bus type and control mode, and the bus and control-type texts.
#include <chrono>
#include <iterator>
#include <thread>

#include <QVBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "controls/Graph_draw.h"
#include "drivedata/Busctrl.h"
#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Busctrl_steps.h"
#include "link/Cancontrol_steps.h"
#include "link/Mdbcontrol_steps.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Tick.h"
#include "link/Scope_link.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"

namespace {

constexpr uint16_t BUS_REMOTE_OFF = 1u << 9;  // field-bus status word: the drive ignores the program
constexpr uint8_t FUNC_REMOTE = 3;  // value 0 takes control, 1 gives it back
constexpr uint8_t FUNC_INPUTS = 4;  // value: the simulated inputs
constexpr uint8_t REMOTE_TAKE = 0;
constexpr uint8_t REMOTE_RELEASE = 1;
constexpr uint8_t REQUEST_BITS = UiFlag::Power | UiFlag::Operative | UiFlag::QuickStopHold;
constexpr int INPUT_COUNT = 6;
constexpr uint32_t RELEASE_DRAIN_MS = 500;

using F = TForm_main;
using ButtonPtr = QToolButton* F::*;
using BarPtr = QWidget* F::*;
constexpr uint16_t CAN = BusTypeId::Canopen;
constexpr uint16_t MDB = BusTypeId::Modbus;

const ButtonPtr INPUT_BUTTONS[INPUT_COUNT] = {
    &F::SpeedButton_io_I0_power, &F::SpeedButton_io_I1_operative, &F::SpeedButton_io_I2_CW,
    &F::SpeedButton_io_I3_CCW,   &F::SpeedButton_io_I4_input,     &F::SpeedButton_io_I5_reset_alarm,
};

// A mode button: its bar, the bus type whose control word it changes, its bit and a bit always
// cleared with it (the jog pair).
struct WordButton {
    ButtonPtr button;
    BarPtr bar;
    uint16_t bus_type;
    uint16_t bit;
    uint16_t clear;
};

const WordButton WORD_BUTTONS[] = {
    {&F::SpeedButton_can_pos_start_quota, &F::ToolBar_can_pos, CAN, 0x0010, 0},
    {&F::SpeedButton_can_pos_fly_change, &F::ToolBar_can_pos, CAN, 0x0020, 0},
    {&F::SpeedButton_can_pos_ass_rel, &F::ToolBar_can_pos, CAN, 0x0040, 0},
    {&F::SpeedButton_can_vel_mode_RFG_on_off, &F::ToolBar_can_vel_mode, CAN, 0x0010, 0},
    {&F::SpeedButton_can_vel_mode_lock_on_off, &F::ToolBar_can_vel_mode, CAN, 0x0020, 0},
    {&F::SpeedButton_can_vel_mode_Ref_on_off, &F::ToolBar_can_vel_mode, CAN, 0x0040, 0},
    {&F::SpeedButton_can_hp_start, &F::ToolBar_can_hp, CAN, 0x0010, 0},
    {&F::SpeedButton_can_grbx_start, &F::ToolBar_can_grbx, CAN, 0x0010, 0},
    {&F::SpeedButton_can_grbx_res_enc, &F::ToolBar_can_grbx, CAN, 0x0020, 0},
    {&F::SpeedButton_can_grbx_res_pos, &F::ToolBar_can_grbx, CAN, 0x0040, 0},
    {&F::SpeedButton_can_grbx_sfasa, &F::ToolBar_can_grbx, CAN, 0x0200, 0},
    {&F::SpeedButton_mdb_pos_start_quota, &F::ToolBar_mdb_pos, MDB, 0x0010, 0},
    {&F::SpeedButton_mdb_pos_ass_relativ, &F::ToolBar_mdb_pos, MDB, 0x0100, 0},
    {&F::SpeedButton_mdb_pos_jog_piu, &F::ToolBar_mdb_pos, MDB, 0x0040, 0x0020},
    {&F::SpeedButton_mdb_pos_jog_meno, &F::ToolBar_mdb_pos, MDB, 0x0020, 0x0040},
    {&F::SpeedButton_mdb_set_home, &F::ToolBar_mdb_pos, MDB, 0x0080, 0},
    {&F::SpeedButton_mdb_grbx_start, &F::ToolBar_mdb_grbx, MDB, 0x0010, 0},
    {&F::SpeedButton_mdb_grbx_res_enc, &F::ToolBar_mdb_grbx, MDB, 0x0020, 0},
    {&F::SpeedButton_mdb_grbx_res_pos, &F::ToolBar_mdb_grbx, MDB, 0x0040, 0},
    {&F::SpeedButton_mdb_grbx_sfasa, &F::ToolBar_mdb_grbx, MDB, 0x0080, 0},
};

// The mode tool bar of a bus type and control mode (CiA 402 modes as signed bytes).
struct ModeBar {
    uint16_t bus_type;
    int mode;
    BarPtr bar;
};

const ModeBar MODE_BARS[] = {
    {CAN, -1, &F::ToolBar_can_grbx}, {CAN, 1, &F::ToolBar_can_pos},   {CAN, 2, &F::ToolBar_can_vel_mode},
    {CAN, 6, &F::ToolBar_can_hp},    {MDB, 2, &F::ToolBar_mdb_grbx},  {MDB, 3, &F::ToolBar_mdb_pos},
};

// Control-type texts: mode, then Italian, English, French.
struct ControlTypeRow {
    int mode;
    const char* text[3];
};

const ControlTypeRow IO_TYPES[] = {
    {0, {"[0]Velocità", "[0]Speed", "[0]Vitesse"}},
    {1, {"[1]Coppia", "[1]Torque", "[1]Couple"}},
    {2, {"[2]Asse Elettrico", "[2]Eletric Axis", "[2]Axe Électrique"}},
};
const ControlTypeRow MDB_TYPES[] = {
    {0, {"[0]Velocità", "[0]Speed", "[0]Vitesse"}},
    {1, {"[1]Coppia", "[1]Torque", "[1]Couple"}},
    {2, {"[2]Asse Elettrico", "[2]Eletric Axis", "[2]Axe Électrique"}},
    {3, {"[3]Posizionatore", "[3]Position", "[3]Positionneur"}},
};
// The first row also stands for any mode not in the table.
const ControlTypeRow CAN_TYPES[] = {
    {1, {"[1]Position Mode", "[1]Position Mode", "[1]Position Mode"}},
    {2, {"[2]Velocity Mode", "[2]Velocity Mode", "[2]Velocity Mode"}},
    {3, {"[3]Prof. Vel. Mode", "[3]Prof. Vel. Mode", "[3]Prof. Vel. Mode"}},
    {4, {"[4]Torque Mode", "[4]Torque Mode", "[4]Torque Mode"}},
    {6, {"[6]Homing Mode", "[6]Homing Mode", "[6]Homing Mode"}},
    {7, {"[7]Interpol. Mode", "[7]Interpol. Mode", "[7]Interpol. Mode"}},
    {-1, {"[-1]GearBox Mode", "[-1]GearBox Mode", "[-1]GearBox Mode"}},
};
const char* const BUS_TYPE_TEXT[3] = {"Input/OutPut", "MODBUS", "CanOpen"};

uint16_t bus_type() { return Busctrl_bus_type(); }

bool drive_ignores_program() { return Busctrl_status_word() & BUS_REMOTE_OFF; }

// The control-mode byte: signed for CiA 402, unsigned for the other profiles.
int control_mode(uint16_t bus)
{
    const uint8_t m = Drive_status_get().control_mode;
    return bus == BusTypeId::Canopen ? static_cast<int>(static_cast<int8_t>(m)) : static_cast<int>(m);
}

template <std::size_t N>
const ControlTypeRow* find_type(const ControlTypeRow (&rows)[N], int mode)
{
    for (const ControlTypeRow& r : rows)
        if (r.mode == mode)
            return &r;
    return nullptr;
}

void set_ui_bits(uint8_t bits, bool on)
{
    if (on)
        DriveUiFlags.fetch_or(bits);
    else
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~bits));
}

void set_input_bit(uint8_t n, bool on)
{
    const uint8_t bit = static_cast<uint8_t>(1u << n);
    if (on)
        SimInputMask.fetch_or(bit);
    else
        SimInputMask.fetch_and(static_cast<uint8_t>(~bit));
}

// The stored control word of a bus type and its power/run bits; null word for other types.
struct CtrlWordRef {
    uint16_t* word;
    uint16_t enable;
};

CtrlWordRef ctrl_word_of(uint16_t bus)
{
    if (bus == BusTypeId::Modbus)
        return {&BusCtrlWord.mdb_ctrl, MdbCtrl::Enable | MdbCtrl::Run};
    if (bus == BusTypeId::Canopen)
        return {&BusCtrlWord.can_ctrl, CanCtrl::CommandMask};
    return {nullptr, 0};
}

// True when an identical drive-function request still waits in the queue.
bool func_waiting(uint8_t code, uint8_t value)
{
    for (const Ser_queue_entry& e : Seriale_view().entries) {
        const std::vector<uint8_t>& f = e.frame;
        if (f.size() >= 4 && f[1] == SerCmd::DriveFunc && f[2] == code && f[3] == value)
            return true;
    }
    return false;
}

// A drive function of the every-tick synchronisation: not queued again while one waits.
void func_periodic(uint8_t code, uint8_t value)
{
    if (!func_waiting(code, value))
        Sertx_drive_func(code, value);
}

// Each switch of the remote state: function 3, control word 0, simulated inputs off.
void remote_switch(uint8_t func_value)
{
    func_periodic(FUNC_REMOTE, func_value);
    Busctrl_write_ctrl_word_periodic(0);
    SimInputMask.store(0);
    func_periodic(FUNC_INPUTS, 0);
}

void release(QToolButton* b)
{
    if (b->isChecked())
        b->setChecked(false);
}

void enable(QToolButton* b, bool on)
{
    if (b->isEnabled() != on)
        b->setEnabled(on);
}

// Key and subindex of a control word's parameter writes.
bool ctrl_word_key(uint16_t bus, Loc loc, uint16_t& key, uint8_t& sub)
{
    const BusObjectEntry* e = Busx_find(bus, loc).entry();
    if (e == nullptr)
        return false;
    key = e->index;
    sub = e->subindex;
    return true;
}

// A queued request that a returning drive must not receive: remote and input functions, and
// writes of either control word.
bool stale_after_loss(const std::vector<uint8_t>& f)
{
    if (f.size() < 4)
        return false;
    if (f[1] == SerCmd::DriveFunc)
        return f[2] == FUNC_REMOTE || f[2] == FUNC_INPUTS;
    if (f[1] != SerCmd::WriteVar || f.size() < 5)
        return false;
    const uint16_t key = static_cast<uint16_t>(f[2] << 8 | f[3]);
    uint16_t k = 0;
    uint8_t s = 0;
    return (ctrl_word_key(BusTypeId::Modbus, LiveLoc::MdbCtrlWord, k, s) && key == k && f[4] == s) ||
           (ctrl_word_key(BusTypeId::Canopen, LiveLoc::CanCtrlWord, k, s) && key == k && f[4] == s);
}

// The power and operative buttons show the requests as they are now (the enable steps and an
// alarm drop them).
void show_requests(TForm_main& f)
{
    const uint8_t ui = DriveUiFlags.load();
    if (f.SpeedButton_bus_power->isChecked() != bool(ui & UiFlag::Power))
        f.SpeedButton_bus_power->setChecked(ui & UiFlag::Power);
    if (f.SpeedButton_bus_operative->isChecked() != bool(ui & UiFlag::Operative))
        f.SpeedButton_bus_operative->setChecked(ui & UiFlag::Operative);
}

}  // namespace

// ---- periodic synchronisation ----

void TForm_main::UpdateCommandButtons(uint8_t ready)
{
    bool remote = false;
    if (ready == 1) {
        if ((AccessFlags & Access::Remote) && !SpeedButton_bus_remote->isEnabled())
            SpeedButton_bus_remote->setEnabled(true);
        // Only a status received in this contact tells whether the drive follows the program.
        const bool known = Ser_status_seen.load(std::memory_order_acquire) != 0;
        const bool ignored = drive_ignores_program();
        if (SpeedButton_bus_remote->isChecked()) {
            remote = true;
            if (known && ignored)
                remote_switch(REMOTE_TAKE);
        } else if (known && !ignored) {
            remote_switch(REMOTE_RELEASE);
        }
    } else if (SpeedButton_bus_remote->isEnabled()) {
        SpeedButton_bus_remote->setEnabled(false);
    }

    if (!remote) {
        // Requests end with remote control; a stored power/run bit goes out cleared once.
        set_ui_bits(UiFlag::Power | UiFlag::Operative, false);
        const CtrlWordRef ref = ctrl_word_of(bus_type());
        if (ref.word != nullptr && (*ref.word & ref.enable))
            Busctrl_write_ctrl_word(static_cast<uint16_t>(*ref.word & ~ref.enable));
        for (QToolButton* b : {SpeedButton_bus_power, SpeedButton_bus_operative, SpeedButton_bus_halt}) {
            enable(b, false);
            release(b);
        }
        enable(BitBtn_bus_reset_alarm, false);
        if (SignalGenerator.on.load() == 0)
            SimInputMask.store(0);
        for (ButtonPtr p : INPUT_BUTTONS) {
            enable(this->*p, false);
            release(this->*p);
        }
        return;
    }

    for (QToolButton* b :
         {SpeedButton_bus_power, SpeedButton_bus_operative, SpeedButton_bus_halt, BitBtn_bus_reset_alarm})
        enable(b, true);
    for (ButtonPtr p : INPUT_BUTTONS)
        enable(this->*p, true);

    // Operation needs power.
    if (!(DriveUiFlags.load() & UiFlag::Power) &&
        ((DriveUiFlags.load() & UiFlag::Operative) || SpeedButton_bus_operative->isChecked())) {
        set_ui_bits(UiFlag::Operative, false);
        release(SpeedButton_bus_operative);
    }

    if (Drive_status_get().alarm_word & DRIVE_ALARM_MASK) {
        set_ui_bits(UiFlag::Power | UiFlag::Operative, false);
        bool inputs_changed = false;
        for (uint8_t n = 0; n < 2; ++n) {
            QToolButton* b = this->*INPUT_BUTTONS[n];
            if (b->isChecked() || (SimInputMask.load() & (1u << n))) {
                release(b);
                set_input_bit(n, false);
                inputs_changed = true;
            }
        }
        if (inputs_changed)
            Sertx_drive_func(FUNC_INPUTS, SimInputMask.load());
    }

    show_requests(*this);
}

void TForm_main::Main_bus_enable_step()
{
    if (drive_ignores_program())
        return;
    switch (bus_type()) {
    case BusTypeId::Modbus:
        Mdbcontrol_enable_step();
        break;
    case BusTypeId::Canopen:
        Cancontrol_enable_step();
        break;
    default:
        return;
    }
    show_requests(*this);
}

void TForm_main::Main_ctrl_link_lost()
{
    UpdateCommandButtons(0);
    set_ui_bits(REQUEST_BITS, false);
    for (uint16_t bus : {BusTypeId::Modbus, BusTypeId::Canopen}) {
        const CtrlWordRef ref = ctrl_word_of(bus);
        *ref.word = static_cast<uint16_t>(*ref.word & ~ref.enable);
    }
    for (const Ser_queue_entry& e : Seriale_view().entries)
        if (stale_after_loss(e.frame))
            Seriale_pop(e.id);
}

void TForm_main::Main_release_remote()
{
    if (!SpeedButton_bus_remote->isChecked() || !Sertx_ready())
        return;
    Busctrl_write_ctrl_word(0);
    SimInputMask.store(0);
    Sertx_drive_func(FUNC_INPUTS, 0);
    Sertx_drive_func(FUNC_REMOTE, REMOTE_RELEASE);
    const uint32_t start = Tick_ms();
    while (Seriale_count() > 0 && Ser_tx_state.load() == LinkState::Run &&
           Tick_diff(Tick_ms(), start) < RELEASE_DRAIN_MS)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    set_ui_bits(REQUEST_BITS, false);
    release(SpeedButton_bus_remote);
}

// ---- button handlers ----

void TForm_main::SpeedButton_bus_remoteClick()
{
    set_ui_bits(REQUEST_BITS, false);
}

void TForm_main::SpeedButton_bus_powerClick()
{
    set_ui_bits(UiFlag::Power, SpeedButton_bus_power->isChecked());
}

void TForm_main::SpeedButton_bus_operativeClick()
{
    set_ui_bits(UiFlag::Operative, SpeedButton_bus_operative->isChecked());
}

void TForm_main::SpeedButton_bus_haltClick()
{
    Busctrl_set_halt(SpeedButton_bus_halt->isChecked() ? 1 : 0);
}

void TForm_main::BitBtn_bus_reset_alarmClick()
{
    Busctrl_fault_reset();
}

void TForm_main::SpeedButton_io_inputClick(uint8_t n)
{
    if (n >= INPUT_COUNT)
        return;
    set_input_bit(n, (this->*INPUT_BUTTONS[n])->isChecked());
    Sertx_drive_func(FUNC_INPUTS, SimInputMask.load());
}

void TForm_main::Main_ctrl_word_buttonClick(QToolButton* button)
{
    for (const WordButton& w : WORD_BUTTONS) {
        if (this->*w.button != button)
            continue;
        if (bus_type() != w.bus_type)
            return;  // a bar of another profile: its word is not the drive's
        const CtrlWordRef ref = ctrl_word_of(w.bus_type);
        uint16_t value = button->isChecked() ? (*ref.word | w.bit) : (*ref.word & ~w.bit);
        value &= static_cast<uint16_t>(~w.clear);
        Busctrl_write_ctrl_word(value);
        return;
    }
}

// ---- tool bars ----

void TForm_main::ArrangeBusToolbars()
{
    Main_hide_bus_toolbars();
    const uint16_t bus = bus_type();
    const bool io = bus == BusTypeId::Io;
    ToolBar_bus_power_operational->setVisible(!io);
    ToolBar_io_power_operational->setVisible(io);
    if (bus == BusTypeId::Modbus)
        Main_show_mdb_toolbar();
    else if (bus == BusTypeId::Canopen)
        Main_show_can_toolbar();
}

void TForm_main::Main_hide_bus_toolbars()
{
    for (const ModeBar& m : MODE_BARS)
        (this->*m.bar)->hide();
    if (DriveUiFlags.load() & UiFlag::Remote)
        return;
    for (const WordButton& w : WORD_BUTTONS)
        if (this->*w.button != SpeedButton_can_hp_start)
            release(this->*w.button);
}

namespace {

void show_mode_bar(TForm_main& f, uint16_t bus)
{
    const int mode = control_mode(bus);
    const bool on = (DriveUiFlags.load() & UiFlag::Remote) && (Ser_link_flags.load() & LinkFlag::Answers);
    for (const ModeBar& m : MODE_BARS) {
        if (m.bus_type != bus || m.mode != mode)
            continue;
        for (const WordButton& w : WORD_BUTTONS)
            if (w.bar == m.bar)
                enable(f.*w.button, on);
        (f.*m.bar)->show();
        return;
    }
}

}  // namespace

void TForm_main::Main_show_can_toolbar()
{
    show_mode_bar(*this, BusTypeId::Canopen);
}

void TForm_main::Main_show_mdb_toolbar()
{
    show_mode_bar(*this, BusTypeId::Modbus);
}

void TForm_main::ShowControlType()
{
    if (Panel_bus_control_type == nullptr || Panel_crtl_type_dat == nullptr)
        return;
    const QColor colour = (Ser_link_flags.load() & LinkFlag::Answers) ? clBlue : clGray;
    Graph_set_text_colour(Panel_bus_control_type, colour);
    Graph_set_text_colour(Panel_crtl_type_dat, colour);
    const uint16_t bus = bus_type();
    Panel_bus_control_type->setText(bus < std::size(BUS_TYPE_TEXT) ? BUS_TYPE_TEXT[bus] : "");
    const int mode = control_mode(bus);
    const ControlTypeRow* row = nullptr;
    if (bus == BusTypeId::Io)
        row = find_type(IO_TYPES, mode);
    else if (bus == BusTypeId::Modbus)
        row = find_type(MDB_TYPES, mode);
    else if (bus == BusTypeId::Canopen)
        row = find_type(CAN_TYPES, mode) ? find_type(CAN_TYPES, mode) : &CAN_TYPES[0];
    Panel_crtl_type_dat->setText(row ? QString::fromUtf8(row->text[Lang_index()]) : QString());
    // A long mode wraps, but no word of it is cut.
    int widest = 0;
    for (const QString& word : Panel_crtl_type_dat->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, Panel_crtl_type_dat->fontMetrics().horizontalAdvance(word));
    Panel_crtl_type_dat->setMinimumWidth(widest);
}

// ---- wiring ----

void TForm_main::Main_control_connect()
{
    if (Panel_bus_control_type != nullptr)
        return;  // already connected
    // The two panels of the monitor's control type, the bus above the mode.
    auto* row = new QVBoxLayout(Panel_crtl_type);
    row->setContentsMargins(0, 0, 1, 0);  // the longest mode word fits in the column the other rows make
    row->setSpacing(0);
    Panel_bus_control_type = new QLabel(Panel_crtl_type);
    Panel_bus_control_type->setObjectName("Panel_bus_control_type");
    Panel_crtl_type_dat = new QLabel(Panel_crtl_type);
    Panel_crtl_type_dat->setObjectName("Panel_crtl_type_dat");
    Panel_crtl_type_dat->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The mode takes the room the other rows leave (two lines when it needs them): it never widens
    // the left column into the page area.
    Panel_crtl_type_dat->setWordWrap(true);
    Panel_crtl_type_dat->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(Panel_bus_control_type);
    row->addWidget(Panel_crtl_type_dat);

    connect(SpeedButton_bus_remote, &QToolButton::clicked, this, [this] { SpeedButton_bus_remoteClick(); });
    connect(SpeedButton_bus_power, &QToolButton::clicked, this, [this] { SpeedButton_bus_powerClick(); });
    connect(SpeedButton_bus_operative, &QToolButton::clicked, this, [this] { SpeedButton_bus_operativeClick(); });
    connect(SpeedButton_bus_halt, &QToolButton::clicked, this, [this] { SpeedButton_bus_haltClick(); });
    connect(BitBtn_bus_reset_alarm, &QToolButton::clicked, this, [this] { BitBtn_bus_reset_alarmClick(); });
    for (uint8_t n = 0; n < INPUT_COUNT; ++n)
        connect(this->*INPUT_BUTTONS[n], &QToolButton::clicked, this, [this, n] { SpeedButton_io_inputClick(n); });
    for (const WordButton& w : WORD_BUTTONS) {
        QToolButton* b = this->*w.button;
        connect(b, &QToolButton::clicked, this, [this, b] { Main_ctrl_word_buttonClick(b); });
    }
    connect(Menu_ORVEL1, &QAction::triggered, this, [this] { Menu_ORVEL1Click(); });
    connect(Menu_PELSAN1, &QAction::triggered, this, [this] { Menu_PELSAN1Click(); });
}
