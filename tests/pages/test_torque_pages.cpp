// Torque pages: the reference source bit and its tab, the internal torque's range, and the
// profile type's two items.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class TorquePagesTest : public PagesTest {
protected:
    bool written(uint16_t key, uint32_t value)
    {
        return pump_until([&] { return !writes_of(key).empty() && writes_of(key).back().value_u32() == value; }, 3000);
    }
};

TEST_F(TorquePagesTest, InternalSourceSetsBitZeroOnlyShowsItsTabAndSendsTheWord)
{
    connect_drive(1);
    LanguageIndex = 0;
    Rec_set<uint16_t>(DriveRecordBank[0], 792, 0x0006);
    Frm_mdb_torque_create(0, host());
    auto* combo = Frm_mdb_torque_page().find<QComboBox>(0, "ComboBox_rif_coppia");
    ASSERT_EQ(combo->itemText(1), "[1]Coppia Interna");
    EXPECT_EQ(combo->currentIndex(), 0);
    Q_EMIT combo->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 792), 0x0007);
    EXPECT_EQ(Frm_mdb_torque_page().find<QTabWidget>(0, "PageControl_rif_coppia")->currentIndex(), 1);
    EXPECT_EQ(Frm_mdb_torque_page().find<QLabel>(0, "Panel_par_cm_trq_flg_dat_rif_torque")->text(), "0007h");
    EXPECT_TRUE(written(0x0800, 7));
    Frm_mdb_torque_destroy(0);
}

TEST_F(TorquePagesTest, InsideTorqueTakesTenthsWithinItsRange)
{
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    Rec_set<int16_t>(DriveRecordBank[1], 798, 10);
    Frm_mdb_torque_create(1, host());
    MemoUpDwxBase* e = Frm_mdb_torque_page().edit_of(1, 798);
    const struct {
        const char* typed;
        int16_t stored;
        bool refused;
    } rows[] = {{"-250.1", 10, true}, {"-250.0", -2500, false}};
    for (const auto& r : rows) {
        e->memo()->setFocus();
        e->memo()->clear();
        QTest::keyClicks(e->memo(), r.typed);
        QTest::keyClick(e->memo(), Qt::Key_Return);
        EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[1], 798), r.stored) << r.typed;
        EXPECT_EQ(!boxes.empty(), r.refused) << r.typed;
        boxes.clear();
    }
    Frm_mdb_torque_destroy(1);
}

TEST_F(TorquePagesTest, ProfileTypeWithoutItemShowsImmediateAndPickingItStoresMinusOne)
{
    connect_drive(2);
    Rec_set<int16_t>(DriveRecordBank[0], 2136, 5);
    Frm_cands402_torque_create(0, host());
    auto* combo = Frm_cands402_torque_page().find<QComboBox>(0, "ComboBox_torque_profile_type");
    EXPECT_EQ(combo->currentText(), "[-1] Immediate");
    Q_EMIT combo->activated(0);
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 2136), -1);
    EXPECT_TRUE(written(0x6088, 0xFFFF));
    Q_EMIT combo->activated(1);
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 2136), 0);
    Frm_cands402_torque_destroy(0);
}

TEST_F(TorquePagesTest, ActualTorqueFollowsWhileHeldAndTheSourceBitAloneIsTaken)
{
    quiet_link(2);
    Frm_cands402_torque_create(0, host());
    DriveUiFlags.fetch_or(UiFlag::Remote);
    Rec_set<int16_t>(DriveReadBack, 2098, -321);
    Rec_set<int16_t>(DriveReadBack, 2096, 77);
    poll_and_reply(Frm_cands402_torque_page());
    EXPECT_EQ(Frm_cands402_torque_page().find<QLabel>(0, "Panel_prf_torque_actual_value_dat")->text(), "-321");
    EXPECT_NE(Rec_get<int16_t>(DriveRecordBank[0], 2096), 77);
    Frm_cands402_torque_destroy(0);

    quiet_link(1);
    Rec_set<uint16_t>(DriveRecordBank[0], 792, 0x0010);
    Frm_mdb_torque_create(0, host());
    Rec_set<uint16_t>(DriveReadBack, 792, 0x0001);
    poll_and_reply(Frm_mdb_torque_page());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 792), 0x0011);
    EXPECT_EQ(Frm_mdb_torque_page().find<QComboBox>(0, "ComboBox_rif_coppia")->currentIndex(), 1);
    EXPECT_EQ(Frm_mdb_torque_page().find<QTabWidget>(0, "PageControl_rif_coppia")->currentIndex(), 0);
    Frm_mdb_torque_destroy(0);
}

}  // namespace
}  // namespace pagetest
