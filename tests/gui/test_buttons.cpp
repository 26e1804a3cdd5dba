// Drive command buttons, the remote synchronisation, the bus enable steps as the display tick runs
// them, the tool bars and control-type texts, simulated inputs; link loss and disconnect against
// the drive simulator.
#include "control_fixture.h"

#include <QLabel>

#include "drivedata/Cancontrol.h"
#include "drivedata/Mdbcontrol.h"

using namespace controltest;

namespace {

using Buttons = ControlTest;

uint8_t ui() { return DriveUiFlags.load(); }

std::vector<uint32_t> low_nibbles(const std::vector<uint32_t>& values)
{
    std::vector<uint32_t> out;
    for (uint32_t v : values)
        out.push_back(v & 0xF);
    return out;
}

}  // namespace

TEST_F(Buttons, RemoteIsOfferedOnlyWithTheAccessBitAndTakingItSendsTheSwitchOnce)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, 0x0250);
    main->UpdateCommandButtons(1);
    EXPECT_FALSE(main->SpeedButton_bus_remote->isEnabled());
    EXPECT_EQ(queue_text(), "");  // button up, the drive ignores the program: nothing to give back

    AccessFlags |= Access::Remote;
    main->UpdateCommandButtons(1);
    ASSERT_TRUE(main->SpeedButton_bus_remote->isEnabled());
    main->SpeedButton_bus_remote->click();
    main->UpdateCommandButtons(1);
    EXPECT_EQ(queue_text(), "F3,0 W6040=0 F4,0");
    EXPECT_TRUE(main->SpeedButton_bus_power->isEnabled());
    EXPECT_TRUE(main->BitBtn_bus_reset_alarm->isEnabled());

    // A drive that never grants control: three seconds of ticks add nothing while the same
    // requests still wait.
    for (int i = 0; i < 100; ++i)
        ready_tick();
    EXPECT_EQ(queue_text(), "F3,0 W6040=0 F4,0");

    // Link not ready: the button is disabled but stays down for the return.
    main->UpdateCommandButtons(0);
    EXPECT_FALSE(main->SpeedButton_bus_remote->isEnabled());
    EXPECT_TRUE(main->SpeedButton_bus_remote->isChecked());
    EXPECT_FALSE(main->SpeedButton_bus_power->isEnabled());
}

TEST_F(Buttons, CanopenPowerUpTakesThreeTicksAndReleasingPowerDisablesVoltageOnce)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, 0x0250);
    take_remote(0x0050);
    main->SpeedButton_bus_power->click();
    main->SpeedButton_bus_operative->click();
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative), UiFlag::Power | UiFlag::Operative);

    for (uint16_t s : {0x0050, 0x0031, 0x0033, 0x0037, 0x0037}) {
        set_bus_status(s);
        ready_tick();
    }
    EXPECT_EQ(low_nibbles(writes_of(KEY_CAN_CTRL)), (std::vector<uint32_t>{0x6, 0x7, 0xF}));

    Seriale_clear_queue();
    main->SpeedButton_bus_power->click();
    ready_tick();
    ready_tick();
    EXPECT_EQ(writes_of(KEY_CAN_CTRL), (std::vector<uint32_t>{0x0}));
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative | UiFlag::QuickStopHold), 0);
    EXPECT_FALSE(main->SpeedButton_bus_power->isChecked());
    EXPECT_FALSE(main->SpeedButton_bus_operative->isChecked());

    // A drive that stops accepting the program (bit 9 set) runs no step: control is taken again.
    main->SpeedButton_bus_power->click();
    Seriale_clear_queue();
    set_bus_status(0x0231);
    ready_tick();
    EXPECT_EQ(queue_text(), "F3,0 W6040=0 F4,0");
}

