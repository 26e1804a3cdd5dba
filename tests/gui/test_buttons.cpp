// Drive command buttons: one table of click scripts with the requests they queue, the tool bars by
// bus type and control mode, and link loss and disconnect against the drive simulator.
#include "control_fixture.h"

#include <QLabel>

#include <sstream>

using namespace controltest;

namespace {

// A click script on the window with a ready link; the queue as queue_text() shows it after the
// script (values in decimal), and the buttons down among the remote, power and operative ones.
struct ClickScript {
    uint16_t bus;
    uint16_t bus_status;
    uint8_t mode;
    const char* steps;
    const char* queued;
    const char* down;
};

const ClickScript SCRIPTS[] = {
    // Remote control: offered only with the access bit; taking it sends the switch once, and a drive
    // that never grants it gets nothing more; the button stays down while the link is not ready.
    {BusTypeId::Canopen, 0x0250, 0, "u1 bus_remote u1", "", ""},
    {BusTypeId::Canopen, 0x0250, 0, "A u1 bus_remote u1 t100", "F3,0 W6040=0 F4,0", "bus_remote"},
    {BusTypeId::Canopen, 0x0250, 0, "A u1 bus_remote u0 bus_power u1", "F3,0 W6040=0 F4,0", "bus_remote"},
    // CANopen power-up: three enable steps as the drive follows; releasing power disables voltage once.
    {BusTypeId::Canopen, 0x0250, 0, "G0050 bus_power bus_operative s0050 t s0031 t s0033 t s0037 t s0037 t",
     "W6040=6 W6040=7 W6040=F", "bus_remote bus_power bus_operative"},
    {BusTypeId::Canopen, 0x0250, 0, "G0050 bus_power s0050 t c bus_power t t", "W6040=0", "bus_remote"},
    // A drive that stops accepting the program (status bit 9) runs no step: control is taken again.
    {BusTypeId::Canopen, 0x0250, 0, "G0050 bus_power c s0231 t", "F3,0 W6040=0 F4,0", "bus_remote bus_power"},
    // A fault with bit 5 keeps the requests; without it they drop. The reset pulse has its shape.
    {BusTypeId::Canopen, 0x0250, 0, "G0050 bus_power bus_operative s0028 t", "",
     "bus_remote bus_power bus_operative"},
    {BusTypeId::Canopen, 0x0250, 0, "G0050 bus_power bus_operative s0008 t c bus_reset_alarm",
     "W6040=0 W6040=80 P P P P P P P P P W6040=0", "bus_remote"},
    // Modbus: power, run, a fault, the reset, the halt bit, an alarm that drops the power request.
    {BusTypeId::Modbus, BIT9, 0, "G0000 bus_power t s0001 bus_operative t", "W0300=1 W0300=3",
     "bus_remote bus_power bus_operative"},
    {BusTypeId::Modbus, BIT9, 0, "G0000 bus_power t s0001 bus_operative t s0013 t c bus_reset_alarm",
     "W0300=0 W0300=4 P P P P P P P P P W0300=0", "bus_remote"},
    {BusTypeId::Modbus, BIT9, 0, "G0000 bus_halt bus_halt", "W0300=8 W0300=0", "bus_remote"},
    {BusTypeId::Modbus, BIT9, 0, "G0000 bus_power t c a0001 t t", "W0300=0", "bus_remote"},
    // Mode buttons set their bits; the jog pair excludes each other; another profile's bar writes nothing.
    {BusTypeId::Modbus, BIT9, 3, "G0000 mdb_pos_jog_meno mdb_pos_jog_piu mdb_pos_ass_relativ mdb_pos_ass_relativ",
     "W0300=20 W0300=40 W0300=140 W0300=40", "bus_remote"},
    {BusTypeId::Canopen, BIT9, 0xFF, "G0000 can_grbx_sfasa can_grbx_start mdb_grbx_start", "W6040=200 W6040=210",
     "bus_remote"},
    // Simulated inputs; an alarm drops the power inputs once, a warning drops nothing.
    {BusTypeId::Io, BIT9, 0, "G0000 io_I0_power io_I3_CCW", "F4,1 F4,9", "bus_remote"},
    {BusTypeId::Io, BIT9, 0, "G0000 io_I0_power io_I3_CCW c a0004 u1 u1", "F4,8", "bus_remote"},
    {BusTypeId::Io, BIT9, 0, "G0000 a0010 io_I1_operative io_I3_CCW u1", "F4,2 F4,10", "bus_remote"},
    // Releasing remote control gives it back and drops every request and input.
    {BusTypeId::Canopen, BIT9, 0, "G0000 bus_power s0050 t io_I4_input c bus_remote u1", "F3,1 W6040=0 F4,0", ""},
    // An unknown bus type shows the power bar but writes no control word.
    {3, BIT9, 0, "G0000 bus_power bus_halt bus_reset_alarm t t t", "", "bus_remote bus_power"},
    // The drive lost: requests and the queued remote commands go, other requests stay.
    {BusTypeId::Canopen, BIT9, 0, "G0050 bus_power t f3,0 f4,1 f2,0 w1234 T L T", "F2,0 W1234=0", "bus_remote"},
};

void PrintTo(const ClickScript& c, std::ostream* os) { *os << c.steps; }

class Buttons : public ControlTest {
protected:
    QToolButton* button(const std::string& suffix)
    {
        QToolButton* found = nullptr;
        for (QToolButton* b : main->findChildren<QToolButton*>())
            if (b->objectName().endsWith(QString::fromStdString("_" + suffix))) {
                EXPECT_EQ(found, nullptr) << suffix << " is not unique";
                found = b;
            }
        EXPECT_NE(found, nullptr) << suffix;
        return found;
    }

