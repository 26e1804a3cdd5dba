#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "drivedata/Busctrl.h"
#include "drivedata/Busx.h"
#include "drivedata/Cancontrol.h"
#include "drivedata/Globvar.h"
#include "drivedata/Mdbcontrol.h"
#include "drivedata/Record.h"
#include "drivedata/Sortdat.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"

namespace {

constexpr uint8_t POWER = UiFlag::Power;
constexpr uint8_t OPER = UiFlag::Operative;
constexpr uint8_t HOLD = UiFlag::QuickStopHold;
constexpr uint8_t REMOTE = UiFlag::Remote;

// One queued request, decoded: a status poll, or a parameter write (key, subindex, bits, value).
struct Queued {
    uint8_t cmd = 0;
    uint16_t key = 0;
    uint8_t sub = 0;
    uint8_t bits = 0;
    uint32_t value = 0;
    std::size_t length = 0;
};

std::vector<Queued> queued()
{
    std::vector<Queued> out;
    for (const Ser_queue_entry& e : Seriale_view().entries) {
        const std::vector<uint8_t>& f = e.frame;
        Queued q;
        q.length = f.size();
        q.cmd = f.size() > 1 ? f[1] : 0xFF;
        if (q.cmd == SerCmd::WriteVar && f.size() >= 12) {
            q.key = static_cast<uint16_t>(f[2] << 8 | f[3]);
            q.sub = f[4];
            q.bits = f[5];
            q.value = uint32_t{f[6]} << 24 | uint32_t{f[7]} << 16 | uint32_t{f[8]} << 8 | f[9];
        }
        out.push_back(q);
    }
    return out;
}

// Values of the queued control-word writes of one key; other requests fail the test.
std::vector<uint32_t> ctrl_writes(uint16_t key)
{
    std::vector<uint32_t> out;
    for (const Queued& q : queued()) {
        EXPECT_EQ(q.cmd, SerCmd::WriteVar);
        EXPECT_EQ(q.key, key);
        EXPECT_EQ(q.sub, 0);
        EXPECT_EQ(q.bits & BusWriteBit::Store, 0) << "control words are never stored permanently";
        out.push_back(q.value);
    }
    return out;
}

// The queue as the pulse leaves it: "W<value>" per write of key, "P" per status poll.
std::string pulse_shape(uint16_t key)
{
    std::string s;
    for (const Queued& q : queued()) {
        if (q.cmd == SerCmd::Status && q.length == 4) {
            s += "P";
        } else if (q.cmd == SerCmd::WriteVar && q.key == key) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "W%04X", static_cast<unsigned>(q.value));
            s += buf;
        } else {
            s += "?";
        }
        s += " ";
    }
    return s;
}

// The link is ready (compatible drive, normal mode, status bit 0 clear) and answers; the queue
// is open and empty; the dictionaries are sorted.
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
        saved_link_ = Ser_link_flags.load();
        saved_mode_ = Ser_link_mode.load();
        saved_ui_ = DriveUiFlags.load();
        saved_ctx_ = PageContext.load();
        saved_status_ = Drive_status_get();
        saved_words_ = BusCtrlWord;
        saved_bus_type_ = Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType);

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
        Ser_link_flags.store(saved_link_);
        Ser_link_mode.store(saved_mode_);
        DriveUiFlags.store(saved_ui_);
        PageContext.store(saved_ctx_);
        Drive_status_publish(saved_status_);
        BusCtrlWord = saved_words_;
        set_bus_type(saved_bus_type_);
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
    // One tick of the CANopen step at the given status; returns the values written, as the send
    // thread would take them off the queue.
    static std::vector<uint32_t> can_tick(uint16_t status)
    {
        set_status(status);
        Cancontrol_enable_step();
        std::vector<uint32_t> w = ctrl_writes(0x6040);
        Seriale_clear_queue();
        return w;
    }
    static std::vector<uint32_t> mdb_tick(uint16_t status)
    {
        set_status(status);
        Mdbcontrol_enable_step();
        std::vector<uint32_t> w = ctrl_writes(0x0300);
        Seriale_clear_queue();
        return w;
    }
    static uint8_t requests() { return DriveUiFlags.load() & (POWER | OPER | HOLD); }

    using W = std::vector<uint32_t>;

private:
    std::vector<std::string> boxes_;
    MsgSink saved_sink_;
    uint8_t saved_link_ = 0, saved_mode_ = 0, saved_ui_ = 0;
    uint16_t saved_ctx_ = 0, saved_bus_type_ = 0;
    Drive_status saved_status_{};
    BusCtrlWords saved_words_{};
};

}  // namespace

