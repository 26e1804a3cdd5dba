// Field-bus control words: the power sequences, the fault-reset pulse, the halt bit, the
// periodic deduplication and the state decoders.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "drivedata/Busctrl.h"
#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "drivedata/Mdbcontrol.h"
#include "drivedata/Sortdat.h"
#include "link/Busctrl_steps.h"
#include "link/Cancontrol_steps.h"
#include "link/Mdbcontrol_steps.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"

namespace {

constexpr uint8_t POWER = UiFlag::Power;
constexpr uint8_t OPER = UiFlag::Operative;
constexpr uint8_t HOLD = UiFlag::QuickStopHold;
constexpr uint8_t REMOTE = UiFlag::Remote;
constexpr uint16_t CAN = BusTypeId::Canopen;
constexpr uint16_t MDB = BusTypeId::Modbus;

// The queue as text: "W<value>" per control-word write ("S" appended if it would be stored
// permanently, "K<key>" for another key), "P" per status poll.
std::string queue_text()
{
    std::string s;
    for (const Ser_queue_entry& e : Seriale_view().entries) {
        const std::vector<uint8_t>& f = e.frame;
        char buf[32] = "?";
        if (f[1] == SerCmd::Status && f.size() == 4) {
            std::snprintf(buf, sizeof buf, "P");
        } else if (f[1] == SerCmd::WriteVar && f.size() == 12) {
            const unsigned key = f[2] << 8 | f[3];
            const unsigned value = f[6] << 24 | f[7] << 16 | f[8] << 8 | f[9];
            if ((key == 0x6040 || key == 0x0300) && f[4] == 0)
                std::snprintf(buf, sizeof buf, "W%04X%s", value, (f[5] & BusWriteBit::Store) ? "S" : "");
            else
                std::snprintf(buf, sizeof buf, "K%04X=%X", key, value);
        }
        s += s.empty() ? buf : std::string(" ") + buf;
    }
    Seriale_clear_queue();
    return s;
}

uint16_t& word_of(uint16_t bus) { return bus == CAN ? BusCtrlWord.can_ctrl : BusCtrlWord.mdb_ctrl; }

// The link is ready and answers; the queue is open and empty; nothing shows a message.
class BusCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sortdat_sort(PrtDat, PRT_DAT_COUNT);
        Sortdat_sort(MdbDat, MDB_DAT_COUNT);
        Sortdat_sort(CanDat, CAN_DAT_COUNT);
        saved_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes_.push_back(r.text);
            return MsgOk;
        });
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Ser_link_mode.store(LinkMode::Normal);
        PageContext.store(0);
        DriveUiFlags.store(0);
        BusCtrlWord = BusCtrlWords{};
        set_status(0);
    }
    void TearDown() override
    {
        EXPECT_TRUE(boxes_.empty()) << boxes_.front();
        Seriale_queue_close();
        Ser_link_flags.store(0);
        DriveUiFlags.store(0);
        Msgbox_set_sink(std::move(saved_sink_));
    }

    static void set_bus_type(uint16_t t) { Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, t); }
    // Field-bus status word; the drive's own status word stays 0 (not in its boot loader).
    static void set_status(uint16_t bus_status)
    {
        Drive_status s{};
        s.bus_status = bus_status;
        Drive_status_publish(s);
    }
    // One step of the bus type's enable step at the given status: what it queued.
    static std::string tick(uint16_t bus, uint16_t status)
    {
        set_status(status);
        (bus == CAN ? Cancontrol_enable_step : Mdbcontrol_enable_step)();
        return queue_text();
    }

private:
    std::vector<std::string> boxes_;
    MsgSink saved_sink_;
};

}  // namespace

