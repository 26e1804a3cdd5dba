#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "drivedata/Messaggi.h"
#include "drivedata/Strdec.h"

namespace {

// A drive message: the format with its zero, then the arguments in the drive's order.
struct Msg {
    std::vector<uint8_t> b;
    explicit Msg(const std::string& fmt, bool terminated = true) : b(fmt.begin(), fmt.end())
    {
        if (terminated) b.push_back(0);
    }
    Msg& i32(int32_t v)
    {
        for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> s));
        return *this;
    }
    Msg& f64(double d)
    {
        const uint64_t v = std::bit_cast<uint64_t>(d);
        for (int s = 56; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
        return *this;
    }
    Msg& text(const std::string& t, bool terminated = true)
    {
        b.insert(b.end(), t.begin(), t.end());
        if (terminated) b.push_back(0);
        return *this;
    }
    Msg& raw(std::initializer_list<uint8_t> bytes)
    {
        b.insert(b.end(), bytes);
        return *this;
    }
};

std::string fmt(const Msg& m)
{
    char out[STRDEC_OUT_SIZE];
    std::memset(out, 'Z', sizeof out);
    const std::size_t n = Strdec_format(out, m.b.data(), m.b.size());
    EXPECT_LE(n, STRDEC_TEXT_MAX);
    EXPECT_EQ(out[n], 0);
    return std::string(out, n);
}

std::string drain(const TerminalRingBuffer& ring, uint16_t& read_index, std::size_t max_chars = 489)
{
    std::string all;
    char chunk[500];
    const uint16_t snapshot = ring.write_index();
    while (ring.read_chunk(read_index, snapshot, chunk, max_chars) || read_index != snapshot) all += chunk;
    return all;
}

}  // namespace

// The one table of drive messages and the texts they format to.
TEST(Strdec, MessagesFormatLikePrintfWithTheDrivesArguments)
{
    Msg ten(std::string("%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%d"));
    for (int i = 0; i < 12; ++i) ten.text("t" + std::to_string(i));
    ten.i32(3);
    const struct {
        Msg m;
        std::string want;
    } rows[] = {
        {Msg("%d").raw({0x00, 0x00, 0x01, 0x02}), "258"},
        {Msg("%5.2f").f64(1.5), " 1.50"},
        {Msg("%s=%d").text("ab").raw({0, 0, 0, 7}), "ab=7"},
        {Msg("100%%%d").i32(5), "100%5"},  // %% takes no argument
        {Msg("%c%c|%i|%u").i32('o').i32('k').i32(-12).i32(-1), "ok|-12|4294967295"},
        {Msg("%x %X %o %#x").i32(0xbeef).i32(0xbeef).i32(8).i32(255), "beef BEEF 10 0xff"},
        {Msg("[%-5d][%05d][%+d][% d]").i32(42).i32(42).i32(42).i32(42), "[42   ][00042][+42][ 42]"},
        {Msg("%hd %hx").i32(0x12345).i32(0x1ffff), "9029 ffff"},
        {Msg("%.3i|%hi|%.3d").i32(5).i32(0x12345).i32(7), "005|9029|007"},
        {Msg("%ld %lu %lf %Lf").i32(-3).i32(3).f64(0.5).f64(2.0), "-3 3 0.500000 2.000000"},
        {Msg("%e|%G|%.3s").f64(1234.5).f64(0.0001).text("abcdef"), "1.234500e+03|0.0001|abc"},
        {Msg("%p").i32(0x1234), "0x1234"},
        {Msg("A%cB").i32(0), std::string("A\0B", 3)},  // the zero character is produced and counted
        // A star takes a 4-byte argument; a negative precision is none.
        {Msg("[%*d]").i32(5).i32(42), "[   42]"},
        {Msg("[%*d]").i32(-4).i32(42), "[42  ]"},
        {Msg("[%.*f]").i32(2).f64(1.0), "[1.00]"},
        {Msg("[%.*f]").i32(-1).f64(1.0), "[1.000000]"},
        {Msg("[%*.*s]|%d").i32(4).i32(2).text("xyz").i32(9), "[  xy]|9"},
        // Hostile conversions: %n writes and takes nothing, unknown characters are dropped.
        {Msg("%ls|%d").text("abc").i32(1), "abc|1"},
        {Msg("a%nb%hn%lln%d").i32(7), "ab7"},
        {Msg("%5yd").i32(3), "    3"},
        {Msg("abc%5"), "abc"},
        {Msg("%#c|%0s|%+u|%#d").i32('x').text("t").i32(1).i32(2), "x|t|1|2"},
        // Missing or partial arguments print zero or nothing.
        {Msg("%d [%s] %.2f %c|"), std::string("0 [] 0.00 \0|", 12)},
        {Msg("%d").raw({0x01, 0x02}), "0"},
        {Msg("%d %d").i32(5).raw({1}), "5 0"},
        {Msg("%f").raw({0x3f, 0xf0, 0, 0}), "0.000000"},
        // An unterminated format or text ends at the payload.
        {Msg("abc%d", false), "abc0"},
        {Msg("[%s]").text("xyz", false), "[xyz]"},
        // Long texts are cut; a %s text keeps 49 characters, the next argument follows it.
        {Msg(std::string(400, 'a')), std::string(STRDEC_TEXT_MAX, 'a')},
        {Msg("%s|%d").text(std::string(400, 'x')).i32(9), std::string(49, 'x') + "|9"},
        {ten, "t0,t1,t2,t3,t4,t5,t6,t7,t8,t9,,,3"},  // ten text slots per message
        {Msg("%s%s").text("a").text("b"), "ab"},      // ...restarting with every message
    };
    for (const auto& r : rows)
        EXPECT_EQ(fmt(r.m), r.want) << std::string(r.m.b.begin(), r.m.b.end());

    const uint8_t only_percent[] = {'%'};
    char out[STRDEC_OUT_SIZE];
    EXPECT_EQ(Strdec_format(out, only_percent, 1), 0u);
    EXPECT_EQ(Strdec_format(out, nullptr, 0), 0u);
    EXPECT_EQ(out[0], 0);
}