// ---------------------------------------------------------------- power sequences

// The one table of control-word sequences: each script sets the bus type and the stored word,
// then runs steps of the profile's enable step (the requests, the drive's status word) and
// compares the writes queued and the requests left.
TEST_F(BusCtrlTest, PowerSequences)
{
    constexpr uint16_t CAN = BusTypeId::Canopen;
    constexpr uint16_t MDB = BusTypeId::Modbus;
    struct Step {
        uint8_t ui;
        uint16_t status;
        W writes;
        uint8_t left;  // the flags after the step
    };
    const struct {
        const char* name;
        uint16_t bus;
        uint16_t word;
        std::vector<Step> steps;
    } scripts[] = {
        {"CANopen power up keeps the upper bits", CAN, 0x0108,
         {{POWER | OPER | REMOTE, 0x0250, {0x0106}, POWER | OPER | REMOTE},  // switch on disabled: shutdown
          {POWER | OPER | REMOTE, 0x0231, {0x0107}, POWER | OPER | REMOTE},  // ready to switch on: switch on
          {POWER | OPER | REMOTE, 0x0233, {0x010F}, POWER | OPER | REMOTE},  // switched on: enable operation
          {POWER | OPER | REMOTE, 0x0237, {}, POWER | OPER | REMOTE},        // operation enabled
          {POWER | REMOTE, 0x0237, {0x0107}, POWER | REMOTE},                // operative released
          {POWER | REMOTE, 0x0233, {}, POWER | REMOTE}}},
        {"CANopen quick stop re-enables only without hold", CAN, 0,
         {{POWER | OPER | HOLD, 0x0207, {}, POWER | OPER | HOLD},
          {POWER | OPER, 0x0207, {0x000F}, POWER | OPER},
          {POWER, 0x0233, {}, POWER}}},
        {"CANopen power released: disable voltage", CAN, 0x010F,
         {{OPER | HOLD | REMOTE, 0x0237, {0x0100}, REMOTE},
          {REMOTE, 0x0250, {}, REMOTE},         // switch on disabled reached
          {REMOTE, 0x0231, {0x0100}, REMOTE}}},  // bits 0-2 shown outside it: told again
        {"CANopen stale command bits are written off once", CAN, 0x0006,
         {{0, 0x0240, {0x0000}, 0}, {0, 0x0240, {}, 0}}},
        {"CANopen fault 0x0028 keeps the requests, 0x0008 clears them and the word", CAN, 0x000F,
         {{POWER | OPER, 0x0028, {}, POWER | OPER},
          {POWER | OPER, 0x0008, {0x0000}, 0},
          {0, 0x0008, {}, 0}}},
        {"CANopen fault reaction clears the command bits once", CAN, 0x0007,
         {{POWER, 0x000F, {0x0000}, 0}, {0, 0x0240, {}, 0}}},
        {"Modbus enable, run, release, fault", MDB, 0,
         {{POWER, 0x0000, {0x0001}, POWER},
          {POWER | OPER, 0x0001, {0x0003}, POWER | OPER},
          {POWER | OPER, 0x0003, {}, POWER | OPER},
          {POWER, 0x0003, {0x0001}, POWER},  // operative released: run cleared
          {POWER, 0x0001, {}, POWER},
          {POWER | OPER | HOLD, 0x0010, {0x0000}, 0},  // fault: both bits cleared once
          {0, 0x0010, {}, 0}}},
        {"Modbus from standstill: enable and run in one step", MDB, 0x0100,
         {{POWER | OPER, 0x0000, {0x0101, 0x0103}, POWER | OPER},
          {OPER, 0x0003, {0x0100}, 0},  // power released
          {0, 0x0001, {0x0100}, 0},     // the drive still shows enable
          {0, 0x0000, {}, 0}}},
    };
    for (const auto& sc : scripts) {
        SCOPED_TRACE(sc.name);
        set_bus_type(sc.bus);
        BusCtrlWord = BusCtrlWords{};
        (sc.bus == CAN ? BusCtrlWord.can_ctrl : BusCtrlWord.mdb_ctrl) = sc.word;
        for (std::size_t i = 0; i < sc.steps.size(); ++i) {
            const Step& st = sc.steps[i];
            DriveUiFlags.store(st.ui);
            EXPECT_EQ(sc.bus == CAN ? can_tick(st.status) : mdb_tick(st.status), st.writes) << "step " << i;
            EXPECT_EQ(DriveUiFlags.load(), st.left) << "step " << i;
        }
    }
}

