#pragma once
// The main window with its drive-control part: the link state set through the link globals (no
// threads run), the request queue read back, and the two timers stopped so that a test runs the
// ticks itself.
#include "main_fixture.h"

#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <string>
#include <vector>

#include "drivedata/Busctrl.h"
#include "drivedata/Busx.h"
#include "drivedata/Record.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "shell/Toolwin.h"

namespace controltest {

using namespace maintest;

constexpr uint8_t LINKED = LinkFlag::Answers | LinkFlag::IdentReceived | LinkFlag::Ready;
constexpr uint16_t KEY_CAN_CTRL = 0x6040;
constexpr uint16_t BIT9 = 1u << 9;

// The queue as text: "F<code>,<value>" per drive function, "W<key>=<value>" per parameter write,
// "P" per status poll, "C<cmd>" for anything else; separated by blanks.
inline std::string queue_text()
{
    std::string s;
    for (const Ser_queue_entry& e : Seriale_view().entries) {
        const std::vector<uint8_t>& f = e.frame;
        char buf[32];
        if (f.size() >= 4 && f[1] == 8)
            std::snprintf(buf, sizeof buf, "F%u,%u", unsigned{f[2]}, unsigned{f[3]});
        else if (f.size() >= 12 && f[1] == SerCmd::WriteVar)
            std::snprintf(buf, sizeof buf, "W%04X=%X", unsigned(f[2] << 8 | f[3]),
                          unsigned(f[6] << 24 | f[7] << 16 | f[8] << 8 | f[9]));
        else if (f.size() == 4 && f[1] == SerCmd::Status)
            std::snprintf(buf, sizeof buf, "P");
        else
            std::snprintf(buf, sizeof buf, "C%u", f.size() > 1 ? unsigned{f[1]} : 0u);
        if (!s.empty())
            s += ' ';
        s += buf;
    }
    return s;
}

class ControlTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        LanguageIndex = 1;
        BusCtrlWord = BusCtrlWords{};
        SignalGenerator.on.store(0);
    }

    void TearDown() override
    {
        for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
            Toolwin_unregister(static_cast<ToolWin>(k));
        Ser_tx_state.store(LinkState::Stop);
        Seriale_clear_queue();
        State_reset_all();
        BusCtrlWord = BusCtrlWords{};
        MainWindowTest::TearDown();
    }

    // The window with its drive-control part; both timers stopped after the first showing unless
    // the test runs against the simulator.
    void open_controlled(bool timers_running = false)
    {
        main = std::make_unique<TForm_main>();
        main->Main_control_connect();  // no second effect when the constructor already did it
        terminal = std::make_unique<TForm_terminal>();
        alarms = std::make_unique<TForm_allarmi>();
        main->show();
        ASSERT_TRUE(pump_until([this] { return main->form_shown(); }, 10000));
        if (timers_running)
            return;
        main->Timer_com->stop();
        main->Timer_ctrl->stop();
    }

    // A ready link to a drive of a bus type, with a field-bus status word; an empty queue.
    void link_ready(uint16_t bus_type, uint16_t bus_status, uint8_t control_mode = 0)
    {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, bus_type);
        status_.bus_status = bus_status;
        status_.control_mode = control_mode;
        Drive_status_publish(status_);
        Ser_status_seen.store(1);
        Ser_tx_state.store(LinkState::Run);
        Ser_link_mode.store(LinkMode::Normal);
        Ser_link_flags.store(LINKED);
        Seriale_clear_queue();
    }

    void set_bus_status(uint16_t s)
    {
        status_.bus_status = s;
        Drive_status_publish(status_);
    }
    void set_alarm_word(uint32_t w)
    {
        status_.alarm_word = w;
        Drive_status_publish(status_);
    }

    // One display tick's part of the drive control, as the display timer runs it while ready.
    void ready_tick()
    {
        main->UpdateCommandButtons(1);
        main->Main_bus_enable_step();
    }

    // The remote button pressed and control granted by the drive (status bit 9 clear).
    void take_remote(uint16_t bus_status_granted)
    {
        AccessFlags |= Access::Remote;
        ready_tick();
        main->SpeedButton_bus_remote->click();
        set_bus_status(bus_status_granted);
        UpdateEditState(EditMode::Force);
        ready_tick();
        Seriale_clear_queue();
    }

    Drive_status status_{};
};

}  // namespace controltest