TEST_F(Buttons, CanopenFaultWithBitFiveKeepsTheRequestsAndTheResetPulseHasItsShape)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, 0x0250);
    take_remote(0x0050);
    main->SpeedButton_bus_power->click();
    main->SpeedButton_bus_operative->click();

    set_bus_status(0x0028);
    ready_tick();
    EXPECT_EQ(queue_text(), "");
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative), UiFlag::Power | UiFlag::Operative);
    EXPECT_TRUE(main->SpeedButton_bus_power->isChecked());
    EXPECT_EQ(Cancontrol_state(0x0028), CanState::Fault);

    set_bus_status(0x0008);
    ready_tick();
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative), 0);
    EXPECT_FALSE(main->SpeedButton_bus_power->isChecked());  // the buttons follow the requests
    EXPECT_FALSE(main->SpeedButton_bus_operative->isChecked());

    Seriale_clear_queue();
    main->BitBtn_bus_reset_alarm->click();
    EXPECT_EQ(queue_text(), "W6040=0 W6040=80 P P P P P P P P P W6040=0");
}

TEST_F(Buttons, ModbusPowerRunFaultAndAResetThatPowersNothing)
{
    open_controlled();
    link_ready(BusTypeId::Modbus, BIT9);
    take_remote(0x0000);
    main->SpeedButton_bus_power->click();
    ready_tick();
    EXPECT_EQ(writes_of(KEY_MDB_CTRL), (std::vector<uint32_t>{0x1}));

    set_bus_status(0x0001);
    main->SpeedButton_bus_operative->click();
    ready_tick();
    EXPECT_EQ(writes_of(KEY_MDB_CTRL), (std::vector<uint32_t>{0x1, 0x3}));

    set_bus_status(0x0013);  // fault
    ready_tick();
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative), 0);
    EXPECT_EQ(writes_of(KEY_MDB_CTRL).back(), 0x0u);

    Seriale_clear_queue();
    main->BitBtn_bus_reset_alarm->click();
    EXPECT_EQ(queue_text(), "W0300=0 W0300=4 P P P P P P P P P W0300=0");

    // The halt button sets and clears its bit.
    Seriale_clear_queue();
    main->SpeedButton_bus_halt->click();
    main->SpeedButton_bus_halt->click();
    EXPECT_EQ(queue_text(), "W0300=8 W0300=0");

    // An alarm drops the requests; the enable step then clears the stored power bit once.
    set_bus_status(0x0000);
    main->SpeedButton_bus_power->click();
    ready_tick();
    Seriale_clear_queue();
    set_alarm_word(1u << 0);
    ready_tick();
    EXPECT_FALSE(main->SpeedButton_bus_power->isChecked());
    EXPECT_EQ(ui() & UiFlag::Power, 0);
    ready_tick();
    EXPECT_EQ(queue_text(), "W0300=0");
}

TEST_F(Buttons, StateDecodersOverEveryRow)
{
    const std::pair<uint16_t, uint16_t> can[] = {
        {0x0008, 8}, {0x0028, 8}, {0x000F, 7}, {0x0000, 1}, {0x0020, 1}, {0x0040, 2}, {0x0060, 2},
        {0x0007, 6}, {0x0021, 3}, {0x0023, 4}, {0x0027, 5}, {0x0237, 5}, {0x0001, 0}, {0x0048, 0}};
    for (const auto& [s, state] : can)
        EXPECT_EQ(Cancontrol_state(s), state) << std::hex << s;
    const std::pair<uint16_t, uint16_t> mdb[] = {{0x0010, 7}, {0x4011, 7}, {0x4000, 6}, {0x4001, 6}, {0x0004, 4},
                                                 {0x000C, 4}, {0x0008, 5}, {0x0002, 3}, {0x0003, 3}, {0x0001, 2},
                                                 {0x0000, 1}, {0x8020, 1}};
    for (const auto& [s, state] : mdb)
        EXPECT_EQ(Mdbcontrol_state(s), state) << std::hex << s;
}