// ---------------------------------------------------------------- reset pulse and halt

// Clear, set, nine polls, clear; without a power request the pulse carries the power/run bits
// cleared.
TEST_F(BusCtrlTest, ResetPulseIsClearSetNinePollsClear)
{
    const struct {
        uint16_t bus;
        uint16_t word;
        uint8_t ui;
        const char* shape;
        uint16_t after;
    } rows[] = {
        {BusTypeId::Canopen, 0x000F, POWER | OPER, "W000F W008F P P P P P P P P P W000F ", 0x000F},
        {BusTypeId::Canopen, 0x010F, 0, "W0100 W0180 P P P P P P P P P W0100 ", 0x0100},
        {BusTypeId::Modbus, 0x0005, POWER, "W0001 W0005 P P P P P P P P P W0001 ", 0x0001},
        {BusTypeId::Modbus, 0x0107, 0, "W0100 W0104 P P P P P P P P P W0100 ", 0x0100},
    };
    for (const auto& r : rows) {
        set_bus_type(r.bus);
        BusCtrlWord = BusCtrlWords{};
        uint16_t& word = r.bus == BusTypeId::Canopen ? BusCtrlWord.can_ctrl : BusCtrlWord.mdb_ctrl;
        word = r.word;
        DriveUiFlags.store(r.ui);
        Busctrl_fault_reset();
        EXPECT_EQ(pulse_shape(r.bus == BusTypeId::Canopen ? 0x6040 : 0x0300), r.shape) << r.shape;
        EXPECT_EQ(word, r.after);
        Seriale_clear_queue();
    }
}

TEST_F(BusCtrlTest, UserWritesAndPulsesAreNeverDeduplicated)
{
    set_bus_type(BusTypeId::Canopen);
    DriveUiFlags.store(POWER);
    Busctrl_fault_reset();
    Busctrl_fault_reset();
    EXPECT_EQ(queued().size(), 2u * (3 + BUSCTRL_RESET_POLLS));
    Seriale_clear_queue();
    Busctrl_write_ctrl_word(0);
    Busctrl_write_ctrl_word(0);
    EXPECT_EQ(ctrl_writes(0x6040), (W{0, 0}));
}

TEST_F(BusCtrlTest, HaltBitPerProfile)
{
    set_bus_type(BusTypeId::Canopen);
    BusCtrlWord.can_ctrl = 0x000F;
    Busctrl_set_halt(1);
    Busctrl_set_halt(0);
    EXPECT_EQ(ctrl_writes(0x6040), (W{0x010F, 0x000F}));
    Seriale_clear_queue();
    set_bus_type(BusTypeId::Modbus);
    BusCtrlWord.mdb_ctrl = 0x0003;
    Busctrl_set_halt(7);
    Busctrl_set_halt(0);
    EXPECT_EQ(ctrl_writes(0x0300), (W{0x000B, 0x0003}));
    EXPECT_EQ(BusCtrlWord.can_ctrl, 0x000F);  // the other profile's word untouched
}

TEST_F(BusCtrlTest, ControlWordsFollowTheDriveWhileTheArchiveWindowIsOpen)
{
    set_bus_type(BusTypeId::Canopen);
    PageContext.store(1);
    Busctrl_write_ctrl_word(0x0006);
    EXPECT_EQ(ctrl_writes(0x6040), (W{0x0006}));
}

// ---------------------------------------------------------------- other bus types

TEST_F(BusCtrlTest, IoAndUnknownBusTypesWriteNothing)
{
    for (uint16_t type : {uint16_t{0}, uint16_t{3}, uint16_t{4}, uint16_t{0xFFFF}}) {
        SCOPED_TRACE(type);
        set_bus_type(type);
        BusCtrlWord = BusCtrlWords{0x000F, 0, 0x000F, 0};
        DriveUiFlags.store(POWER | OPER);
        set_status(0x0250);
        Busctrl_write_ctrl_word(0x1234);
        Busctrl_write_ctrl_word_periodic(0x1234);
        Busctrl_fault_reset();
        Busctrl_set_halt(1);
        Cancontrol_enable_step();
        Mdbcontrol_enable_step();
        EXPECT_EQ(Seriale_count(), 0u);
        EXPECT_EQ(BusCtrlWord.mdb_ctrl, 0x000F);
        EXPECT_EQ(BusCtrlWord.can_ctrl, 0x000F);
        EXPECT_EQ(requests(), POWER | OPER);
    }
    // A step of the other profile does nothing either.
    set_bus_type(BusTypeId::Modbus);
    Cancontrol_enable_step();
    set_bus_type(BusTypeId::Canopen);
    Mdbcontrol_enable_step();
    EXPECT_EQ(Seriale_count(), 0u);
    EXPECT_EQ(requests(), POWER | OPER);
}

