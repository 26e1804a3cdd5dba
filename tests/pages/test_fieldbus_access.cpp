// The field-bus positioning pages' groups hold the controls their Parts place in them; plain
// controls follow the edit rule in the main window (locked without the link, free with link and
// remote control) and are never locked in the archive.
#include <QCheckBox>
#include <QComboBox>

#include <set>

#include "fieldbus_fixture.h"
#include "page_units.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

class FieldbusAccessTest : public FieldbusTest {};

TEST_F(FieldbusAccessTest, CombosAndBoxesFollowTheEditRuleInTheMainWindowOnly)
{
    for (const UnitRow& u : page_units()) {
        const std::string name = u.name;
        static const std::set<std::string> positioning = {
            "mdb_gearbox", "cands402_gearbox", "mdb_gearbox_aggc", "cands402_gearbox_aggc", "mdb_gearbox_sgnc",
            "cands402_gearbox_sgnc", "mdb_pos", "cands402_position", "mdb_pos_ctrl", "mdb_pos_par",
            "cands402_pos_crtl", "mdb_pos_hp", "cands402_homing", "mdb_pos_in1_tac", "cands402_pos_in1_tac",
            "mdb_pos_jog", "cands402_interp"};
        if (positioning.count(name) == 0)
            continue;
        SCOPED_TRACE(name);
        const uint16_t bus = u.canopen.empty() ? 1 : 2;
        for (uint8_t ctx = 0; ctx < 2; ++ctx)
            Rec_set<uint16_t>(DriveRecordBank[ctx], RecOfs::BusType, bus);
        DriveUiFlags.fetch_or(UiFlag::FieldBus);
        for (const uint8_t state : {uint8_t{0}, uint8_t(EditState::Linked | EditState::Remote)}) {
            EditStateFlags = state;
            for (uint8_t ctx = 0; ctx < 2; ++ctx) {
                PageContext = ctx;
                u.node->PageCreate(ctx, host());
                const bool free = ctx == 1 || state != 0;
                QWidget* frame = u.page().frame(ctx);
                for (QWidget* w : frame->findChildren<QComboBox*>())
                    EXPECT_EQ(w->isEnabled(), free) << w->objectName().toStdString() << int(ctx);
                for (QWidget* w : frame->findChildren<QCheckBox*>())
                    EXPECT_EQ(w->isEnabled(), free) << w->objectName().toStdString() << int(ctx);
                u.node->PageDestroy(ctx);
            }
        }
    }
    PageContext = 0;
    EditStateFlags = 0;
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::FieldBus));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FieldbusAccessTest, GroupsHoldTheirControls)
{
    struct Row {
        ParamPage& (*page)();
        uint16_t bus;
        const char* group;
        std::vector<const char*> controls;
    };
    const Row rows[] = {
        {Frm_mdb_gearbox_page, 1, "GroupBox_Sfasamento",
         {"FlowPanel_grbx_imp_sfasa", "FlowPanel_grbx_sfasa_vel", "FlowPanel_grbx_sfasa_acc", "BitBtn_invia_sfasamento"}},
        {Frm_cands402_gearbox_aggc_page, 2, "GroupBox_data_aggancio_vel",
         {"FlowPanel_grbx_vel_aggc_acc", "FlowPanel_grbx_vel_aggc_jerk"}},
        {Frm_mdb_gearbox_aggc_page, 1, "GroupBox_data_aggancio_pos", {"FlowPanel_grbx_pos_aggc_quota"}},
        {Frm_mdb_gearbox_sgnc_page, 1, "GroupBox_data_sgancio_pos",
         {"FlowPanel_grbx_pos_sgnc_vel", "FlowPanel_grbx_pos_sgnc_acc", "FlowPanel_grbx_pos_sgnc_quota",
          "ComboBox_grbx_pos_sgnc_as_rel", "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel"}},
        {Frm_cands402_gearbox_sgnc_page, 2, "GroupBox_data_sgancio_vel",
         {"FlowPanel_grbx_vel_sgnc_acc", "FlowPanel_grbx_vel_sgnc_jerk"}},
        {Frm_mdb_pos_page, 1, "GroupBox_rounding",
         {"FlowPanel_pos_jerk", "FlowPanel_pos_time_smooth", "ComboBox_pos_jerk_time", "Panel_flgx_pos_jerk_time"}},
        {Frm_cands402_position_page, 2, "TabSheet_pos_dat",
         {"FlowPanel_pos_rif", "ComboBox_pos_type_profilo", "GroupBox_rounding", "Panel_flgx_pos_jerk_time"}},
        {Frm_cands402_position_page, 2, "TabSheet_pos_view",
         {"Panel_pos_deman_value_dat", "Panel_pos_deman_value_inc_dat", "Panel_pos_mis_inc_dat"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.group);
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, r.bus);
        r.page().create(0, host());
        auto* group = find(r.page(), r.group);
        ASSERT_NE(group, nullptr);
        for (const char* c : r.controls)
            EXPECT_NE(group->findChild<QWidget*>(c), nullptr) << c;
        r.page().destroy(0);
    }
    auto* tabs_page = &Frm_cands402_position_page();
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    tabs_page->create(0, host());
    EXPECT_EQ(find(*tabs_page, "TabSheet_pos_view")->findChild<QWidget*>("Panel_pos_mis_dat"), nullptr);
    tabs_page->destroy(0);
}

}  // namespace
}  // namespace pagetest
