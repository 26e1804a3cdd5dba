// Drive text messages through the link into the terminal ring.
#include "LinkTestUtil.h"
#include "drivedata/Messaggi.h"
#include "drivedata/Strdec.h"

using namespace linktest;

namespace {

uint16_t ring_after(uint16_t start, std::size_t k)
{
    if (k == 0)
        return start;
    return static_cast<uint16_t>((start % TERMINAL_RING_SIZE + k - 1) % TERMINAL_RING_SIZE + 1);
}

std::string ring_text(uint16_t start, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>(TerminalRing.byte_at(static_cast<uint16_t>((start + i) % TERMINAL_RING_SIZE)));
    return s;
}

// Characters appended to the ring from `start` up to its current write index.
std::size_t ring_grown(uint16_t start)
{
    const uint16_t now = TerminalRing.write_index();
    const uint16_t a = start % TERMINAL_RING_SIZE;
    const uint16_t b = now % TERMINAL_RING_SIZE;
    return (b + TERMINAL_RING_SIZE - a) % TERMINAL_RING_SIZE;
}

class TextLink : public SimLink {
protected:
    // Sends one message and returns the text the ring received.
    std::string roundtrip(const SimBytes& message, std::size_t expect_len)
    {
        const uint16_t start = TerminalRing.write_index();
        sim->queue_text_message(message);
        if (!wait_until([&] { return ring_grown(start) >= expect_len; }, 2000))
            return "<timeout>";
        EXPECT_TRUE(wait_until([&] { return sim->queued_text_messages() == 0; }, 1000));
        return ring_text(start, ring_grown(start));
    }
};

}  // namespace

TEST_F(TextLink, MessagesAreFormattedIntoTheRing)
{
    connect_with_image(test_image(30));
    EXPECT_EQ(roundtrip(SimTextMessage("%d").i32(258).bytes(), 3), "258");
    EXPECT_EQ(roundtrip(SimTextMessage("%5.2f").f64(1.5).bytes(), 5), " 1.50");
    EXPECT_EQ(roundtrip(SimTextMessage("%s=%d").str("ab").i32(7).bytes(), 4), "ab=7");
    EXPECT_EQ(roundtrip(SimTextMessage("100%%").bytes(), 4), "100%");
    EXPECT_EQ(roundtrip(SimTextMessage("a%cb").i32(0).bytes(), 3), std::string("a\0b", 3));
    // The terminal character is answered with its echo.
    const uint16_t start = TerminalRing.write_index();
    Sertx_terminal_char('Z');
    ASSERT_TRUE(wait_until([&] { return ring_grown(start) == 1; }, 1000));
    EXPECT_EQ(ring_text(start, 1), "Z");
}

TEST_F(TextLink, RingWrapsAt4200)
{
    connect_with_image(test_image(31));
    const uint16_t start = TerminalRing.write_index();
    const std::string line(240, 'x');
    std::size_t total = 0;
    for (int i = 0; i < 18; ++i) {
        std::string text = line;
        text[0] = static_cast<char>('A' + i);
        sim->queue_text_message(SimTextMessage(text).bytes());
        total += text.size();
    }
    ASSERT_TRUE(wait_until([&] { return sim->queued_text_messages() == 0; }, 3000));
    ASSERT_TRUE(wait_until([&] { return TerminalRing.write_index() == ring_after(start, total); }, 1000));
    const uint16_t last_start = static_cast<uint16_t>((start + total - 240) % TERMINAL_RING_SIZE);
    EXPECT_EQ(TerminalRing.byte_at(last_start), 'A' + 17);
    EXPECT_LE(TerminalRing.write_index(), TERMINAL_RING_SIZE);
}

TEST_F(TextLink, HostileMessagesKeepTheLinkRunning)
{
    connect_with_image(test_image(32));
    SimBytes no_zero(200, 'A');
    no_zero.push_back('%');
    no_zero.push_back('d');
    const std::vector<SimBytes> hostile = {
        SimTextMessage("%*d|").i32(5).i32(42).bytes(),
        SimTextMessage("%ls|").str("abc").bytes(),
        SimTextMessage("%n%d|").i32(7).bytes(),
        SimTextMessage("%d %s %f %c %x|").bytes(),  // no arguments at all
        no_zero,
        SimTextMessage("%400d").i32(1).bytes(),
        SimTextMessage("%.400f").f64(2.0).bytes(),
        SimTextMessage("%s%s%s%s%s%s%s%s%s%s%s%s").str("1").str("2").str(std::string(80, 'L')).bytes(),
        SimTextMessage("%-400s").str("q").bytes(),
        SimBytes{},
    };
    const uint32_t lost = Ser_lost_count.load();
    for (const auto& m : hostile) {
        const uint16_t start = TerminalRing.write_index();
        sim->queue_text_message(m);
        ASSERT_TRUE(wait_until([&] { return sim->queued_text_messages() == 0; }, 2000));
        const std::size_t polls = sim->request_count(0);
        ASSERT_TRUE(sim->wait_requests(0, polls + 2, 1000ms));  // answered and polled on
        EXPECT_LE(ring_grown(start), STRDEC_TEXT_MAX);
    }
    EXPECT_EQ(Ser_lost_count.load(), lost);
    EXPECT_EQ(roundtrip(SimTextMessage("ok %d").i32(1).bytes(), 4), "ok 1");
}
