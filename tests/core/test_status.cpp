// Status block and identification decoding.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "link/Serrx.h"

namespace {

using Block = std::array<uint8_t, 28>;

// Every byte distinct, status word without the boot bit.
Block sample_block()
{
    Block b{};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = uint8_t(0x10 + i);
    b[0] = 0x12;
    b[1] = 0x68;  // status word 0x1268: bit 3 and 5 set, bit 0 clear
    return b;
}

bool same(const Drive_status& a, const Drive_status& b)
{
    return a.status_word == b.status_word && a.outputs == b.outputs && a.control_mode == b.control_mode &&
           a.alarm_word == b.alarm_word && a.bus_status == b.bus_status && a.bus_second == b.bus_second &&
           a.speed == b.speed && a.current == b.current && a.voltage == b.voltage && a.turns == b.turns &&
           a.turn_pos == b.turn_pos && a.heat_sink == b.heat_sink && a.inputs[0] == b.inputs[0] &&
           a.inputs[1] == b.inputs[1];
}

using Ident = std::array<uint8_t, 52>;

Ident ident_of(uint32_t type, uint8_t major, uint8_t minor, uint16_t flags, const char* text = "DRIVE")
{
    Ident b{};
    auto put32 = [&](std::size_t o, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[o + i] = uint8_t(v >> (24 - 8 * i));
    };
    put32(0, 0x11223344);
    put32(4, type);
    put32(8, 0x55667788);
    b[12] = major;
    b[13] = minor;
    b[14] = uint8_t(flags >> 8);
    b[15] = uint8_t(flags);
    std::memcpy(&b[16], text, std::min<std::size_t>(std::strlen(text), 36));
    return b;
}

class Status : public ::testing::Test {
protected:
    void SetUp() override
    {
        Frm_output_build_size_tables();
        DriveFwVersion.store(0x309);
        DriveUiFlags.store(0);
        Ser_link_flags.store(0);
        FlashModeFlags.store(0);
        Ser_link_mode_req.store(LinkMode::Normal);
        Drive_status_publish(Drive_status{});
    }
};

}  // namespace

// Before 3.09: speed as i16 at 14, inputs at 8-9, bus words at 10-13; from 3.09: speed as i32 at
// 12, bus words at 8-11, inputs at 26-27. The bytes are only read.
TEST_F(Status, LayoutsBeforeAndFrom309)
{
    DriveFwVersion.store(0x308);
    Block b = sample_block();
    b[14] = 0xFF;
    b[15] = 0xFE;
    const Block raw = b;
    ASSERT_TRUE(Serrx_status_decode(b.data(), b.size()));
    Drive_status s = Drive_status_get();
    EXPECT_EQ(b, raw);
    EXPECT_EQ(s.speed, -2);
    EXPECT_EQ(s.status_word, 0x1268);
    EXPECT_EQ(Drive_status_word(), 0x1268);
    EXPECT_EQ(s.outputs, 0x12);
    EXPECT_EQ(s.control_mode, 0x13);
    EXPECT_EQ(s.alarm_word, 0x14151617u);
    EXPECT_EQ(s.inputs[0], 0x18);
    EXPECT_EQ(s.inputs[1], 0x19);
    EXPECT_EQ(s.bus_status, 0x1A1B);
    EXPECT_EQ(s.bus_second, 0x1C1D);
    EXPECT_EQ(s.current, 0x2021);
    EXPECT_EQ(s.voltage, 0x2223);
    EXPECT_EQ(s.turns, 0x2425);
    EXPECT_EQ(s.turn_pos, 0x2627);
    EXPECT_EQ(s.heat_sink, 0x2829);

    DriveFwVersion.store(0x309);
    b[12] = 0x00;
    b[13] = 0x01;
    b[14] = 0x86;
    b[15] = 0xA0;
    b[16] = 0xFF;  // negative current
    b[17] = 0x38;
    ASSERT_TRUE(Serrx_status_decode(b.data(), b.size()));
    s = Drive_status_get();
    EXPECT_EQ(s.speed, 100000);
    EXPECT_EQ(s.bus_status, 0x1819);
    EXPECT_EQ(s.bus_second, 0x1A1B);
    EXPECT_EQ(s.inputs[0], 0x2A);
    EXPECT_EQ(s.inputs[1], 0x2B);
    EXPECT_EQ(s.current, -200);
    b[12] = 0xFF;
    b[13] = 0xFE;
    Serrx_status_decode(b.data(), b.size());
    EXPECT_EQ(Drive_status_get().speed, int32_t(0xFFFE86A0));
}

// A short block changes nothing; in the boot loader only the status word is kept. Either way a
// whole block flags fresh status.
TEST_F(Status, ShortBlocksAndTheBootLoader)
{
    const Block b = sample_block();
    EXPECT_FALSE(Serrx_status_decode(b.data(), 27));
    EXPECT_FALSE(Serrx_status_decode(nullptr, 28));
    EXPECT_TRUE(same(Drive_status_get(), Drive_status{}));
    EXPECT_EQ(DriveUiFlags.load(), 0);
    Drive_status out{};
    out.speed = 5;
    EXPECT_FALSE(Serrx_status_pre309(b.data(), 10, out));
    EXPECT_FALSE(Serrx_status_309(b.data(), 10, out));
    EXPECT_EQ(out.speed, 5);

    Serrx_status_decode(b.data(), 28);
    Block boot = b;
    boot[1] = 0x05;  // bits 0 and 2
    ASSERT_TRUE(Serrx_status_decode(boot.data(), boot.size()));
    Drive_status zero{};
    zero.status_word = 0x1205;
    EXPECT_TRUE(same(Drive_status_get(), zero));
    EXPECT_TRUE(DriveUiFlags.load() & UiFlag::FreshStatus);
}

