#include "shell/Main_page_host.h"

#include "shell/Formdattxrx.h"
#include "shell/Main.h"
#include "shell/Main_files.h"
#include "shell/Mainstate.h"
#include "shell/Treectrl.h"

namespace {

PageNode* node_of(PageUnit unit)
{
    switch (unit) {
    case PageUnit::field_bus: return &PageNode_field_bus;
    case PageUnit::motore: return &PageNode_motore;
    case PageUnit::pid_vel: return &PageNode_pid_vel;
    case PageUnit::pid_cor: return &PageNode_pid_cor;
    case PageUnit::pid_pos: return &PageNode_pid_pos;
    case PageUnit::mdb_gearbox: return &PageNode_mdb_gearbox;
    case PageUnit::cands402_gearbox: return &PageNode_cands402_gearbox;
    case PageUnit::mdb_gearbox_aggc: return &PageNode_mdb_gearbox_aggc;
    case PageUnit::cands402_gearbox_aggc: return &PageNode_cands402_gearbox_aggc;
    case PageUnit::mdb_gearbox_sgnc: return &PageNode_mdb_gearbox_sgnc;
    case PageUnit::cands402_gearbox_sgnc: return &PageNode_cands402_gearbox_sgnc;
    case PageUnit::mdb_pos: return &PageNode_mdb_pos;
    case PageUnit::cands402_position: return &PageNode_cands402_position;
    case PageUnit::mdb_pos_ctrl: return &PageNode_mdb_pos_ctrl;
    case PageUnit::mdb_pos_par: return &PageNode_mdb_pos_par;
    case PageUnit::cands402_pos_crtl: return &PageNode_cands402_pos_crtl;
    case PageUnit::mdb_pos_hp: return &PageNode_mdb_pos_hp;
    case PageUnit::cands402_homing: return &PageNode_cands402_homing;
    case PageUnit::mdb_pos_in1_tac: return &PageNode_mdb_pos_in1_tac;
    case PageUnit::cands402_pos_in1_tac: return &PageNode_cands402_pos_in1_tac;
    case PageUnit::mdb_pos_jog: return &PageNode_mdb_pos_jog;
    case PageUnit::cands402_interp: return &PageNode_cands402_interp;
    }
    return nullptr;
}

void install(PageUnit unit, const PageEntryPoints& e)
{
    PageNode* node = node_of(unit);
    if (node == nullptr)
        return;
    node->PageCreate = e.create;
    node->PageDestroy = e.destroy;
    node->PageRefresh = e.refresh;
    node->PageSetLanguage = e.set_language;
    node->PageSetAccess = e.set_access;
    node->PageGetSize = e.get_size;
}

}  // namespace

PageHostRec Main_page_host()
{
    PageHostRec host;
    host.install = install;
    host.edit_state = [] { return EditStateFlags; };
    host.monitor_layout = [] {
        if (Form_main != nullptr)
            Form_main->Main_monitor_layout();
    };
    host.enable_drive_commands = [](uint8_t state) {
        if (Form_main != nullptr)
            Form_main->Main_apply_drive_commands(state);
    };
    host.build_page_tree = BuildPageTree;
    host.wait_queue = Formdattxrx_wait_queue;
    host.mark_image_display = Main_mark_image_display;
    host.set_check_on_off = Main_set_check_on_off;
    host.get_check_on_off = Main_get_check_on_off;
    host.enable_by_state2 = [](uint8_t state, bool enabled[2], QColor colour[2]) {
        const auto e = Main_enable_by_state2(state);
        for (int i = 0; i < 2; ++i) {
            enabled[i] = e[i].enabled;
            colour[i] = e[i].colour;
        }
    };
    return host;
}