TEST_F(Buttons, ModeToolBarsFollowBusTypeAndControlMode)
{
    open_controlled();
    struct Case {
        uint16_t bus;
        uint8_t mode;
        QWidget* TForm_main::*bar;
        const char* type_text;
    };
    const Case cases[] = {
        {BusTypeId::Canopen, 1, &TForm_main::ToolBar_can_pos, "[1]Position Mode"},
        {BusTypeId::Canopen, 2, &TForm_main::ToolBar_can_vel_mode, "[2]Velocity Mode"},
        {BusTypeId::Canopen, 6, &TForm_main::ToolBar_can_hp, "[6]Homing Mode"},
        {BusTypeId::Canopen, 0xFF, &TForm_main::ToolBar_can_grbx, "[-1]GearBox Mode"},
        {BusTypeId::Canopen, 3, nullptr, "[3]Prof. Vel. Mode"},
        {BusTypeId::Canopen, 5, nullptr, "[1]Position Mode"},  // unknown: the first row's text
        {BusTypeId::Modbus, 2, &TForm_main::ToolBar_mdb_grbx, "[2]Eletric Axis"},
        {BusTypeId::Modbus, 3, &TForm_main::ToolBar_mdb_pos, "[3]Position"},
        {BusTypeId::Modbus, 0xFF, nullptr, ""},
        {BusTypeId::Io, 1, nullptr, "[1]Torque"},
        {3, 1, nullptr, ""},
    };
    QWidget* TForm_main::*const all[] = {&TForm_main::ToolBar_can_pos, &TForm_main::ToolBar_can_vel_mode,
                                         &TForm_main::ToolBar_can_hp,  &TForm_main::ToolBar_can_grbx,
                                         &TForm_main::ToolBar_mdb_grbx, &TForm_main::ToolBar_mdb_pos};
    for (const Case& c : cases) {
        link_ready(c.bus, 0x0000, c.mode);
        UpdateEditState(EditMode::Force);
        for (auto bar : all)
            EXPECT_EQ(!(main.get()->*bar)->isHidden(), bar == c.bar) << c.bus << "/" << int(c.mode);
        EXPECT_EQ(main->Panel_crtl_type_dat->text(), QString::fromUtf8(c.type_text)) << c.bus << "/" << int(c.mode);
        EXPECT_EQ(main->ToolBar_io_power_operational->isHidden(), c.bus != BusTypeId::Io);
        EXPECT_EQ(main->ToolBar_bus_power_operational->isHidden(), c.bus == BusTypeId::Io);
    }
    EXPECT_EQ(main->Panel_bus_control_type->text(), "");
    link_ready(BusTypeId::Canopen, 0x0000, 1);
    UpdateEditState(EditMode::Force);
    EXPECT_EQ(main->Panel_bus_control_type->text(), "CanOpen");
    EXPECT_EQ(main->Panel_bus_control_type->palette().color(QPalette::WindowText).rgb(), clBlue.rgb());
    Ser_link_flags.store(0);
    UpdateEditState(EditMode::Reset);
    EXPECT_EQ(main->Panel_bus_control_type->palette().color(QPalette::WindowText).rgb(), clGray.rgb());

    // Italian texts.
    LanguageIndex = 0;
    link_ready(BusTypeId::Modbus, 0x0000, 3);
    UpdateEditState(EditMode::Force);
    EXPECT_EQ(main->Panel_crtl_type_dat->text(), "[3]Posizionatore");
}

TEST_F(Buttons, ModeButtonsSetTheirBitsAndTheJogPairExcludesEachOther)
{
    open_controlled();
    link_ready(BusTypeId::Modbus, BIT9, 3);
    take_remote(0x0000);
    ASSERT_FALSE(main->ToolBar_mdb_pos->isHidden());
    ASSERT_TRUE(main->SpeedButton_mdb_pos_jog_piu->isEnabled());

    main->SpeedButton_mdb_pos_jog_meno->click();
    EXPECT_EQ(BusCtrlWord.mdb_ctrl, 0x0020);
    main->SpeedButton_mdb_pos_jog_piu->click();
    EXPECT_FALSE(main->SpeedButton_mdb_pos_jog_meno->isChecked());
    EXPECT_EQ(BusCtrlWord.mdb_ctrl, 0x0040);
    main->SpeedButton_mdb_pos_ass_relativ->click();
    EXPECT_EQ(BusCtrlWord.mdb_ctrl, 0x0140);
    main->SpeedButton_mdb_pos_ass_relativ->click();
    EXPECT_EQ(writes_of(KEY_MDB_CTRL), (std::vector<uint32_t>{0x20, 0x40, 0x140, 0x40}));

    // Without remote control the bars release their buttons when rearranged; the homing start
    // of CANopen is left as it is.
    link_ready(BusTypeId::Canopen, BIT9, 6);
    UpdateEditState(EditMode::Force);
    main->SpeedButton_can_hp_start->setChecked(true);
    main->SpeedButton_can_grbx_start->setChecked(true);
    UpdateEditState(EditMode::Force);
    EXPECT_TRUE(main->SpeedButton_can_hp_start->isChecked());
    EXPECT_FALSE(main->SpeedButton_can_grbx_start->isChecked());
    EXPECT_FALSE(main->SpeedButton_can_hp_start->isEnabled());  // no remote control
}

