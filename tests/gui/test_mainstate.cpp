// The edit state: what reaches the page, the pop-up and the window hooks; the modified mark, the
// first alarm and the enable rules of related controls.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "controls/Graph_draw.h"
#include "gui_app.h"
#include "link/Sertx.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Treectrl.h"

namespace {

std::vector<uint8_t> page_calls;
std::vector<uint8_t> popup_calls;
PageNode popup_node{};
void page_access(uint8_t s) { page_calls.push_back(s); }
void popup_access(uint8_t s) { popup_calls.push_back(s); }
PageNode* popup_page() { return &popup_node; }

class MainState : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        page_calls.clear();
        popup_calls.clear();
        State_reset_all();
        page_.PageSetAccess = page_access;
        popup_node.PageSetAccess = popup_access;
        CurrentPageNode[0] = &page_;
        DiagramEntries.popup_page = popup_page;
        Ser_link_flags = LinkFlag::Answers | LinkFlag::Ready;
        std::memset(&StatusShown, 0, sizeof StatusShown);
        status_ = {};
        status_.bus_status = 1u << 9;  // remote control off
        publish();
    }
    void TearDown() override
    {
        State_reset_all();
        DiagramEntries = {};
        SettingsBlock.flags = 0;
    }
    void publish() { Drive_status_publish(status_); }

    PageNode page_{};
    Drive_status status_{};
};

TEST(MainFirstAlarm, LowestBitWithAlarmMark)
{
    const std::pair<uint32_t, uint8_t> cases[] = {{0, 0},
                                                  {1u << 0, 128},
                                                  {1u << 4, 4},  // a warning
                                                  {1u << 25, 25 + 128},
                                                  {1u << 30, 26},
                                                  {(1u << 3) | (1u << 11), 131},
                                                  {(1u << 26) | (1u << 14), 14}};
    for (const auto& [word, first] : cases)
        EXPECT_EQ(Main_first_alarm_of(word), first) << std::hex << word;
    Drive_status s{};
    s.alarm_word = 1u << 20;
    Drive_status_publish(s);
    EXPECT_EQ(Main_first_alarm(), 20 + 128);
    Drive_status_publish(Drive_status{});
}

TEST_F(MainState, StatusBit5ReachesThePageInTheSameCall)
{
    UpdateEditState(EditMode::Force);
    ASSERT_EQ(page_calls, std::vector<uint8_t>{EditState::Linked});

    status_.status_word = StatusBit::State5;
    publish();
    UpdateEditState(EditMode::OnChange);
    ASSERT_EQ(page_calls.size(), 2u);
    EXPECT_EQ(page_calls.back(), EditState::Linked | EditState::Status5);
    EXPECT_EQ(EditStateFlags, EditState::Linked | EditState::Status5);
    EXPECT_EQ(StatusShown.status_word & StatusBit::State5, StatusBit::State5);

    UpdateEditState(EditMode::OnChange);  // nothing changed
    EXPECT_EQ(page_calls.size(), 2u);

    status_.control_mode = 2;  // the control mode alone
    publish();
    UpdateEditState(EditMode::OnChange);
    ASSERT_EQ(page_calls.size(), 3u);
    EXPECT_EQ(page_calls.back(), EditState::Linked | EditState::Status5);
    UpdateEditState(EditMode::OnChange);
    EXPECT_EQ(page_calls.size(), 3u);
}

TEST_F(MainState, RemoteAndBusTypeSetUiFlagsAndKeepOtherBits)
{
    DriveUiFlags.fetch_or(UiFlag::FreshStatus | UiFlag::Power);
    status_.bus_status = 0;  // the drive accepts the program's commands
    publish();
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    UpdateEditState(EditMode::OnChange);
    EXPECT_EQ(DriveUiFlags.load(), UiFlag::FreshStatus | UiFlag::Power | UiFlag::Remote | UiFlag::FieldBus);
    EXPECT_EQ(EditStateFlags, EditState::Linked | EditState::Remote);

    status_.bus_status = 1u << 9;
    publish();
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 0);
    UpdateEditState(EditMode::OnChange);
    EXPECT_EQ(DriveUiFlags.load(), UiFlag::FreshStatus | UiFlag::Power);
    EXPECT_EQ(EditStateFlags, EditState::Linked);

    Ser_link_flags = LinkFlag::Answers;  // not ready: bit 0 follows at the next recomputation
    UpdateEditState(EditMode::Force);
    EXPECT_EQ(EditStateFlags, 0);
}