TEST_F(Status, Identification309OfTheFirstFamily)
{
    const Ident id = ident_of(0xC0458, 3, 9, 0);
    Drive_status_update_word(0, StatusBit::Boot);
    ASSERT_TRUE(Serrx_reply_ident(id.data(), id.size()));
    EXPECT_EQ(DriveFwVersion.load(), 0x309);
    EXPECT_STREQ(DriveSwText, "Software Vers: 3.09");
    EXPECT_STREQ(DriveNameText, "DRIVE");
    EXPECT_TRUE(Ser_link_flags.load() & LinkFlag::Ready);
    EXPECT_EQ(CurrentSizeTable->count, 6);
    EXPECT_EQ(CurrentSizeTable->src, SizeTableOrvel.src);
    EXPECT_FALSE(FlashModeFlags.load() & FlashModeFlag::DriveKnown);
    EXPECT_EQ(Ser_status_len.load(), 28);
    EXPECT_FALSE(Drive_status_word() & StatusBit::Boot);
    EXPECT_EQ(DriveDeviceId.load(), 0xC0458u);
    EXPECT_EQ(Drive_ident_get().ident1, 0x11223344u);
    EXPECT_EQ(Drive_ident_get().device_id, 0xC0458u);
    EXPECT_EQ(Drive_ident_get().ident3, 0x55667788u);
    EXPECT_EQ(CanIdentProductCode, 0xC0458u);
    EXPECT_EQ(CanIdentRevision, 0x55667788u);

    // Flag bit 1 on the first family sets FlashModeFlags bit 3.
    const Ident cond = ident_of(0xC0458, 3, 9, IdentFlag::BootCondition);
    Serrx_reply_ident(cond.data(), cond.size());
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::DriveKnown);
}

TEST_F(Status, IdentificationReadyNeedsMajor3NormalModeAndNoBootLoader)
{
    const Ident ok = ident_of(0xC0458, 3, 20, 0);
    const Ident major2 = ident_of(0xC0458, 2, 9, 0);
    Serrx_reply_ident(ok.data(), ok.size());
    ASSERT_TRUE(Ser_link_flags.load() & LinkFlag::Ready);
    Serrx_reply_ident(major2.data(), major2.size());
    EXPECT_FALSE(Ser_link_flags.load() & LinkFlag::Ready);
    EXPECT_STREQ(DriveSwText, "Software Vers: 2.09");

    Ser_link_mode_req.store(LinkMode::Check);
    Serrx_reply_ident(ok.data(), ok.size());
    EXPECT_FALSE(Ser_link_flags.load() & LinkFlag::Ready);
    Ser_link_mode_req.store(LinkMode::Normal);

    // Boot loader: version kept apart, software text untouched, status bit 0 set.
    const Ident boot = ident_of(0xC0458, 1, 5, IdentFlag::BootLoader, "BOOT");
    Serrx_reply_ident(boot.data(), boot.size());
    EXPECT_FALSE(Ser_link_flags.load() & LinkFlag::Ready);
    EXPECT_EQ(DriveBootVersion.load(), 0x0105);
    EXPECT_STREQ(DriveSwText, "Software Vers: 3.20");
    EXPECT_STREQ(DriveNameText, "BOOT");
    EXPECT_TRUE(Drive_status_word() & StatusBit::Boot);
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::DriveKnown);
}

// Other drive types get the second family's five sizes; the name keeps 31 characters; a short
// identification changes nothing.
TEST_F(Status, SizesNameAndShortIdentification)
{
    for (uint32_t type : {0xC0465u, 0x12345u}) {
        FlashModeFlags.store(0);
        const Ident id = ident_of(type, 3, 9, 0);
        Serrx_reply_ident(id.data(), id.size());
        EXPECT_EQ(CurrentSizeTable->src, SizeTablePelsan.src);
        EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::DriveKnown);
    }
    Ident id = ident_of(0xC0458, 3, 9, 0);
    for (std::size_t i = 16; i < 52; ++i)
        id[i] = uint8_t('A' + i % 26);
    Serrx_reply_ident(id.data(), id.size());
    EXPECT_EQ(std::string(DriveNameText), std::string(id.begin() + 16, id.begin() + 47));

    const Ident other = ident_of(0xC0465, 2, 1, IdentFlag::BootLoader, "OTHER");
    EXPECT_FALSE(Serrx_reply_ident(other.data(), 51));
    EXPECT_EQ(DriveFwVersion.load(), 0x309);
    EXPECT_EQ(DriveDeviceId.load(), 0xC0458u);
    EXPECT_EQ(std::string(DriveNameText), std::string(id.begin() + 16, id.begin() + 47));
    EXPECT_EQ(CurrentSizeTable->src, SizeTableOrvel.src);
    EXPECT_TRUE(Ser_link_flags.load() & LinkFlag::Ready);
    EXPECT_FALSE(Drive_status_word() & StatusBit::Boot);
}

// The receive thread decodes while the GUI takes snapshots: every snapshot is one whole block.
TEST_F(Status, ReadersSeeWholeBlocks)
{
    Block a = sample_block();
    Block b{};
    b.fill(0x42);
    b[1] = 0x40;
    Drive_status da{}, db{};
    Serrx_status_309(a.data(), a.size(), da);
    Serrx_status_309(b.data(), b.size(), db);
    std::atomic<bool> run{true};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            Serrx_status_decode((i & 1 ? a : b).data(), 28);
        run.store(false);
    });
    int torn = 0;
    while (run.load()) {
        if (DriveUiFlags.load(std::memory_order_acquire) & UiFlag::FreshStatus) {
            const Drive_status s = Drive_status_get();
            if (!same(s, da) && !same(s, db))
                ++torn;
        }
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}
