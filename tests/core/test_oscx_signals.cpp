// Scope signal catalogues: stored rows, start-up order, motor scales, the settings they feed and
// the commit of the channel dialog's copy.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "scope_core/Oscx_signals_core.h"

namespace {

// Stored rows by range, the first family's values (English names of the range's first row).
struct RangeRow {
    uint16_t first, last, group;
    const char* name;
    const char* unit;
    const char* linear_unit;
    uint32_t num, den, current;
    int32_t max, min, default_max, default_min;
    uint32_t decimals;
};
const RangeRow STORED_ROWS[] = {
    {0, 0, 0, "Signal Null", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {1, 1, 0, "Speed Ref.", "rpm", "mm/s", 1, 1, 0, INT32_MAX, INT32_MIN, 4000, -4000, 0},
    {2, 2, 0, "Meas. Speed.", "rpm", "mm/s", 600000, 65536, 0, INT32_MAX, INT32_MIN, 4000, -4000, 0},
    {3, 3, 0, "Current Ref.", "A", "A", 1, 1, 1, 10000, -10000, 1000, -1000, 2},
    {4, 4, 0, "Meas. Current", "A", "A", 1, 1, 1, 10000, -10000, 1000, -1000, 2},
    {5, 5, 0, "Meas. Voltage", "V", "V", 1, 1, 0, 1200, -100, 100, 0, 0},
    {6, 6, 0, "Position Rif.", "Counts", "mm", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {7, 9, 0, nullptr, "Counts", "mm", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {10, 10, 0, "Torque limit", "%", "%", 1, 10, 0, 10000, -10000, 3500, -3500, 1},
    {11, 11, 0, "Radiator temp.", "°", "°", 1, 10, 0, 2000, -2000, 1500, -200, 1},
    {12, 13, 0, nullptr, "°", "°", 1, 1, 0, 200, 0, 150, 0, 0},
    {14, 14, 1, "Input: 0", "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {19, 19, 1, "Input: 5", "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {20, 21, 1, nullptr, "---", "---", 1, 1, 0, 20, -10, 12, -2, 1},
    {22, 22, 4, "Output: 2", "---", "---", 1, 1, 0, 20, -10, 12, -2, 1},
    {23, 23, 2, "6040h-Ctrl.Word-B0", "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {38, 38, 2, "6040h-Ctrl.Word-B15", "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {39, 54, 2, nullptr, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {55, 55, 2, "6042h-Target Vel", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {56, 56, 2, "6060h-Modes operat.", "---", "---", 1, 1, 0, 32767, -32768, 10, -5, 0},
    {57, 57, 2, "6071h-Target torque", "---", "---", 1, 1, 0, 32767, -32768, 2000, -2000, 0},
    {60, 60, 2, "60C1h,1-Interp. Pos.", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {62, 62, 2, "2200h-Ratio Num", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 32767, -32768, 0},
    {64, 64, 2, "220Eh-Enc. master", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {65, 96, 3, nullptr, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {81, 81, 3, "0301h-St.Word-B0", "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},
    {97, 99, 3, nullptr, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},
    {100, 100, 3, "0506h-Vel.in main", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},
    {103, 103, 3, "060Fh-Pos-Velocity", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 10000, -10000, 0},
    {106, 106, 3, "0716h-Enc. master", "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},
    {107, 107, 3, "0803h-Torque inside", "%", "%", 1, 10, 0, 10000, -10000, 3500, -3500, 1},
};

class Catalogues : public ::testing::Test {
protected:
    void SetUp() override
    {
        Oscx_signals_restore();
        LanguageIndex = 1;
        std::memset(&DriveRecordBank[0], 0, sizeof DriveRecordBank[0]);
        ScopeSignalTable = {};
        ScopeSettings = {};
    }
    void TearDown() override
    {
        ScopeSignalTable = {};
        Oscx_signals_restore();
    }
    static void sort_both()
    {
        Oscx_set_sort_signals(ScopeCatalogueOrvel, &ScopeCatalogueOrvelCount);
        Oscx_set_sort_signals(ScopeCataloguePelsan, &ScopeCataloguePelsanCount);
    }
    static void motor(uint16_t type, uint32_t pitch)
    {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::MotorType, type);
        Rec_set<uint32_t>(DriveRecordBank[0], RecOfs::Motor + 4, pitch);
    }
    static std::string ratio(const ScopeSignal& s)
    {
        return std::to_string(Scope_signal_num(s)) + "/" + std::to_string(Scope_signal_den(s)) + "/" +
               std::to_string(s.decimals);
    }
};

TEST_F(Catalogues, StoredRowsOfBothFamilies)
{
    EXPECT_EQ(ScopeCatalogueOrvelCount, 108);
    EXPECT_EQ(ScopeCataloguePelsanCount, 108);
    for (const RangeRow& r : STORED_ROWS) {
        for (uint16_t i = r.first; i <= r.last; ++i) {
            for (const ScopeSignal* c : {ScopeCatalogueOrvel, ScopeCataloguePelsan}) {
                const ScopeSignal& s = c[i];
                const bool pelsan = c == ScopeCataloguePelsan;
                SCOPED_TRACE(std::to_string(i) + (pelsan ? " PELSAN" : " ORVEL"));
                EXPECT_EQ(s.code, i);
                EXPECT_EQ(s.group, i == 22 && pelsan ? 1 : r.group);
                if (r.name != nullptr) {
                    EXPECT_STREQ(s.names[1], r.name);
                }
                EXPECT_STREQ(s.unit, r.unit);
                EXPECT_STREQ(s.linear_unit, r.linear_unit);
                EXPECT_EQ(Scope_signal_num(s), r.num);
                EXPECT_EQ(Scope_signal_den(s), r.den);
                EXPECT_EQ(s.current, r.current);
                const bool speed = i == 1 || i == 2;
                EXPECT_EQ(s.max, pelsan && speed ? 35000 : r.max);
                EXPECT_EQ(s.min, pelsan && speed ? -35000 : r.min);
                EXPECT_EQ(s.default_max, pelsan && i == 5 ? 400 : r.default_max);
                EXPECT_EQ(s.default_min, r.default_min);
                EXPECT_EQ(s.decimals, r.decimals);
            }
        }
    }
}

TEST_F(Catalogues, NamesAndGroupsByLanguage)
{
    struct Case {
        uint16_t row;
        const char* names[3];
        const char* groups[3];
    } cases[] = {
        {1, {"Velocità Rif.", "Speed Ref.", "Vitesse Rep."}, {"Comune", "Common", "Commun"}},
        {17, {"Input: 3", "Input: 3", "Entrée: 3"}, {"In Out", "In Out", "In Out"}},
        {41, {"6041h-St.Word-B2", "6041h-St.Word-B2", "6041h-St.Word-B2"}, {"CanOpen", "CanOpen", "CanOpen"}},
        {104, {"0701h-Rapp. Num", "0701h-Ratio Num", "0701h-Ratio Num"}, {"ModBus", "ModBus", "ModBus"}},
        {107, {"0803h-Coppia inter.", "0803h-Torque inside", "0803h-Couple Int."}, {"ModBus", "ModBus", "ModBus"}},
    };
    for (const Case& c : cases) {
        for (uint8_t lang = 0; lang < 3; ++lang) {
            LanguageIndex = lang;
            EXPECT_STREQ(Oscx_signal_name(ScopeCataloguePelsan[c.row]), c.names[lang]);
            EXPECT_STREQ(Oscx_signal_group(ScopeCataloguePelsan[c.row]), c.groups[lang]);
        }
    }
}

TEST_F(Catalogues, SortKeepsGroupOrderDropsOtherGroupsAndIsStable)
{
    sort_both();
    EXPECT_EQ(ScopeCatalogueOrvelCount, 107);
    EXPECT_EQ(ScopeCataloguePelsanCount, 108);
    struct Case {
        const ScopeSignal* c;
        uint16_t index;
        const char* name;
        uint16_t code;
    } cases[] = {
        {ScopeCatalogueOrvel, 21, "Output: 1", 21},
        {ScopeCatalogueOrvel, 22, "6040h-Ctrl.Word-B0", 23},
        {ScopeCatalogueOrvel, 106, "0803h-Torque inside", 107},
        {ScopeCataloguePelsan, 22, "Output: 2", 22},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.c[c.index].names[1], c.name);
        EXPECT_EQ(c.c[c.index].code, c.code);
    }
    ScopeSignal before[SCOPE_CATALOGUE_ROWS];
    std::memcpy(before, ScopeCatalogueOrvel, sizeof before);
    sort_both();  // sorting again changes nothing
    EXPECT_EQ(ScopeCatalogueOrvelCount, 107);
    EXPECT_EQ(std::memcmp(before, ScopeCatalogueOrvel, sizeof before), 0);

    // A test catalogue: groups 4 and 7 go, the others keep their order within the group.
    ScopeSignal t[7] = {};
    const uint16_t groups[7] = {3, 4, 0, 7, 3, 1, 0};
    for (uint16_t i = 0; i < 7; ++i) {
        t[i].code = i;
        t[i].group = groups[i];
    }
    uint16_t n = 7;
    Oscx_set_sort_signals(t, &n);
    ASSERT_EQ(n, 5);
    const uint16_t order[5] = {2, 6, 5, 0, 4};
    for (uint16_t i = 0; i < n; ++i)
        EXPECT_EQ(t[i].code, order[i]);
}

TEST_F(Catalogues, MotorRowsFollowTheConnectedMotor)
{
    sort_both();
    struct Case {
        uint16_t type;
        uint32_t pitch;
        const char* rows[6];  // rows 1, 2, 6, 7, 8, 9
    } cases[] = {
        {1, 32000, {"1/10/1", "3200000/655360/1", "32000/65536000/2", "32000/65536000/2", "1/1/0", "32000/65536000/2"}},
        {0, 32000, {"1/1/0", "600000/65536/0", "1/1/0", "1/1/0", "1/1/0", "1/1/0"}},
        {2, 32000, {"1/1/0", "600000/65536/0", "1/1/0", "1/1/0", "1/1/0", "1/1/0"}},
        {1, 0, {"1/10/1", "0/655360/1", "0/65536000/2", "0/65536000/2", "1/1/0", "0/65536000/2"}},
        // P x 100 beyond 32 bits: the same ratio reduced (gcd 20, then halved while too wide).
        {1, 0xFFFFFFFF, {"1/10/1", "2684354559/4096/1", "4294967295/65536000/2", "4294967295/65536000/2",
                         "1/1/0", "4294967295/65536000/2"}},
    };
    const uint16_t rows[6] = {1, 2, 6, 7, 8, 9};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.pitch));
        motor(c.type, c.pitch);
        Oscx_set_apply_scales();
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(ratio(ScopeCatalogueOrvel[rows[i]]), c.rows[i]) << rows[i];
            EXPECT_EQ(ratio(ScopeCataloguePelsan[rows[i]]), c.rows[i]) << rows[i];
        }
    }
}

TEST_F(Catalogues, ApplyScalesSetsTriggerAndChannelDecimalsFromTheChosenSignals)
{
    sort_both();
    ScopeSignalTable = {ScopeCataloguePelsan, ScopeCataloguePelsanCount};
    motor(1, 32000);
    const uint16_t signals[4] = {2, 107, 3, 200};  // channel 3: beyond the catalogue
    for (unsigned k = 0; k < 4; ++k) {
        ScopeSettings.channel[k].signal_index = signals[k];
        ScopeSettings.channel[k].decimals = 3;
        ScopeSettings.channel[k].scale_max = 77;
    }
    ScopeSettings.trigger_channel = 0;
    Oscx_set_apply_scales();
    EXPECT_EQ(ScopeSettings.trigger_scale_max, 4000);
    EXPECT_EQ(ScopeSettings.trigger_scale_min, -4000);
    EXPECT_EQ(ScopeSettings.trigger_decimals, 1);
    const uint8_t decimals[4] = {1, 1, 2, 3};  // a channel beyond the catalogue keeps its own
    for (unsigned k = 0; k < 4; ++k) {
        EXPECT_EQ(ScopeSettings.channel[k].decimals, decimals[k]) << k;
        EXPECT_EQ(ScopeSettings.channel[k].scale_max, 77);  // the channels' scales stay
    }
    ScopeSettings.trigger_channel = 3;  // its signal is beyond the catalogue: the trigger scale stays
    ScopeSettings.trigger_scale_max = 5;
    Oscx_set_apply_scales();
    EXPECT_EQ(ScopeSettings.trigger_scale_max, 5);
}

TEST_F(Catalogues, AChannelBeyondTheCatalogueCountsAsSignalZero)
{
    sort_both();
    ScopeSignalTable = {ScopeCatalogueOrvel, ScopeCatalogueOrvelCount};
    ScopeChannel ch{};
    ch.signal_index = 107;  // valid for PELSAN, one past ORVEL's count
    EXPECT_EQ(Scope_signal_at(107), nullptr);
    EXPECT_STREQ(Oscx_channel_signal(ch).names[1], "Signal Null");
    ch.signal_index = 106;
    EXPECT_STREQ(Oscx_channel_signal(ch).names[1], "0803h-Torque inside");
    motor(1, 1);
    EXPECT_STREQ(Oscx_signal_unit(ScopeCatalogueOrvel[2]), "mm/s");
    motor(0, 1);
    EXPECT_STREQ(Oscx_signal_unit(ScopeCatalogueOrvel[2]), "rpm");
}

TEST_F(Catalogues, CommitKeepsTheScalesOfUnchangedChannels)
{
    sort_both();
    ScopeSignalTable = {ScopeCataloguePelsan, ScopeCataloguePelsanCount};
    for (unsigned k = 0; k < 4; ++k) {
        Oscx_set_take_signal(ScopeSettings, k, static_cast<uint16_t>(k + 1));
        ScopeSettings.channel[k].scale_max = 111 * static_cast<int32_t>(k + 1);  // the engineer's own scale
    }
    ScopeSettingsEdit = ScopeSettings;
    const ScopeSettingsRec before = ScopeSettings;
    EXPECT_FALSE(Oscx_set_commit_edit());
    EXPECT_EQ(std::memcmp(&before, &ScopeSettings, sizeof before), 0);

    Oscx_set_take_signal(ScopeSettingsEdit, 2, 10);  // CH3 changed
    ScopeSettingsEdit.channel[1].scale_max = 9;     // an unchanged channel's scale is not the dialog's
    ScopeSettingsEdit.sample_time = 49;
    EXPECT_TRUE(Oscx_set_commit_edit());
    EXPECT_EQ(ScopeSettings.channel[2].signal_index, 10);
    EXPECT_EQ(ScopeSettings.channel[2].scale_max, 3500);
    EXPECT_EQ(ScopeSettings.channel[2].scale_min, -3500);
    EXPECT_EQ(ScopeSettings.channel[2].decimals, 1);
    EXPECT_EQ(ScopeSettings.channel[1].scale_max, 222);
    EXPECT_EQ(ScopeSettings.channel[0].scale_max, 111);
    EXPECT_EQ(ScopeSettings.sample_time, 49);
}

TEST(ScopeSamplePeriodsTable, TwentyEightPeriods)
{
    EXPECT_EQ(ScopeSamplePeriods[0], 1);
    EXPECT_EQ(ScopeSamplePeriods[9], 10);
    EXPECT_EQ(ScopeSamplePeriods[11], 50);
    EXPECT_EQ(ScopeSamplePeriods[12], 80);
    EXPECT_EQ(ScopeSamplePeriods[SCOPE_SAMPLE_PERIOD_COUNT - 1], 1500);
}

}  // namespace