TEST(Strdec, HostileWidthsAndPrecisionsAreClamped)
{
    const std::string wide = fmt(Msg("%100000d").i32(1));
    ASSERT_EQ(wide.size(), STRDEC_TEXT_MAX);
    EXPECT_EQ(wide.back(), '1');
    EXPECT_EQ(fmt(Msg("%*d").i32(100000).i32(1)), wide);
    EXPECT_EQ(fmt(Msg("%*d").i32(INT32_MIN).i32(1)).size(), STRDEC_TEXT_MAX);
    EXPECT_EQ(fmt(Msg("%99999999999999999999d").i32(1)), wide);  // no overflow while reading digits
    const std::string prec = fmt(Msg("%.100000f").f64(1.0));
    ASSERT_EQ(prec.size(), STRDEC_TEXT_MAX);
    EXPECT_EQ(prec.substr(0, 4), "1.00");
    EXPECT_EQ(fmt(Msg("%.100000e").f64(-1e308)).size(), STRDEC_TEXT_MAX);
}

TEST(Strdec, FuzzNeverOverrunsOrCrashes)
{
    std::mt19937 rng(20240611);
    const std::string alphabet = "%%%-+ #0123456789.*hlLqjzt cdieEfgGosuxXpnay";
    char out[STRDEC_OUT_SIZE + 16];
    for (int iter = 0; iter < 6000; ++iter) {
        std::vector<uint8_t> m(rng() % 420);
        if (iter % 2) {  // random bytes
            for (auto& b : m) b = static_cast<uint8_t>(rng());
        } else {  // format-like text, a zero, then random arguments
            const std::size_t flen = m.empty() ? 0 : rng() % m.size();
            for (std::size_t i = 0; i < m.size(); ++i)
                m[i] = i < flen ? static_cast<uint8_t>(alphabet[rng() % alphabet.size()])
                                : (i == flen ? 0 : static_cast<uint8_t>(rng()));
        }
        std::memset(out, 0x5A, sizeof out);
        const std::size_t n = Strdec_format(reinterpret_cast<char(&)[STRDEC_OUT_SIZE]>(out), m.data(), m.size());
        ASSERT_LE(n, STRDEC_TEXT_MAX);
        ASSERT_EQ(out[n], 0);
        for (std::size_t i = STRDEC_OUT_SIZE; i < sizeof out; ++i) ASSERT_EQ(out[i], 0x5A);
    }
}

