// Entry tables of the subsystems the link calls: without an entry each caller gets its stated
// default; with one, the call reaches its own entry with its arguments and returns its result.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/Flash_progress.h"
#include "link/Flash_seams.h"
#include "link/Scope_link.h"

namespace {

std::vector<std::string> calls;  // entry and arguments, in call order

std::string call_of(const char* entry, std::initializer_list<long long> args)
{
    std::string s = entry;
    for (const long long a : args)
        s += " " + std::to_string(a);
    return s;
}

void install_all()
{
    FlashEntries.mot_step = [] { calls.push_back("mot_step"); };
    FlashEntries.cdx_step = [] { calls.push_back("cdx_step"); };
    FlashEntries.mot_on_reply = [](uint8_t* buf, uint16_t& count) {
        calls.push_back(call_of("mot_on_reply", {buf[0], count}));
        count = 1;
    };
    FlashEntries.cdx_block_reply = [](const uint8_t* frame, uint16_t len) {
        calls.push_back(call_of("cdx_block_reply", {frame[0], len}));
        return false;
    };
    FlashEntries.poll_file = [] { calls.push_back("poll_file"); };
    FlashEntries.draw_buf_bar = [](uint32_t maximum, uint32_t value, uint32_t colour) {
        calls.push_back(call_of("draw_buf_bar", {maximum, value, colour}));
    };
    ScopeEntries.apply_channels = [] { calls.push_back("apply_channels"); };
}

struct Results {
    uint16_t left;  // boot-loader bytes left
    bool cdx_accepted;
};

// Every entry point once.
Results call_all()
{
    uint8_t bytes[4] = {9, 0, 0, 0};
    Flashcom_mot_step();
    Flashcom_cdx_step();
    Results r{};
    r.left = sizeof bytes;
    Flashcom_mot_on_reply(bytes, r.left);
    r.cdx_accepted = CdxBlockReply(bytes, sizeof bytes);
    Flashctrl_poll_file();
    Flashsh7047_draw_buf_bar(100, 40, 0xFF);
    Oscx_apply_channels();
    return r;
}

class Entries : public ::testing::Test {
protected:
    void SetUp() override { calls.clear(); }
    void TearDown() override
    {
        FlashEntries = {};
        ScopeEntries = {};
    }
};

TEST_F(Entries, WithoutEntriesEachCallerGetsItsDefault)
{
    const Results r = call_all();
    EXPECT_EQ(r.left, 0);  // boot-loader bytes dropped
    EXPECT_TRUE(r.cdx_accepted);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Entries, EachCallReachesItsOwnEntry)
{
    install_all();
    const Results r = call_all();
    EXPECT_EQ(calls, (std::vector<std::string>{"mot_step", "cdx_step", "mot_on_reply 9 4", "cdx_block_reply 9 4",
                                               "poll_file", "draw_buf_bar 100 40 255", "apply_channels"}));
    EXPECT_EQ(r.left, 1);
    EXPECT_FALSE(r.cdx_accepted);
}

}  // namespace
