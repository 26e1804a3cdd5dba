// The one save routine on a really full file system, and the reader's refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FullDisk.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytes_of(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Savefile, FullDiskLeavesTheOldFileAndNoTemporary)
{
    FullDisk disk;
    ASSERT_TRUE(disk.ready());
    const std::vector<uint8_t> old(2440, 0x5A);
    ASSERT_EQ(Savefile_write(disk.file("a.ivt"), old.data(), old.size()), 0);
    disk.fill();
    const std::vector<uint8_t> other(2440, 0xA5);
    EXPECT_EQ(Savefile_write(disk.file("a.ivt"), other.data(), other.size()), ENOSPC);
    EXPECT_EQ(Savefile_write(disk.file("new.ivt"), other.data(), other.size()), ENOSPC);
    EXPECT_EQ(bytes_of(disk.file("a.ivt")), old);
    EXPECT_FALSE(fs::exists(disk.file("new.ivt")));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(disk.file("")))
        ++entries;
    EXPECT_EQ(entries, disk.real() ? 2u : 1u);  // the old file (and the filler)

    disk.drain();
    EXPECT_EQ(Savefile_write(disk.file("a.ivt"), other.data(), other.size()), 0);
    EXPECT_EQ(bytes_of(disk.file("a.ivt")), other);
}

TEST(Savefile, ReadRefusesWhatIsNotARegularFileOrTooLong)
{
    FullDisk dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const std::vector<uint8_t> five{1, 2, 3, 4, 5};
    ASSERT_EQ(Savefile_write(dir.file("five"), five.data(), five.size()), 0);
    const struct {
        const char* name;
        std::size_t max;
        int err;
    } rows[] = {{"pipe", 100, EINVAL}, {"", 100, EINVAL}, {"none", 100, ENOENT}, {"five", 4, EFBIG}, {"five", 5, 0}};
    for (const auto& r : rows) {
        std::vector<uint8_t> out{9};
        EXPECT_EQ(Savefile_read(dir.file(r.name), out, r.max), r.err) << r.name;
        EXPECT_EQ(out, r.err == 0 ? five : std::vector<uint8_t>{}) << r.name;
    }
}

TEST(Savefile, AFolderOrOtherFileInTheWayIsNamedAndKept)
{
    FullDisk dir;
    fs::create_directory(dir.file("x.ivt"));
    ASSERT_EQ(::mkfifo(dir.file("p.ivt").c_str(), 0600), 0);
    const std::vector<uint8_t> data(2440, 1);
    const struct {
        const char* name;
        int err;
        const char* text[3];
    } rows[] = {
        {"x.ivt", EISDIR, {"è una cartella", "is a folder", "est un dossier"}},
        {"p.ivt", EINVAL, {"non è un file regolare", "is not a regular file", "n'est pas un fichier ordinaire"}},
    };
    std::vector<MsgRequest> boxes;
    const MsgSink previous = Msgbox_set_sink([&boxes](const MsgRequest& m) {
        boxes.push_back(m);
        return MsgOk;
    });
    for (const auto& r : rows) {
        EXPECT_EQ(Savefile_write(dir.file(r.name), data.data(), data.size()), r.err) << r.name;
        for (unsigned l = 0; l < 3; ++l) {
            EXPECT_EQ(Savefile_failure_text(dir.file(r.name), r.err, l), r.text[l]) << r.name;
            boxes.clear();
            EXPECT_FALSE(Savefile_write_or_warn(dir.file(r.name), data.data(), data.size(), l));
            ASSERT_EQ(boxes.size(), 1u) << r.name;
            EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
            EXPECT_EQ(boxes[0].title, Msgbox_title(l));
            EXPECT_EQ(boxes[0].text, r.name + ("\n" + std::string(r.text[l])));
        }
    }
    boxes.clear();
    EXPECT_TRUE(Savefile_write_or_warn(dir.file("a.ivt"), data.data(), data.size(), 1));
    EXPECT_TRUE(boxes.empty());
    Msgbox_set_sink(previous);
    EXPECT_TRUE(fs::is_directory(dir.file("x.ivt")));
    EXPECT_TRUE(fs::is_fifo(dir.file("p.ivt")));
    EXPECT_EQ(Savefile_failure_text(dir.file("none"), ENOSPC, 0), Savefile_error_text(ENOSPC));
}

}  // namespace