    // Steps: a button's name after its prefix clicks it; Gxxxx takes remote control granted with
    // that field-bus status; sxxxx sets the field-bus status, axxxx the alarm word; t (tN) runs
    // display ticks; u0/u1 the command buttons' update; c clears the queue; A gives the remote
    // access; fc,v queues a drive function, wkkkk a parameter write; T runs the control timer,
    // L marks the drive lost.
    void run(const std::string& script)
    {
        std::istringstream in(script);
        std::string s;
        while (in >> s) {
            const auto hex = [&s] { return static_cast<uint16_t>(std::stoul(s.substr(1), nullptr, 16)); };
            if (s[0] == 'G' && s.size() == 5) {
                take_remote(hex());
            } else if (s[0] == 's' && s.size() == 5) {
                set_bus_status(hex());
            } else if (s[0] == 'a' && s.size() == 5) {
                set_alarm_word(hex());
            } else if (s[0] == 't') {
                for (int i = 0, n = s.size() > 1 ? std::stoi(s.substr(1)) : 1; i < n; ++i)
                    ready_tick();
            } else if (s == "u0" || s == "u1") {
                main->UpdateCommandButtons(s == "u1");
            } else if (s == "c") {
                Seriale_clear_queue();
            } else if (s == "A") {
                AccessFlags |= Access::Remote;
            } else if (s[0] == 'f') {
                Sertx_drive_func(static_cast<uint8_t>(s[1] - '0'), static_cast<uint8_t>(s[3] - '0'));
            } else if (s[0] == 'w') {
                Ser_req_ptr w = Ser_req_new(SerCmd::WriteVar, 8);
                w->frame[2] = static_cast<uint8_t>(hex() >> 8);
                w->frame[3] = static_cast<uint8_t>(hex());
                ASSERT_TRUE(Seriale_push(std::move(w)));
            } else if (s == "T") {
                main->Timer_ctrlTimer();
                main->Timer_ctrl->stop();
            } else if (s == "L") {
                Ser_link_flags.store(0);
            } else if (QToolButton* b = button(s)) {
                b->click();
            }
        }
    }

    std::string down()
    {
        std::string s;
        for (const char* name : {"bus_remote", "bus_power", "bus_operative"})
            if (button(name)->isChecked())
                s += (s.empty() ? "" : " ") + std::string(name);
        return s;
    }
};

}  // namespace

class ClickScripts : public Buttons, public ::testing::WithParamInterface<ClickScript> {};

TEST_P(ClickScripts, QueueTheirRequests)
{
    const ClickScript& c = GetParam();
    open_controlled();
    link_ready(c.bus, c.bus_status, c.mode);
    UpdateEditState(EditMode::Force);
    run(c.steps);
    EXPECT_EQ(queue_text(), c.queued);
    EXPECT_EQ(down(), c.down);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ClickScripts, ::testing::ValuesIn(SCRIPTS));

TEST_F(Buttons, InputsStayWithTheSignalGeneratorAndReleasedButtonsAreDisabled)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, BIT9);
    run("G0000 io_I4_input bus_remote u1");
    EXPECT_EQ(SimInputMask.load(), 0);
    for (const char* name : {"bus_power", "bus_operative", "bus_halt", "bus_reset_alarm", "io_I4_input"})
        EXPECT_FALSE(button(name)->isEnabled()) << name;

    SimInputMask.store(0x10);
    SignalGenerator.on.store(1);
    run("s0200 u1");
    EXPECT_EQ(SimInputMask.load(), 0x10);
}

