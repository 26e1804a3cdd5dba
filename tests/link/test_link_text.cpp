// Drive text messages through the link into the terminal ring (the formatting rules are the
// core suite's).
#include "LinkTestUtil.h"
#include "drivedata/Messaggi.h"
#include "drivedata/Strdec.h"

using namespace linktest;

namespace {

// Characters appended to the ring from `start` up to its current write index.
std::size_t ring_grown(uint16_t start)
{
    const uint16_t a = start % TERMINAL_RING_SIZE;
    const uint16_t b = TerminalRing.write_index() % TERMINAL_RING_SIZE;
    return (b + TERMINAL_RING_SIZE - a) % TERMINAL_RING_SIZE;
}

std::string ring_text(uint16_t start, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>(TerminalRing.byte_at(static_cast<uint16_t>((start + i) % TERMINAL_RING_SIZE)));
    return s;
}

}  // namespace

// A message answers a poll, a terminal character is answered with its echo, and a hostile
// message neither loses the drive nor overruns the text limit.
TEST_F(SimLink, TextMessagesAndTheEchoReachTheRing)
{
    connect_with_image(test_image(30));
    uint16_t start = TerminalRing.write_index();
    sim->queue_text_message(SimTextMessage("%s=%d").str("ab").i32(7).bytes());
    ASSERT_TRUE(wait_until([&] { return ring_grown(start) >= 4; }, 2000));
    EXPECT_EQ(ring_text(start, ring_grown(start)), "ab=7");

    start = TerminalRing.write_index();
    Sertx_terminal_char('Z');
    ASSERT_TRUE(wait_until([&] { return ring_grown(start) == 1; }, 1000));
    EXPECT_EQ(ring_text(start, 1), "Z");

    const uint32_t lost = Ser_lost_count.load();
    start = TerminalRing.write_index();
    sim->queue_text_message(SimTextMessage("%s%s%-400s|%.400f").str("1").str("2").str("q").f64(2.0).bytes());
    ASSERT_TRUE(wait_until([&] { return sim->queued_text_messages() == 0; }, 2000));
    ASSERT_TRUE(sim->wait_requests(0, sim->request_count(0) + 2, 1000ms));  // answered and polled on
    EXPECT_LE(ring_grown(start), STRDEC_TEXT_MAX);
    EXPECT_EQ(Ser_lost_count.load(), lost);
}