TEST_F(Buttons, CanopenModeButtonWritesSixtyFortyWithItsBit)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, BIT9, 0xFF);
    take_remote(0x0000);
    ASSERT_FALSE(main->ToolBar_can_grbx->isHidden());
    main->SpeedButton_can_grbx_sfasa->click();
    main->SpeedButton_can_grbx_start->click();
    EXPECT_EQ(writes_of(KEY_CAN_CTRL), (std::vector<uint32_t>{0x200, 0x210}));
    // A bar of the other profile does not touch this drive's word.
    main->Main_ctrl_word_buttonClick(main->SpeedButton_mdb_grbx_start);
    EXPECT_EQ(writes_of(KEY_CAN_CTRL).size(), 2u);
    EXPECT_TRUE(writes_of(KEY_MDB_CTRL).empty());
}

TEST_F(Buttons, SimulatedInputsAndTheAlarmThatDropsThePowerInputs)
{
    open_controlled();
    link_ready(BusTypeId::Io, BIT9);
    take_remote(0x0000);
    ASSERT_TRUE(main->SpeedButton_io_I0_power->isEnabled());
    main->SpeedButton_io_I0_power->click();
    main->SpeedButton_io_I3_CCW->click();
    EXPECT_EQ(queue_text(), "F4,1 F4,9");

    Seriale_clear_queue();
    set_alarm_word(1u << 2);
    main->UpdateCommandButtons(1);
    EXPECT_FALSE(main->SpeedButton_io_I0_power->isChecked());
    EXPECT_TRUE(main->SpeedButton_io_I3_CCW->isChecked());
    EXPECT_EQ(queue_text(), "F4,8");
    main->UpdateCommandButtons(1);
    EXPECT_EQ(queue_text(), "F4,8");  // nothing more to drop

    // A warning bit outside the alarm mask drops nothing.
    set_alarm_word(1u << 4);
    main->SpeedButton_io_I1_operative->click();
    main->UpdateCommandButtons(1);
    EXPECT_TRUE(main->SpeedButton_io_I1_operative->isChecked());
    EXPECT_EQ(SimInputMask.load(), 0x0A);
}

TEST_F(Buttons, ReleasingRemoteGivesControlBackAndTheGeneratorKeepsTheInputs)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, BIT9);
    take_remote(0x0000);
    main->SpeedButton_bus_power->click();
    set_bus_status(0x0050);
    ready_tick();
    main->SpeedButton_io_I4_input->click();  // a stored input
    Seriale_clear_queue();

    main->SpeedButton_bus_remote->click();  // up
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative | UiFlag::QuickStopHold), 0);
    main->UpdateCommandButtons(1);
    EXPECT_EQ(queue_text(), "F3,1 W6040=0 F4,0");
    EXPECT_EQ(SimInputMask.load(), 0);
    for (QToolButton* b : {main->SpeedButton_bus_power, main->SpeedButton_bus_operative, main->SpeedButton_bus_halt,
                           main->BitBtn_bus_reset_alarm, main->SpeedButton_io_I4_input}) {
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    }

    // With the signal generator running, losing remote control keeps the simulated inputs.
    SimInputMask.store(0x10);
    SignalGenerator.on.store(1);
    set_bus_status(BIT9);
    main->UpdateCommandButtons(1);
    EXPECT_EQ(SimInputMask.load(), 0x10);
}