TEST_F(MainState, PopupPageFollowsOnlyInTheMainContext)
{
    UpdateEditState(EditMode::Force);
    EXPECT_EQ(popup_calls, std::vector<uint8_t>{EditState::Linked});
    PageContext = 1;
    UpdateEditState(EditMode::Force);
    EXPECT_EQ(popup_calls.size(), 1u);
    EXPECT_EQ(page_calls.size(), 2u);

    UpdateEditState(EditMode::Reset);  // reaches the pop-up in any context
    EXPECT_EQ(EditStateFlags, 0);
    EXPECT_EQ(page_calls.back(), 0);
    EXPECT_EQ(popup_calls.back(), 0);
}

TEST_F(MainState, ResetWithoutPopupOrPageIsSafe)
{
    DiagramEntries = {};
    CurrentPageNode[0] = nullptr;
    EditStateFlags = 0xFF;
    UpdateEditState(EditMode::Reset);
    UpdateEditState(EditMode::Force);
    EXPECT_EQ(EditStateFlags, EditState::Linked);
}

TEST_F(MainState, DataModifiedOnlyWithoutAutoSave)
{
    Ser_data_flags = DataFlag::ListReads;
    std::memcpy(&DriveRecordBank[2], &DriveRecordBank[0], sizeof(DriveRecord));
    SettingsBlock.flags = 0;
    Main_check_data_modified();
    EXPECT_EQ(DriveUiFlags.load() & UiFlag::Modified, 0);

    DriveRecordBank[0].b[2000] ^= 1;
    SettingsBlock.flags = SettingsFlag::AutoSave;
    Main_check_data_modified();
    EXPECT_EQ(DriveUiFlags.load() & UiFlag::Modified, 0);

    Ser_data_flags = 0;  // list reads off
    SettingsBlock.flags = 0;
    Main_check_data_modified();
    EXPECT_EQ(DriveUiFlags.load() & UiFlag::Modified, 0);

    Ser_data_flags = DataFlag::ListReads;
    DriveUiFlags.fetch_or(UiFlag::FreshStatus);
    Main_check_data_modified();
    EXPECT_EQ(DriveUiFlags.load(), UiFlag::Modified | UiFlag::FreshStatus);
    DriveRecordBank[0].b[2000] ^= 1;
}

TEST_F(MainState, EnableRulesOfRelatedControls)
{
    auto on3 = [](uint8_t s) {
        const auto r = Main_enable_by_state3(s);
        return std::vector<bool>{r[0].enabled, r[1].enabled, r[2].enabled};
    };
    EXPECT_EQ(on3(0x03), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(on3(0x07), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(on3(0x05), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(on3(0x00), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Main_enable_by_state3(0x07)[0].colour, clInactiveCaption);
    EXPECT_EQ(Main_enable_by_state3(0x07)[2].colour, QColor(Qt::black));
    EXPECT_FALSE(Main_enable_by_state2(0x03)[0].enabled);
    EXPECT_TRUE(Main_enable_by_state2(0x03)[1].enabled);
    EXPECT_FALSE(Main_enable_by_state2(0x02)[1].enabled);
    PageContext = 1;  // the archive edits without a drive
    EXPECT_EQ(on3(0x00), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(Main_enable_by_state2(0x00)[0].enabled);
}

TEST_F(MainState, StatusShownInvalidateAndShadowAlias)
{
    Main_status_shown_invalidate();
    const auto* bytes = reinterpret_cast<const uint8_t*>(&StatusShown);
    for (std::size_t i = 0; i < sizeof StatusShown; ++i)
        EXPECT_EQ(bytes[i], 0xFF) << i;
    MainStatusShadow = 0x12;
    EXPECT_EQ(StatusShown.outputs, 0x12);
}

}  // namespace
