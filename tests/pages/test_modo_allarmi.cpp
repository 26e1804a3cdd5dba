// Alarm Mode page: a combo changes its own bit only, labels, the send, the secure-disable group by
// family and the bit-by-bit read-back.
#include <QComboBox>
#include <QLabel>

#include "drive_page_helpers.h"
#include "link/Serrx.h"
#include "pages/drive/Frm_modo_allarmi.h"

namespace pagetest {
namespace {

const char* const LABELS[] = {"Label_modo_al_overvolt_hex", "Label_modo_al_undervolt_hex",
                              "Label_modo_al_i2t_drive_hex", "Label_modo_al_secure_disable_hex"};

class ModoAllarmiTest : public PagesTest {
protected:
    void TearDown() override
    {
        Frm_modo_allarmi_destroy(0);
        set_family(false);
        PagesTest::TearDown();
    }
    static QString label(int i) { return Frm_modo_allarmi_page().find<QLabel>(0, LABELS[i])->text(); }
    static QComboBox* combo(const char* name) { return Frm_modo_allarmi_page().find<QComboBox>(0, name); }
};

TEST_F(ModoAllarmiTest, ComboSetsItsBitAndSendsTheWord)
{
    connect_drive(1, false, {{184, 0x0010}});
    set_family(true);  // after the settings file was read
    Frm_modo_allarmi_create(0, host());
    EXPECT_FALSE(Frm_modo_allarmi_page().find<QWidget>(0, "GroupBox_alarm_secure_disable")->isHidden());
    EXPECT_EQ(combo("ComboBox_modo_al_undervolt")->itemText(1), "[1] auto reset");
    EXPECT_EQ(combo("ComboBox_modo_al_i2t_drive")->itemText(0), "[0]Limit - Nom. Curr.");
    Q_EMIT combo("ComboBox_modo_al_undervolt")->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 184), 0x0012);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(label(i), "0012h") << i;
    EXPECT_TRUE(pump_until([this] { auto w = written(*sim, 0x0201); return !w.empty() && w.back() == 0x12; }, 1000));
    Q_EMIT combo("ComboBox_modo_al_undervolt")->activated(0);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 184), 0x0010);
}

TEST_F(ModoAllarmiTest, FirstFamilyHidesSecureDisableYetCopiesItsBit)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Rec_set<uint16_t>(DriveRecordBank[0], 184, 0x0010);
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
    Frm_modo_allarmi_create(0, host());
    EXPECT_TRUE(Frm_modo_allarmi_page().find<QWidget>(0, "GroupBox_alarm_secure_disable")->isHidden());
    std::this_thread::sleep_for(std::chrono::milliseconds(110));
    Frm_modo_allarmi_page().tick();  // the list "goes out"
    Rec_set<uint16_t>(DriveReadBack, 184, 0x00F8);
    Ser_list_reply_count.fetch_add(1);
    Frm_modo_allarmi_page().tick();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 184), 0x0018);
    EXPECT_EQ(combo("ComboBox_modo_al_secure_disable")->currentIndex(), 1);
    EXPECT_EQ(label(0), "0018h");
}

}  // namespace
}  // namespace pagetest
