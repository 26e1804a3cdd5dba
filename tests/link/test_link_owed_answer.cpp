// A drive that answers a request late, after its repeat went out, and then answers the repeat too,
// held back some time after the late answer: no later request takes the answer still owed.
#include <algorithm>
#include <ostream>
#include <sstream>

#include "LinkTestUtil.h"

using namespace linktest;

namespace {

enum class Owed { BlockFirst, BlockMiddle, BlockLast, List, Ident, Status, DriveFuncPair };

struct OwedCase {
    Owed kind;
    int held_ms;  // the repeat's answer after the late one has left the line
    int late_ms;  // the first answer after its request
};

const char* kind_name(Owed k)
{
    static const char* const names[] = {"BlockFirst", "BlockMiddle", "BlockLast", "List",
                                        "Ident",      "Status",      "DriveFuncPair"};
    return names[static_cast<int>(k)];
}

std::ostream& operator<<(std::ostream& os, const OwedCase& c)
{
    return os << kind_name(c.kind) << "_H" << c.held_ms << "_L" << c.late_ms;
}

std::vector<OwedCase> owed_cases()
{
    const Owed kinds[] = {Owed::BlockFirst, Owed::BlockMiddle, Owed::BlockLast,    Owed::List,
                          Owed::Ident,      Owed::Status,      Owed::DriveFuncPair};
    const int held[] = {0, 5, 10, 20, 50, 150, 199};
    std::vector<OwedCase> out;
    for (const Owed k : kinds)
        for (const int h : held)
            out.push_back({k, h, 205 + static_cast<int>(out.size() * 37 % 96)});  // 205..300
    return out;
}

// Two read lists of one 2-byte item each, with their values in the drive.
const PollItem LIST_A = {0x0040, 0, RecLoc(94), {Area::ReadBack, 94}, 0x0050};
const PollItem LIST_B = {0x0041, 0, RecLoc(96), {Area::ReadBack, 96}, 0x0050};

class SimLinkOwed : public SimLink, public ::testing::WithParamInterface<OwedCase> {
protected:
    // The late first answer to the (skip+1)-th request of cmd from now on, and the held answer to
    // the request of cmd after it (its repeat).
    std::vector<SimFault> late_then_held(uint8_t cmd, int skip = 0) const
    {
        return {SimFault::late(GetParam().late_ms).on(cmd).after(skip),
                SimFault::held_after(GetParam().held_ms).on(cmd).after(skip + 1)};
    }
    // Linked with the image read at full speed, then a paced line (57600 baud, 2 ms turnaround).
    void link_then_pace()
    {
        connect_with_image(test_image(70));
        sim->set_pacing(57600, 2ms);
    }
    // The drive has sent the held answer, and the link has polled three times since.
    void wait_owed_answer_gone()
    {
        ASSERT_TRUE(sim->wait_for(
            [&] {
                const auto replies = sim->replies();
                return std::any_of(replies.begin(), replies.end(), [](const SimLogEntry& e) {
                    return std::find(e.faults.begin(), e.faults.end(), SimFaultKind::HeldAfter) != e.faults.end();
                });
            },
            5000ms));
        ASSERT_TRUE(sim->wait_requests(SerCmd::Status, sim->request_count(SerCmd::Status) + 3, 5000ms));
    }
    void expect_paired()
    {
        EXPECT_EQ(pairing_breach(*sim, std::chrono::milliseconds(Ser_timeout_ms.load())), "");
        EXPECT_TRUE(boxes.empty());
    }

    void block_read(std::size_t block)
    {
        const SimBytes img = test_image(80 + static_cast<unsigned>(block));
        sim->set_pacing(57600, 2ms);
        sim->add_faults(late_then_held(SerCmd::ReadBlock, static_cast<int>(block)));
        connect_with_image(img);
        wait_owed_answer_gone();
        ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 5000));
        EXPECT_EQ(slot0_drive_order(), expected_image(img));
    }
    // List B asked for as soon as list A was answered.
    void list_read()
    {
        link_then_pace();
        sim->set_list_value(LIST_A.key, 0, {0x34, 0x12});
        sim->set_list_value(LIST_B.key, 0, {0x78, 0x56});
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        const uint32_t replies = Ser_list_reply_count.load();
        sim->add_faults(late_then_held(SerCmd::ReadList));
        ASSERT_TRUE(Sertx_read_var_list(&LIST_A, 1));
        ASSERT_TRUE(wait_until([] { return !Sertx_read_list_outstanding(); }, 5000));
        ASSERT_TRUE(Sertx_read_var_list(&LIST_B, 1));
        wait_owed_answer_gone();
        ASSERT_TRUE(wait_until([&] { return Ser_list_reply_count.load() >= replies + 2; }, 5000));
        EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 94), 0x1234);
        EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 96), 0x5678);
    }
    void identification()
    {
        const SimBytes img = test_image(71);
        sim->set_pacing(57600, 2ms);
        sim->add_faults(late_then_held(SerCmd::Ident));
        connect_with_image(img);
        wait_owed_answer_gone();
        EXPECT_EQ(slot0_drive_order(), expected_image(img));
    }
    // A remote-control pair queued as soon as the repeated poll went out.
    void status_poll()
    {
        link_then_pace();
        const std::size_t funcs = sim->request_count(SerCmd::DriveFunc);
        sim->add_faults(late_then_held(SerCmd::Status));
        ASSERT_TRUE(sim->wait_for([&] { return sim->faults_pending() == 0; }, 5000ms));
        Sertx_drive_func(3, 1);
        Sertx_drive_func(3, 0);
        wait_owed_answer_gone();
        ASSERT_TRUE(sim->wait_replies(SerCmd::DriveFunc, funcs + 2, 5000ms));
    }
    // The pair queued at once, its first request answered late.
    void drive_func_pair()
    {
        link_then_pace();
        const std::size_t funcs = sim->request_count(SerCmd::DriveFunc);
        sim->add_faults(late_then_held(SerCmd::DriveFunc));
        Sertx_drive_func(3, 1);
        Sertx_drive_func(3, 0);
        wait_owed_answer_gone();
        ASSERT_TRUE(sim->wait_replies(SerCmd::DriveFunc, funcs + 3, 5000ms));
    }
};

TEST_P(SimLinkOwed, EveryAnswerIsPairedWithItsOwnRequest)
{
    const uint32_t lost = Ser_lost_count.load();
    switch (GetParam().kind) {
    case Owed::BlockFirst:
        block_read(0);
        break;
    case Owed::BlockMiddle:
        block_read(4);
        break;
    case Owed::BlockLast:
        block_read(9);
        break;
    case Owed::List:
        list_read();
        break;
    case Owed::Ident:
        identification();
        break;
    case Owed::Status:
        status_poll();
        break;
    case Owed::DriveFuncPair:
        drive_func_pair();
        break;
    }
    expect_paired();
    EXPECT_EQ(Ser_lost_count.load(), lost);  // everything owed came within a time-out
}

INSTANTIATE_TEST_SUITE_P(Late, SimLinkOwed, ::testing::ValuesIn(owed_cases()),
                         [](const ::testing::TestParamInfo<OwedCase>& i) {
                             std::ostringstream os;
                             os << i.param;
                             return os.str();
                         });

}  // namespace