// The one table of control-word sequences: each script sets the bus type and the stored word,
// then runs the profile's enable step with the requests and the drive's status word given, and
// compares what it queued and the flags it left.
TEST_F(BusCtrlTest, PowerSequences)
{
    struct Step {
        uint8_t ui;
        uint16_t status;
        const char* writes;
        uint8_t left;
    };
    const struct {
        const char* name;
        uint16_t bus;
        uint16_t word;
        std::vector<Step> steps;
    } scripts[] = {
        {"CANopen power up keeps the upper bits", CAN, 0x0108,
         {{POWER | OPER | REMOTE, 0x0250, "W0106", POWER | OPER | REMOTE},  // switch on disabled: shutdown
          {POWER | OPER | REMOTE, 0x0231, "W0107", POWER | OPER | REMOTE},  // ready to switch on: switch on
          {POWER | OPER | REMOTE, 0x0233, "W010F", POWER | OPER | REMOTE},  // switched on: enable operation
          {POWER | OPER | REMOTE, 0x0237, "", POWER | OPER | REMOTE},       // operation enabled
          {POWER | REMOTE, 0x0237, "W0107", POWER | REMOTE},                // operative released
          {POWER | REMOTE, 0x0233, "", POWER | REMOTE}}},
        {"CANopen quick stop re-enables only without hold", CAN, 0,
         {{POWER | OPER | HOLD, 0x0207, "", POWER | OPER | HOLD},
          {POWER | OPER, 0x0207, "W000F", POWER | OPER},
          {POWER, 0x0233, "", POWER}}},
        {"CANopen power released: disable voltage", CAN, 0x010F,
         {{OPER | HOLD | REMOTE, 0x0237, "W0100", REMOTE},
          {REMOTE, 0x0250, "", REMOTE},         // switch on disabled reached
          {REMOTE, 0x0231, "W0100", REMOTE}}},  // bits 0-2 shown outside it: told again
        {"CANopen stale command bits are written off once", CAN, 0x0006,
         {{0, 0x0240, "W0000", 0}, {0, 0x0240, "", 0}}},
        {"CANopen fault 0x0028 keeps the requests, 0x0008 clears them and the word", CAN, 0x000F,
         {{POWER | OPER, 0x0028, "", POWER | OPER}, {POWER | OPER, 0x0008, "W0000", 0}, {0, 0x0008, "", 0}}},
        {"CANopen fault reaction clears the command bits once", CAN, 0x0007,
         {{POWER, 0x000F, "W0000", 0}, {0, 0x0240, "", 0}}},
        {"Modbus enable, run, release, fault", MDB, 0,
         {{POWER, 0x0000, "W0001", POWER},
          {POWER | OPER, 0x0001, "W0003", POWER | OPER},
          {POWER | OPER, 0x0003, "", POWER | OPER},
          {POWER, 0x0003, "W0001", POWER},  // operative released: run cleared
          {POWER, 0x0001, "", POWER},
          {POWER | OPER | HOLD, 0x0010, "W0000", 0},  // fault: both bits cleared once
          {0, 0x0010, "", 0}}},
        {"Modbus from standstill: enable and run in one step", MDB, 0x0100,
         {{POWER | OPER, 0x0000, "W0101 W0103", POWER | OPER},
          {OPER, 0x0003, "W0100", 0},  // power released
          {0, 0x0001, "W0100", 0},     // the drive still shows enable
          {0, 0x0000, "", 0}}},
        {"no profile: I/O bus type", 0, 0x000F, {{POWER | OPER, 0x0250, "", POWER | OPER}}},
        {"no profile: unknown bus type", 4, 0x000F, {{POWER | OPER, 0x0000, "", POWER | OPER}}},
    };
    for (const auto& sc : scripts) {
        SCOPED_TRACE(sc.name);
        set_bus_type(sc.bus);
        BusCtrlWord = BusCtrlWords{};
        word_of(sc.bus) = sc.word;
        for (std::size_t i = 0; i < sc.steps.size(); ++i) {
            const Step& st = sc.steps[i];
            DriveUiFlags.store(st.ui);
            // Only the bus type's own step acts.
            EXPECT_EQ(tick(sc.bus == CAN ? MDB : CAN, st.status), "") << "step " << i;
            EXPECT_EQ(DriveUiFlags.load(), st.ui) << "step " << i;
            EXPECT_EQ(tick(sc.bus, st.status), st.writes) << "step " << i;
            EXPECT_EQ(DriveUiFlags.load(), st.left) << "step " << i;
        }
    }
}

// Clear, set, nine polls, clear; without a power request the pulse carries the power/run bits
// cleared. The halt bit is set and cleared alone. Neither is deduplicated, nor are user writes;
// without a profile nothing is written.
TEST_F(BusCtrlTest, ResetPulseHaltAndUserWrites)
{
    const struct {
        uint16_t bus;
        uint16_t word;
        uint8_t ui;
        const char* pulse;
        uint16_t after;
        const char* halt;
    } rows[] = {
        {CAN, 0x000F, POWER | OPER, "W000F W008F P P P P P P P P P W000F", 0x000F, "W010F W000F"},
        {CAN, 0x010F, 0, "W0100 W0180 P P P P P P P P P W0100", 0x0100, "W0100 W0000"},
        {MDB, 0x0005, POWER, "W0001 W0005 P P P P P P P P P W0001", 0x0001, "W0009 W0001"},
        {MDB, 0x0107, 0, "W0100 W0104 P P P P P P P P P W0100", 0x0100, "W0108 W0100"},
        {0, 0x000F, POWER, "", 0x000F, ""},
        {3, 0x000F, POWER, "", 0x000F, ""},
    };
    for (const auto& r : rows) {
        set_bus_type(r.bus);
        BusCtrlWord = BusCtrlWords{0x1234, 0, 0x1234, 0};
        word_of(r.bus) = r.word;
        DriveUiFlags.store(r.ui);
        Busctrl_fault_reset();
        EXPECT_EQ(queue_text(), r.pulse) << r.bus << " " << r.word;
        EXPECT_EQ(word_of(r.bus), r.after);
        Busctrl_set_halt(7);
        Busctrl_set_halt(0);
        EXPECT_EQ(queue_text(), r.halt) << r.bus << " " << r.word;
        Busctrl_write_ctrl_word(0x0006);
        Busctrl_write_ctrl_word(0x0006);
        Busctrl_write_ctrl_word_periodic(0x1234);
        EXPECT_EQ(queue_text(), r.bus == CAN || r.bus == MDB ? "W0006 W0006 W1234" : "");
        EXPECT_EQ(word_of(r.bus == CAN ? MDB : CAN), 0x1234);  // the other profile's word untouched
    }
    set_bus_type(CAN);
    PageContext.store(1);  // control words follow the drive while the archive window is open
    Busctrl_write_ctrl_word(0x0006);
    EXPECT_EQ(queue_text(), "W0006");
}