TEST_F(Buttons, UnknownBusTypeShowsThePowerBarAndWritesNoControlWord)
{
    open_controlled();
    link_ready(3, BIT9);
    take_remote(0x0000);
    UpdateEditState(EditMode::Force);
    EXPECT_FALSE(main->ToolBar_bus_power_operational->isHidden());
    main->SpeedButton_bus_power->click();
    main->SpeedButton_bus_halt->click();
    main->BitBtn_bus_reset_alarm->click();
    for (int i = 0; i < 3; ++i)
        ready_tick();
    EXPECT_EQ(queue_text(), "");
}

TEST_F(Buttons, DriveLostDropsRequestsAndTheQueuedRemoteCommands)
{
    open_controlled();
    link_ready(BusTypeId::Canopen, BIT9);
    take_remote(0x0050);
    main->SpeedButton_bus_power->click();
    ready_tick();  // 6040h = 6 queued
    Sertx_drive_func(3, 0);
    Sertx_drive_func(4, 1);
    Sertx_drive_func(2, 0);
    Ser_req_ptr other = Ser_req_new(SerCmd::WriteVar, 8);
    other->frame[2] = 0x12;
    other->frame[3] = 0x34;
    ASSERT_TRUE(Seriale_push(std::move(other)));
    ASSERT_EQ(queue_text(), "W6040=6 F3,0 F4,1 F2,0 W1234=0");

    main->Timer_ctrlTimer();  // sees the link ready
    main->Timer_ctrl->stop();
    Ser_link_flags.store(0);  // the drive went silent and was marked lost
    main->Timer_ctrlTimer();
    main->Timer_ctrl->stop();
    EXPECT_EQ(queue_text(), "F2,0 W1234=0");
    EXPECT_EQ(ui() & (UiFlag::Power | UiFlag::Operative), 0);
    EXPECT_EQ(BusCtrlWord.can_ctrl & 0xF, 0);
    EXPECT_FALSE(main->SpeedButton_bus_power->isChecked());
    EXPECT_FALSE(main->SpeedButton_bus_remote->isEnabled());
    EXPECT_TRUE(main->SpeedButton_bus_remote->isChecked());  // taken again when the drive returns
}

// ---- against the drive simulator ----

