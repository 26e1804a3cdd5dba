// Unit-factor files: the image written, the round trip, and one table of file images built byte by
// byte that the load refuses or takes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drivedata/Globvar.h"
#include "drivedata/Versoftw.h"
#include "factors_core/Factor_file_core.h"
#include "factors_core/Factor_tool_core.h"
#include "platform/Msgbox.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

class FactorFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/factor_file_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        saved_family_ = CurrentFamily;
        saved_lang_ = LanguageIndex;
        LanguageIndex = 1;
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r);
            return MsgOk;
        });
        for (std::size_t i = 0; i < FACTOR_APPLICATION_SIZE; ++i)
            rec.b[i] = static_cast<uint8_t>(i * 3 + 1);  // reserved bytes too
    }
    void TearDown() override
    {
        Msgbox_set_sink(std::move(old_sink_));
        CurrentFamily = saved_family_;
        LanguageIndex = saved_lang_;
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path path(const char* name) const { return dir_ / name; }
    static Bytes read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const fs::path& p, const Bytes& b)
    {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }

    FactorApplicationRec rec{};
    std::vector<MsgRequest> boxes;

private:
    fs::path dir_;
    const DriveFamilyRecord* saved_family_ = nullptr;
    uint8_t saved_lang_ = 1;
    MsgSink old_sink_;
};

TEST_F(FactorFile, SavedImageHasTheHeaderAndTheWholeRecord)
{
    CurrentFamily = &FamilyOrvel;
    ASSERT_EQ(Factor_tool_save_file(path("a.ftl"), rec), 0);
    const Bytes b = read(path("a.ftl"));
    ASSERT_EQ(b.size(), 108u);
    EXPECT_EQ(DataFile_xor(b.data(), b.size()), 0);
    EXPECT_EQ(std::memcmp(b.data() + 1, &FamilyOrvel, 25), 0);
    EXPECT_EQ(b[26], 0);
    EXPECT_EQ(b[27], 0);
    EXPECT_EQ(std::memcmp(b.data() + 28, rec.b, 80), 0);

    FactorApplicationRec back{};
    EXPECT_TRUE(Factor_tool_load_file(path("a.ftl"), &back));
    EXPECT_EQ(std::memcmp(back.b, rec.b, 80), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FactorFile, SaveFailureIsReportedWithItsReason)
{
    write(path("plain"), {1, 2, 3});
    EXPECT_EQ(Factor_tool_save_file(path("plain") / "a.ftl", rec), ENOTDIR);
    EXPECT_NE(Factor_tool_save_file(fs::path(), rec), 0);
    EXPECT_EQ(read(path("plain")), (Bytes{1, 2, 3}));
}

// A file image from a saved one: bytes changed, cut or appended, the check byte mended or not.
struct ImageCase {
    const char* name;
    int size_change;       // bytes appended (zeros) or cut
    int flip_at;           // byte to change, -1 none
    bool mend_check;       // check byte recomputed afterwards
    bool other_family;
    bool loads;
};

class FactorFileImages : public FactorFile, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(FactorFileImages, LoadTakesOnlyWholeIntactFiles)
{
    const ImageCase& c = GetParam();
    CurrentFamily = c.other_family ? &FamilyPelsan : &FamilyOrvel;
    ASSERT_EQ(Factor_tool_save_file(path("s.ftl"), rec), 0);
    CurrentFamily = &FamilyOrvel;
    Bytes b = read(path("s.ftl"));
    if (c.size_change > 0)
        b.insert(b.end(), static_cast<std::size_t>(c.size_change), 0x55);
    else
        b.resize(b.size() - static_cast<std::size_t>(-c.size_change));
    if (c.flip_at >= 0)
        b[static_cast<std::size_t>(c.flip_at)] ^= 0x10;
    if (c.mend_check) {
        b[0] = 0;
        b[0] = DataFile_xor(b.data(), b.size());
    }
    write(path("t.ftl"), b);

    FactorApplicationRec into{};
    std::memset(into.b, 0xEE, sizeof into.b);
    const FactorApplicationRec before = into;
    EXPECT_EQ(Factor_tool_load_file(path("t.ftl"), &into), c.loads);
    if (c.loads) {
        EXPECT_EQ(std::memcmp(into.b, rec.b, 80), 0);
        EXPECT_TRUE(boxes.empty());
    } else {
        EXPECT_EQ(std::memcmp(into.b, before.b, 80), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Corrupted Data or Invalid File !");
        EXPECT_EQ(boxes[0].title, "Attention");
        EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    }
}

INSTANTIATE_TEST_SUITE_P(Images, FactorFileImages,
                         ::testing::Values(ImageCase{"Intact", 0, -1, false, false, true},
                                           ImageCase{"OtherFamily", 0, -1, false, true, true},
                                           ImageCase{"RecordByteChanged", 0, 60, false, false, false},
                                           ImageCase{"FamilyByteChanged", 0, 3, false, false, false},
                                           ImageCase{"CheckByteChanged", 0, 0, false, false, false},
                                           ImageCase{"LongerXorZero", 2, -1, true, false, false},
                                           ImageCase{"OneLongerXorZero", 1, -1, true, false, false},
                                           ImageCase{"ShorterXorZero", -1, -1, true, false, false},
                                           ImageCase{"HeaderOnly", -80, -1, true, false, false},
                                           ImageCase{"Empty", -108, -1, false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FactorFile, MissingOrUnnamedFileLoadsNothingSilently)
{
    FactorApplicationRec into{};
    EXPECT_FALSE(Factor_tool_load_file(path("none.ftl"), &into));
    EXPECT_FALSE(Factor_tool_load_file(fs::path(), &into));
    EXPECT_TRUE(boxes.empty());
    // A folder is no factor file.
    EXPECT_FALSE(Factor_tool_load_file(path(""), &into));
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(FactorFile, ReadFileRefusesALargerFileAndChecksTheXor)
{
    write(path("r"), {1, 2, 3});
    uint8_t buf[4] = {};
    std::size_t n = 0;
    EXPECT_TRUE(Factor_tool_read_file(path("r"), buf, 4, &n));
    EXPECT_EQ(n, 3u);
    EXPECT_FALSE(Factor_tool_read_file(path("r"), buf, 2, &n));
    write(path("r"), {1, 2});
    EXPECT_FALSE(Factor_tool_read_file(path("r"), buf, 4, &n));
}

}  // namespace