// The periodic step queues no copy of a waiting write of the same value; other queued requests
// do not count.
TEST_F(BusCtrlTest, PeriodicStepQueuesNoCopyOfAWaitingWrite)
{
    set_bus_type(CAN);
    DriveUiFlags.store(POWER | OPER);
    set_status(0x0250);  // a drive that never leaves switch on disabled
    for (int i = 0; i < 100; ++i)
        Cancontrol_enable_step();
    // A later user write of another value is queued; the step then queues its value again,
    // because the word would otherwise end at the user's value.
    Busctrl_write_ctrl_word(0x0000);
    Cancontrol_enable_step();
    Cancontrol_enable_step();
    EXPECT_EQ(queue_text(), "W0006 W0000 W0006");
    Cancontrol_enable_step();  // the waiting write taken off: the step writes again
    EXPECT_EQ(queue_text(), "W0006");

    set_bus_type(MDB);
    set_status(0x0001);
    BusCtrlWord.mdb_ctrl = 0x0001;
    Sertx_read_status();
    Rec_set<uint16_t>(DriveRecordBank[0], 94, 7);
    Sertx_write_var_ex(RecLoc(94), 0, 0);
    for (int i = 0; i < 50; ++i)
        Mdbcontrol_enable_step();
    Busctrl_write_ctrl_word_periodic(0x0003);
    Busctrl_write_ctrl_word_periodic(0x0001);
    EXPECT_EQ(queue_text(), "P K0040=7 W0003 W0001");
    Busctrl_write_ctrl_word_periodic(0x0001);
    Busctrl_write_ctrl_word_periodic(0x0001);
    EXPECT_EQ(queue_text(), "W0001");
    EXPECT_EQ(BusCtrlWord.mdb_ctrl, 0x0001);
}

// First match wins, in the order of the rows.
TEST(BusStateDecoders, RowsInOrder)
{
    const struct {
        bool can;
        uint16_t s;
        uint16_t state;
    } rows[] = {
        {true, 0x0008, 8}, {true, 0x0028, 8}, {true, 0x0208, 8},  // fault (bit 5 ignored)
        {true, 0x000F, 7}, {true, 0x002F, 7}, {true, 0x001F, 7},  // fault reaction active
        {true, 0x0000, 1}, {true, 0x0020, 1}, {true, 0xFF90, 1},  // not ready to switch on
        {true, 0x0040, 2}, {true, 0x0060, 2}, {true, 0x0250, 2},  // switch on disabled
        {true, 0x0007, 6}, {true, 0x0017, 6},                     // quick stop active
        {true, 0x0021, 3}, {true, 0x0231, 3},                     // ready to switch on
        {true, 0x0023, 4}, {true, 0x0233, 4},                     // switched on
        {true, 0x0027, 5}, {true, 0x0237, 5},                     // operation enabled
        {true, 0x0001, 0}, {true, 0x0048, 0}, {true, 0x0067, 0}, {true, 0x0003, 0}, {true, 0x0041, 0},
        {false, 0x0000, 1}, {false, 0x8000, 1}, {false, 0x3FE0, 1},  // none of the bits
        {false, 0x0001, 2}, {false, 0x0002, 3}, {false, 0x0003, 3},  // bit 1 before bit 0
        {false, 0x0004, 4}, {false, 0x0008, 5}, {false, 0x000C, 4},  // bit 2 before bit 3
        {false, 0x4000, 6}, {false, 0x400F, 6},                      // bit 14 before bits 0-3
        {false, 0x0010, 7}, {false, 0x4010, 7}, {false, 0xFFFF, 7},  // bit 4 first
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.can ? Cancontrol_state(r.s) : Mdbcontrol_state(r.s), r.state) << r.can << std::hex << r.s;
}

TEST(BusStateDecoders, DependOnlyOnTheirMasksAndStayInRange)
{
    for (uint32_t s = 0; s <= 0xFFFF; ++s) {
        const uint16_t w = static_cast<uint16_t>(s);
        const uint16_t can = Cancontrol_state(w);
        const uint16_t mdb = Mdbcontrol_state(w);
        ASSERT_LE(can, 8) << s;
        ASSERT_EQ(can, Cancontrol_state(w & 0x6F)) << s;
        ASSERT_GE(mdb, 1) << s;
        ASSERT_LE(mdb, 7) << s;
        ASSERT_EQ(mdb, Mdbcontrol_state(w & 0x401F)) << s;
    }
}