namespace {

void put_be16(SimBytes& b, std::size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

bool is_ctrl_write(const SimLogEntry& e, uint16_t key)
{
    return e.cmd == 4 && e.bytes.size() >= 12 && (e.bytes[2] << 8 | e.bytes[3]) == key;
}
uint32_t write_value(const SimLogEntry& e)
{
    return uint32_t(e.bytes[6]) << 24 | uint32_t(e.bytes[7]) << 16 | uint32_t(e.bytes[8]) << 8 | e.bytes[9];
}

class ButtonsSim : public ControlTest {
protected:
    // A CANopen drive that gives the program control at once (status bit 9 clear), remote
    // control unlocked, the window's timers running.
    void connect_canopen(uint16_t bus_status)
    {
        open_controlled(true);
        attach_simulator();
        SimBytes image = linktest::test_image(11);
        put_be16(image, RecOfs::BusType, BusTypeId::Canopen);
        sim->set_image(image);
        set_sim_status(bus_status);
        AccessFlags |= Access::Remote;
        connect_and_read();
    }
    void set_sim_status(uint16_t bus_status)
    {
        SimBytes status(DriveSim::kStatusSize, 0);
        put_be16(status, 8, bus_status);
        sim->set_status(status);
    }
    bool sim_wrote_ctrl(uint32_t value)
    {
        for (const SimLogEntry& e : sim->requests(4))
            if (is_ctrl_write(e, KEY_CAN_CTRL) && write_value(e) == value)
                return true;
        return false;
    }
};

}  // namespace

TEST_F(ButtonsSim, DriveLostAndBackStartsWithoutStaleCommandsAndPowerUp)
{
    connect_canopen(0x0050);
    ASSERT_TRUE(pump_until([this] { return main->SpeedButton_bus_remote->isEnabled(); }, 2000));
    main->SpeedButton_bus_remote->click();
    pump_for(100);
    main->SpeedButton_bus_power->click();
    ASSERT_TRUE(pump_until([this] { return sim_wrote_ctrl(0x6); }, 2000));

    sim->add_fault(SimFault::silence().times(SimFault::kForever));
    // Commands that are still queued when the drive is marked lost.
    main->SpeedButton_bus_halt->click();  // 6040h with the power bits and halt
    Sertx_drive_func(3, 0);
    Sertx_drive_func(4, 1);
    ASSERT_TRUE(pump_until([] { return !linktest::link_bits(LinkFlag::Answers); }, 5000));
    pump_for(150);
    EXPECT_FALSE(main->SpeedButton_bus_power->isChecked());

    sim->clear_log();
    sim->clear_faults();
    ASSERT_TRUE(pump_until([] { return linktest::data_bits(DataFlag::ListReads); }, 8000));
    pump_for(100);
    bool image_read_seen = false;
    for (const SimLogEntry& e : sim->requests()) {
        if (e.cmd == 3)
            image_read_seen = true;
        if (image_read_seen)
            break;
        EXPECT_FALSE(is_ctrl_write(e, KEY_CAN_CTRL) && (write_value(e) & 0xF)) << sim_hex(e.bytes);
        EXPECT_FALSE(e.cmd == 8 && e.bytes[2] == 3) << sim_hex(e.bytes);
        EXPECT_FALSE(e.cmd == 8 && e.bytes[2] == 4 && e.bytes[3] != 0) << sim_hex(e.bytes);
    }
    EXPECT_TRUE(image_read_seen);
    EXPECT_FALSE(main->SpeedButton_bus_power->isChecked());
    EXPECT_EQ(DriveUiFlags.load() & UiFlag::Power, 0);
    EXPECT_TRUE(main->SpeedButton_bus_remote->isChecked());
    EXPECT_EQ(linktest::joined(sim->violations()), "");
}

TEST_F(ButtonsSim, DisconnectWhileInControlGivesControlBackBeforeThePortCloses)
{
    connect_canopen(0x0050);
    ASSERT_TRUE(pump_until([this] { return main->SpeedButton_bus_remote->isEnabled(); }, 2000));
    main->SpeedButton_bus_remote->click();
    pump_for(100);
    main->SpeedButton_bus_power->click();
    ASSERT_TRUE(pump_until([this] { return sim_wrote_ctrl(0x6); }, 2000));
    sim->clear_log();

    main->BitBtn_disconnect->click();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    std::vector<std::string> seen;
    for (const SimLogEntry& e : sim->requests()) {
        if (is_ctrl_write(e, KEY_CAN_CTRL) && write_value(e) == 0)
            seen.push_back("W0");
        else if (e.cmd == 8)
            seen.push_back("F" + std::to_string(e.bytes[2]) + "," + std::to_string(e.bytes[3]));
    }
    EXPECT_EQ(linktest::joined(seen), "W0\nF4,0\nF3,1\n");
    EXPECT_EQ(sim->reply_count(8), sim->request_count(8));  // answered before the port closed
    EXPECT_FALSE(main->SpeedButton_bus_remote->isChecked());
}

TEST_F(ButtonsSim, ControlIsGivenBackOnlyOnAStatusReadInThisContact)
{
    // A paced line: the image read spans many display ticks, none of which may act on the
    // status zeroed at connect. Bit 9 clear: the drive follows the program.
    open_controlled(true);
    attach_simulator();
    sim->set_pacing(57600);
    SimBytes image = linktest::test_image(12);
    put_be16(image, RecOfs::BusType, BusTypeId::Canopen);
    sim->set_image(image);
    set_sim_status(0x0000);
    connect_and_read();
    const auto is_release = [](const SimLogEntry& e) { return e.cmd == 8 && e.bytes[2] == 3 && e.bytes[3] == 1; };
    ASSERT_TRUE(pump_until([&] {
        for (const SimLogEntry& e : sim->requests())
            if (is_release(e))
                return true;
        return false;
    }, 3000));
    const auto status = sim->replies(0);
    ASSERT_FALSE(status.empty());
    for (const SimLogEntry& e : sim->requests(8)) {
        if (e.bytes[2] == 3)  // function 4 value 0 also belongs to the first contact
            EXPECT_GT(e.start, status.front().end) << sim_hex(e.bytes);
    }
    EXPECT_EQ(linktest::joined(sim->violations()), "");
}
