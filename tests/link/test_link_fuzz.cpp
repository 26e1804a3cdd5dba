// Fuzzing the receive side with fixed seeds: frame assembly and dispatch. Meant to run under
// AddressSanitizer and UndefinedBehaviorSanitizer too.
#include <random>

#include "LinkTestUtil.h"
#include "drivedata/Frm_output_sizes.h"

using namespace linktest;

namespace {

// A reply can only come from bytes that form a frame somewhere in what was received: a length
// byte of at least 4 that the bytes reach, a command below 40 and a CRC over all of it of 0.
bool holds_intact_frame(const SimBytes& b)
{
    for (std::size_t i = 0; i < b.size(); ++i) {
        const std::size_t len = b[i];
        if (len >= 4 && i + len <= b.size() && b[i + 1] < 40 && sim_crc16(&b[i], len) == 0)
            return true;
    }
    return false;
}

// Replies with plausible payload sizes for the command.
SimBytes random_reply(std::mt19937& rng)
{
    static const uint8_t cmds[] = {0, 1, 3, 4, 5, 6, 7, 7, 7, 10, 11, 11, 12, 18, 19, 30, 30, 2, 8, 39, 40, 200};
    static const uint16_t sizes[] = {0, 1, 2, 3, 17, 28, 29, 40, 52, 53, 251};
    const uint8_t cmd = cmds[rng() % sizeof cmds];
    SimBytes payload(rng() % 3 == 0 ? rng() % 252 : sizes[rng() % (sizeof sizes / sizeof sizes[0])]);
    for (auto& b : payload)
        b = static_cast<uint8_t>(rng());
    if (cmd == 7 && !payload.empty())
        payload[0] = static_cast<uint8_t>(rng() % 12);  // mostly known sub-replies
    return sim_frame(cmd, payload);
}

void mutate(SimBytes& f, std::mt19937& rng)
{
    switch (rng() % 7) {
    case 0:  // one bit
        f[rng() % f.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
        break;
    case 1:  // a few bytes
        for (unsigned k = 1 + rng() % 4; k > 0; --k)
            f[rng() % f.size()] = static_cast<uint8_t>(rng());
        break;
    case 2:  // the length byte
        f[0] = static_cast<uint8_t>(rng());
        break;
    case 3:  // truncated
        f.resize(rng() % f.size());
        break;
    case 4:  // garbage before
        f.insert(f.begin(), 1 + rng() % 5, static_cast<uint8_t>(rng()));
        break;
    case 5: {  // garbage after, or a second frame glued on
        const SimBytes tail = rng() % 2 ? random_reply(rng) : SimBytes(1 + rng() % 5, static_cast<uint8_t>(rng()));
        f.insert(f.end(), tail.begin(), tail.end());
        break;
    }
    default:  // left intact
        break;
    }
}

// The state a reply may meet: an image read somewhere, a block write, a read list, a capture.
class RxFuzz : public RxFeed {
protected:
    void SetUp() override
    {
        RxFeed::SetUp();
        Frm_output_build_size_tables();
        Ser_data_flags.store(DataFlag::ListReads);
        ScopeSignalTable = {signals_, 4};
        signals_[1].current = 1;
    }
    void TearDown() override
    {
        ScopeSignalTable = {};
        Scope_stream_reset();
        for (auto* v : {&Ser_block_job.offset, &Ser_block_job.chunk, &Ser_block_job.length, &Ser_block_job.end})
            v->store(0);
        RxFeed::TearDown();
    }
    void vary_state(std::mt19937& rng)
    {
        Ser_image_read_pos.offset.store(static_cast<uint16_t>(rng() % 2412));
        Ser_image_read_pos.count.store(static_cast<uint16_t>(rng() % 252));
        Ser_image_read_pos.active.store(static_cast<uint8_t>(rng() % 2));
        Ser_block_job.start.store(28);
        Ser_block_job.offset.store(static_cast<uint16_t>(28 + rng() % 2380));
        Ser_block_job.chunk.store(static_cast<uint16_t>(rng() % 246));
        Ser_block_job.length.store(static_cast<uint16_t>(rng() % 2413));
        Ser_block_job.end.store(2408);
        Ser_block_job.block_id.store(static_cast<uint16_t>(rng()));
        DriveFwVersion.store(rng() % 2 ? 0x308 : 0x314);
        ScopeCaptureOn.store(static_cast<uint8_t>(rng() % 2));
        ScopeStream.modulus = static_cast<uint16_t>(rng() % 3 == 0 ? 0 : 1 + rng() % 20000);
        ScopeStream.position = static_cast<uint16_t>(ScopeStream.modulus ? rng() % ScopeStream.modulus : 0);
        Sertx_forget_read_list();
        if (rng() % 3 == 0) {
            PollItem items[SER_READ_LIST_MAX] = {};
            const uint16_t n = static_cast<uint16_t>(1 + rng() % SER_READ_LIST_MAX);
            for (uint16_t i = 0; i < n; ++i) {
                const uint16_t ofs = static_cast<uint16_t>(rng() % 2420);  // a few past the record
                items[i] = {static_cast<uint16_t>(rng()), 0, RecLoc(ofs), {Area::ReadBack, ofs},
                            static_cast<uint16_t>((rng() % 8) << 5)};
            }
            Sertx_read_var_list(items, n);
        }
        if (Seriale_count() > 150)
            Seriale_clear_queue();
    }

private:
    ScopeSignal signals_[4] = {};
};

}  // namespace

// Replies of every kind, intact or damaged, in one piece or split within the 80 ms gap: nothing
// crashes or reads out of bounds, and a reply is dispatched only when an intact frame arrived.
TEST_F(RxFuzz, MutatedRepliesAreDispatchedOnlyWhenIntact)
{
    std::mt19937 rng(0x5EED1);
    int dispatched = 0, intact_unmutated = 0, damaged = 0;
    for (int iter = 0; iter < 20000; ++iter) {
        vary_state(rng);
        SimBytes f = random_reply(rng);
        const SimBytes original = f;
        if (rng() % 4 != 0)
            mutate(f, rng);
        arm();
        if (f.empty() || rng() % 2) {
            feed(f, 100);
        } else {  // in pieces, each within the gap
            std::size_t at = 0;
            uint32_t gap = 100;
            while (at < f.size()) {
                const std::size_t n = std::min<std::size_t>(f.size() - at, 1 + rng() % 40);
                feed(SimBytes(f.begin() + at, f.begin() + at + n), gap);
                at += n;
                gap = rng() % 60;
            }
        }
        ASSERT_LE(Serrx_count(), SER_RX_BUF_SIZE);
        const bool intact = holds_intact_frame(f);
        damaged += !intact;
        const bool got = woken();
        dispatched += got;
        if (got) {
            ASSERT_TRUE(intact) << "iteration " << iter;
        }
        // Plain status replies of an intact frame always reach the send thread.
        if (f == original && original[1] == 0 && original.size() >= 32) {
            ++intact_unmutated;
            ASSERT_TRUE(got) << "iteration " << iter;
        }
    }
    // The run exercised both sides of the check.
    EXPECT_GT(dispatched, 2000);
    EXPECT_GT(damaged, 5000);
    EXPECT_GT(intact_unmutated, 50);
}