// The write index wraps lazily, before the next byte; a reader at the end sees nothing new until
// then; chunks end at the limit and after a zero byte.
TEST(TerminalRingBuffer, WrapsAt4200AndReadsInChunks)
{
    TerminalRingBuffer ring;
    char chunk[500];
    uint16_t rd = TERMINAL_RING_SIZE;  // a reader at the end of a fresh ring
    EXPECT_EQ(ring.read_chunk(rd, ring.write_index(), chunk, 7), 0u);
    rd = 0;
    ring.append(std::string(TERMINAL_RING_SIZE, 'a').data(), TERMINAL_RING_SIZE);
    EXPECT_EQ(ring.write_index(), TERMINAL_RING_SIZE);
    EXPECT_EQ(drain(ring, rd), std::string(TERMINAL_RING_SIZE, 'a'));
    EXPECT_EQ(rd, TERMINAL_RING_SIZE);
    EXPECT_EQ(ring.read_chunk(rd, ring.write_index(), chunk, 7), 0u);
    ring.append("bc", 2);
    EXPECT_EQ(ring.byte_at(0), 'b');
    EXPECT_EQ(ring.write_index(), 2);
    EXPECT_EQ(drain(ring, rd), "bc");

    const std::string text = std::string(1000, 'q') + std::string("x\0y", 3);
    ring.append(text.data(), text.size());
    const uint16_t snap = ring.write_index();
    std::vector<std::size_t> sizes;
    while (rd != snap) sizes.push_back(ring.read_chunk(rd, snap, chunk, 489));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{489, 489, 23, 1}));
    EXPECT_STREQ(chunk, "y");
}

TEST(TerminalRingBuffer, DriveTextAppendsExactlyTheCharactersProduced)
{
    uint16_t rd = TerminalRing.write_index();
    const Msg m = Msg("v=%d%c%s").i32(12).i32(0).text("ok");
    EXPECT_EQ(Messaggi_drive_text(m.b.data(), m.b.size()), 7u);
    EXPECT_EQ((rd + 7) % TERMINAL_RING_SIZE, TerminalRing.write_index() % TERMINAL_RING_SIZE);
    char chunk[500];
    const uint16_t snap = TerminalRing.write_index();
    EXPECT_EQ(TerminalRing.read_chunk(rd, snap, chunk, 489), 4u);
    EXPECT_STREQ(chunk, "v=12");  // the zero character ends the first chunk
    EXPECT_EQ(TerminalRing.read_chunk(rd, snap, chunk, 489), 2u);
    EXPECT_STREQ(chunk, "ok");
    EXPECT_EQ(Messaggi_drive_text(nullptr, 0), 0u);
}

TEST(TerminalRingBuffer, ConcurrentWriterAndReaderLoseNothing)
{
    TerminalRingBuffer ring;
    std::atomic<uint32_t> consumed{0};
    std::atomic<bool> reader_gone{false};
    std::string expected;
    for (int i = 0; i < 3000; ++i) expected += "line " + std::to_string(i) + "\n";

    std::thread writer([&] {
        for (int i = 0, pos = 0; i < 3000; ++i) {
            const std::string line = "line " + std::to_string(i) + "\n";
            while (pos + line.size() - consumed.load() > 3000)  // never lap the reader
                if (reader_gone.load()) return;
                else std::this_thread::yield();
            char text[STRDEC_OUT_SIZE];
            const Msg m = Msg("line %d\n").i32(i);
            const std::size_t n = Strdec_format(text, m.b.data(), m.b.size());
            ring.append(text, n);
            pos += static_cast<int>(n);
        }
    });
    std::string got;
    uint16_t rd = 0;
    char chunk[500];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (got.size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
        const uint16_t snap = ring.write_index();
        while (const std::size_t n = ring.read_chunk(rd, snap, chunk, 489)) got.append(chunk, n);
        consumed.store(static_cast<uint32_t>(got.size()));
        std::this_thread::yield();
    }
    reader_gone = true;
    writer.join();
    EXPECT_EQ(got, expected);
}

TEST(Messaggi, PdoTypeClass)
{
    const std::pair<int, int> cases[] = {{0, 0},   {1, 1},   {240, 1}, {241, 2}, {251, 2},
                                         {252, 3}, {253, 4}, {254, 5}, {255, 6}};
    for (auto [type, cls] : cases) EXPECT_EQ(Messaggi_pdo_type_class(static_cast<uint8_t>(type)), cls) << type;
}