TEST_F(Buttons, ToolBarsAndControlTypeFollowBusTypeAndControlMode)
{
    open_controlled();
    struct Case {
        uint16_t bus;
        uint8_t mode;
        QWidget* TForm_main::*bar;
        const char* type_text;
        const char* bus_text;
    };
    const Case cases[] = {
        {BusTypeId::Canopen, 1, &TForm_main::ToolBar_can_pos, "[1]Position Mode", "CanOpen"},
        {BusTypeId::Canopen, 2, &TForm_main::ToolBar_can_vel_mode, "[2]Velocity Mode", "CanOpen"},
        {BusTypeId::Canopen, 6, &TForm_main::ToolBar_can_hp, "[6]Homing Mode", "CanOpen"},
        {BusTypeId::Canopen, 0xFF, &TForm_main::ToolBar_can_grbx, "[-1]GearBox Mode", "CanOpen"},
        {BusTypeId::Canopen, 3, nullptr, "[3]Prof. Vel. Mode", "CanOpen"},
        {BusTypeId::Canopen, 5, nullptr, "[1]Position Mode", "CanOpen"},  // unknown: the first row's text
        {BusTypeId::Modbus, 2, &TForm_main::ToolBar_mdb_grbx, "[2]Eletric Axis", "MODBUS"},
        {BusTypeId::Modbus, 3, &TForm_main::ToolBar_mdb_pos, "[3]Position", "MODBUS"},
        {BusTypeId::Modbus, 0xFF, nullptr, "", "MODBUS"},
        {BusTypeId::Io, 1, nullptr, "[1]Torque", "Input/OutPut"},
        {3, 1, nullptr, "", ""},
    };
    QWidget* TForm_main::*const all[] = {&TForm_main::ToolBar_can_pos, &TForm_main::ToolBar_can_vel_mode,
                                         &TForm_main::ToolBar_can_hp,  &TForm_main::ToolBar_can_grbx,
                                         &TForm_main::ToolBar_mdb_grbx, &TForm_main::ToolBar_mdb_pos};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bus) + "/" + std::to_string(c.mode));
        link_ready(c.bus, 0x0000, c.mode);
        UpdateEditState(EditMode::Force);
        for (auto bar : all)
            EXPECT_EQ(!(main.get()->*bar)->isHidden(), bar == c.bar);
        EXPECT_EQ(main->Panel_crtl_type_dat->text(), QString::fromUtf8(c.type_text));
        EXPECT_EQ(main->ToolBar_io_power_operational->isHidden(), c.bus != BusTypeId::Io);
        EXPECT_EQ(main->ToolBar_bus_power_operational->isHidden(), c.bus == BusTypeId::Io);
        EXPECT_EQ(main->Panel_bus_control_type->text(), c.bus_text);
    }

    // Without remote control the bars release their buttons when rearranged; the homing start of
    // CANopen is left as it is.
    link_ready(BusTypeId::Canopen, BIT9, 6);
    UpdateEditState(EditMode::Force);
    main->SpeedButton_can_hp_start->setChecked(true);
    main->SpeedButton_can_grbx_start->setChecked(true);
    UpdateEditState(EditMode::Force);
    EXPECT_TRUE(main->SpeedButton_can_hp_start->isChecked());
    EXPECT_FALSE(main->SpeedButton_can_grbx_start->isChecked());
    EXPECT_FALSE(main->SpeedButton_can_hp_start->isEnabled());
}

// ---- against the drive simulator ----

namespace {

// "W<value>" per write of the CANopen control word, "F<code>,<value>" per drive function.
std::vector<std::string> control_requests(const std::vector<SimLogEntry>& log)
{
    std::vector<std::string> out;
    for (const SimLogEntry& e : log) {
        if (e.cmd == 4 && e.bytes.size() >= 12 && (e.bytes[2] << 8 | e.bytes[3]) == KEY_CAN_CTRL)
            out.push_back("W" + std::to_string(e.bytes[6] << 24 | e.bytes[7] << 16 | e.bytes[8] << 8 | e.bytes[9]));
        else if (e.cmd == 8)
            out.push_back("F" + std::to_string(e.bytes[2]) + "," + std::to_string(e.bytes[3]));
    }
    return out;
}

class ButtonsSim : public ControlTest {
protected:
    // A CANopen drive that gives the program control at once, with power requested.
    void connect_in_control()
    {
        open_controlled(true);
        attach_simulator();
        SimBytes image = linktest::test_image(11);
        put_be16(image, RecOfs::BusType, BusTypeId::Canopen);
        sim->set_image(image);
        SimBytes status(DriveSim::kStatusSize, 0);
        put_be16(status, 8, 0x0050);
        sim->set_status(status);
        AccessFlags |= Access::Remote;
        connect_and_read();
        ASSERT_TRUE(pump_until([this] { return main->SpeedButton_bus_remote->isEnabled(); }, 2000));
        main->SpeedButton_bus_remote->click();
        pump_for(100);
        main->SpeedButton_bus_power->click();
        ASSERT_TRUE(pump_until(
            [this] {
                const auto seen = control_requests(sim->requests(4));
                return std::find(seen.begin(), seen.end(), "W6") != seen.end();
            },
            2000));
    }
};

}  // namespace

TEST_F(ButtonsSim, DisconnectWhileInControlGivesControlBackBeforeThePortCloses)
{
    connect_in_control();
    sim->clear_log();
    main->BitBtn_disconnect->click();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    std::vector<std::string> seen;
    for (const std::string& r : control_requests(sim->requests()))
        if (r[0] == 'F' || r == "W0")
            seen.push_back(r);
    EXPECT_EQ(seen, (std::vector<std::string>{"W0", "F4,0", "F3,1"}));
    EXPECT_EQ(sim->reply_count(8), sim->request_count(8));  // answered before the port closed
    EXPECT_FALSE(main->SpeedButton_bus_remote->isChecked());
}
