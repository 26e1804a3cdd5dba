#include "platform/Syslang.h"
#include "platform/Tick.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(Tick, DifferencesSurviveTheWrapAndSleepAdvancesTheClock)
{
    EXPECT_EQ(Tick_diff(0x00000010u, 0xFFFFFFF0u), 0x20u);
    EXPECT_EQ(Tick_diff(1000u, 900u), 100u);
    const uint32_t start = Tick_ms();
    Sleep_ms(30);
    const uint32_t since = Tick_since(start);
    EXPECT_GE(since, 29u);  // whole milliseconds truncated on both ends
    EXPECT_LT(since, 5000u);
}

class SyslangTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* v : kVars) {
            const char* value = std::getenv(v);
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(v);
        }
    }
    void TearDown() override
    {
        for (size_t i = 0; i < std::size(kVars); ++i) {
            if (saved_[i])
                setenv(kVars[i], saved_[i]->c_str(), 1);
            else
                unsetenv(kVars[i]);
        }
    }
    static constexpr const char* kVars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

TEST_F(SyslangTest, ItalianOnlyWhenTheLocaleSaysSo)
{
    EXPECT_EQ(Syslang_default_language(), 1u);
    setenv("LANG", "it_IT.UTF-8", 1);
    EXPECT_EQ(Syslang_default_language(), 0u);
    setenv("LC_MESSAGES", "en_GB.UTF-8", 1);  // more specific than LANG
    EXPECT_EQ(Syslang_default_language(), 1u);
    setenv("LC_ALL", "it_CH", 1);             // overrides both
    EXPECT_EQ(Syslang_default_language(), 0u);
    setenv("LC_ALL", "", 1);                  // empty: ignored
    EXPECT_EQ(Syslang_default_language(), 1u);
    setenv("LC_MESSAGES", "fr_FR", 1);        // French is never the default
    EXPECT_EQ(Syslang_default_language(), 1u);
    setenv("LC_MESSAGES", "C", 1);
    EXPECT_EQ(Syslang_default_language(), 1u);
}

}  // namespace
