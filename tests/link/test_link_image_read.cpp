// A whole-image read started on request, and the count of stored read-list replies.
#include "LinkTestUtil.h"
#include "link/Serrx.h"

using namespace linktest;

namespace {

TEST_F(SimLink, ImageReadOnRequestCommitsTheDrivesNewImage)
{
    EXPECT_FALSE(Sertx_read_image());  // no link yet
    SimBytes image = test_image(21);
    connect_with_image(image);
    image[RecOfs::BusType + 1] = 2;
    sim->set_image(image);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ImageRead));
    sim->clear_log();
    ASSERT_TRUE(Sertx_read_image());
    EXPECT_FALSE(Sertx_read_image());  // one read at a time
    ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 5000));
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType), 2);
    const auto reads = sim->requests(3);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(block_offset(reads.front()), 0u);
    EXPECT_EQ(block_offset(reads.back()) + reads.back().bytes[4], DRIVE_RECORD_SIZE);
    EXPECT_TRUE(Sertx_read_image());  // the read is over
}

TEST_F(SimLink, ReadListRepliesAreCountedAfterTheirValuesAreStored)
{
    connect_with_image(test_image(22));
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    sim->set_list_value(0x0040, 0, {0x34, 0x12});
    PollItem item = {0x0040, 0, RecLoc(94), {Area::ReadBack, 94}, 0x0050};
    const uint32_t before = Ser_list_reply_count.load();
    ASSERT_TRUE(Sertx_read_var_list(&item, 1));
    ASSERT_TRUE(wait_until([before] { return Ser_list_reply_count.load() != before; }, 1000));
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 94), 0x1234);
    EXPECT_EQ(Ser_list_reply_count.load(), before + 1);
}

}  // namespace