// ---------------------------------------------------------------- periodic deduplication

TEST_F(BusCtrlTest, PeriodicStepQueuesNoCopyOfAWaitingWrite)
{
    set_bus_type(BusTypeId::Canopen);
    DriveUiFlags.store(POWER | OPER);
    set_status(0x0250);  // a drive that never leaves switch on disabled
    for (int i = 0; i < 100; ++i)
        Cancontrol_enable_step();
    EXPECT_EQ(ctrl_writes(0x6040), W{0x0006});

    // A later user write of another value is queued; the step then queues its value again,
    // because the word would otherwise end at the user's value.
    Busctrl_write_ctrl_word(0x0000);
    Cancontrol_enable_step();
    Cancontrol_enable_step();
    EXPECT_EQ(ctrl_writes(0x6040), (W{0x0006, 0x0000, 0x0006}));

    // Once the waiting write is taken off the queue, the step writes again.
    Seriale_clear_queue();
    Cancontrol_enable_step();
    EXPECT_EQ(ctrl_writes(0x6040), W{0x0006});
    Seriale_clear_queue();

    // Other queued requests do not count: a Modbus write of another register, status polls.
    set_bus_type(BusTypeId::Modbus);
    DriveUiFlags.store(POWER | OPER);
    set_status(0x0001);
    BusCtrlWord.mdb_ctrl = 0x0001;
    Sertx_read_status();
    for (int i = 0; i < 50; ++i)
        Mdbcontrol_enable_step();
    const std::vector<Queued> q = queued();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].cmd, SerCmd::Status);
    EXPECT_EQ(q[1].key, 0x0300);
    EXPECT_EQ(q[1].value, 0x0003u);

    // The periodic write alone: same value waiting -> stored, not queued.
    Busctrl_write_ctrl_word_periodic(0x0003);
    Busctrl_write_ctrl_word_periodic(0x0001);
    EXPECT_EQ(queued().size(), 3u);
    EXPECT_EQ(BusCtrlWord.mdb_ctrl, 0x0001);
}

// ---------------------------------------------------------------- state decoders

TEST(BusStateDecoders, CanopenRowsInOrder)
{
    const struct {
        uint16_t s;
        uint16_t state;
    } rows[] = {
        {0x0008, 8}, {0x0028, 8}, {0x0208, 8},   // fault (bit 5 ignored)
        {0x000F, 7}, {0x002F, 7}, {0x001F, 7},   // fault reaction active
        {0x0000, 1}, {0x0020, 1}, {0xFF90, 1},   // not ready to switch on
        {0x0040, 2}, {0x0060, 2}, {0x0250, 2},   // switch on disabled
        {0x0007, 6}, {0x0017, 6},                // quick stop active
        {0x0021, 3}, {0x0231, 3},                // ready to switch on
        {0x0023, 4}, {0x0233, 4},                // switched on
        {0x0027, 5}, {0x0237, 5},                // operation enabled
        {0x0001, 0}, {0x0048, 0}, {0x0067, 0}, {0x0003, 0}, {0x0041, 0},  // undefined
    };
    for (const auto& r : rows)
        EXPECT_EQ(Cancontrol_state(r.s), r.state) << std::hex << r.s;
}

TEST(BusStateDecoders, ModbusRowsInOrder)
{
    const struct {
        uint16_t s;
        uint16_t state;
    } rows[] = {
        {0x0000, 1}, {0x8000, 1}, {0x3FE0, 1},  // none of the bits
        {0x0001, 2}, {0x0002, 3}, {0x0003, 3},  // bit 1 before bit 0
        {0x0004, 4}, {0x0008, 5}, {0x000C, 4},  // bit 2 before bit 3
        {0x4000, 6}, {0x400F, 6},               // bit 14 before bits 0-3
        {0x0010, 7}, {0x4010, 7}, {0xFFFF, 7},  // bit 4 first
    };
    for (const auto& r : rows)
        EXPECT_EQ(Mdbcontrol_state(r.s), r.state) << std::hex << r.s;
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
