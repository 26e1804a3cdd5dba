#include "shell/Main_page_host.h"

#include <filesystem>
#include <iterator>

#include "diagrams/Blocks_dat.h"
#include "diagrams/Diagram_host.h"
#include "diagrams/Form_block.h"
#include "shell/Allarmi.h"
#include "shell/Filedlg.h"
#include "shell/Formdattxrx.h"
#include "shell/Main.h"
#include "shell/Main_files.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Toolwin.h"
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
    case PageUnit::taglia_drive: return &PageNode_taglia_drive;
    case PageUnit::mot_feedback: return &PageNode_mot_feedback;
    case PageUnit::mdb_factor: return &PageNode_mdb_factor;
    case PageUnit::cands402_factor: return &PageNode_cands402_factor;
    case PageUnit::limiti: return &PageNode_limiti;
    case PageUnit::filtro_notch: return &PageNode_filtro_notch;
    case PageUnit::fpb_iq: return &PageNode_fpb_iq;
    case PageUnit::inout_control: return &PageNode_inout_control;
    case PageUnit::mdb_control: return &PageNode_mdb_control;
    case PageUnit::setup_avanzato: return &PageNode_setup_avanzato;
    case PageUnit::mem_alarm: return &PageNode_mem_alarm;
    case PageUnit::test_i2t: return &PageNode_test_i2t;
    case PageUnit::output: return &PageNode_output;
    case PageUnit::soglie_tensione: return &PageNode_soglie_tensione;
    case PageUnit::modo_allarmi: return &PageNode_modo_allarmi;
    case PageUnit::resistenza_fren: return &PageNode_resistenza_fren;
    case PageUnit::fan_ctrl: return &PageNode_fan_ctrl;
    case PageUnit::input_flt: return &PageNode_input_flt;
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
    case PageUnit::cands402_stm: return &PageNode_cands402_stm;
    case PageUnit::mdb_stm: return &PageNode_mdb_stm;
    case PageUnit::cands402_ctrl: return &PageNode_cands402_ctrl;
    case PageUnit::mdb_ctrl: return &PageNode_mdb_ctrl;
    case PageUnit::cands301: return &PageNode_cands301;
    case PageUnit::cands301_dat_com: return &PageNode_cands301_dat_com;
    case PageUnit::cands301_emerg_store: return &PageNode_cands301_emerg_store;
    case PageUnit::cands301_rpdo_map: return &PageNode_cands301_rpdo_map;
    case PageUnit::cands301_tpdo_map: return &PageNode_cands301_tpdo_map;
    case PageUnit::mdb_speed_main: return &PageNode_mdb_speed_main;
    case PageUnit::mdb_speed_aux: return &PageNode_mdb_speed_aux;
    case PageUnit::mdb_speed_rampe: return &PageNode_mdb_speed_rampe;
    case PageUnit::mdb_torque: return &PageNode_mdb_torque;
    case PageUnit::cands402_torque: return &PageNode_cands402_torque;
    case PageUnit::cands402_profile_vel: return &PageNode_cands402_profile_vel;
    case PageUnit::cands402_velocity_mode: return &PageNode_cands402_velocity_mode;
    case PageUnit::mdb_ctrl_var: return &PageNode_mdb_ctrl_var;
    case PageUnit::cands402_ctrl_var: return &PageNode_cands402_ctrl_var;
    case PageUnit::mdb_input: return &PageNode_mdb_input;
    case PageUnit::cands402_input: return &PageNode_cands402_input;
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

// The registry kind of each page tool, in PageTool order.
constexpr ToolWin PAGE_TOOLS[] = {ToolWin::AzzeraEncCk, ToolWin::AzzeraEnc, ToolWin::AzzeraEncAbs,
                                  ToolWin::TarCogCk,    ToolWin::TarCog,    ToolWin::CogDat};
static_assert(std::size(PAGE_TOOLS) == static_cast<std::size_t>(PageTool::CogDat) + 1);
ToolWin tool_kind(PageTool tool) { return PAGE_TOOLS[static_cast<uint8_t>(tool)]; }

template <std::size_t N>
void split_enables(const std::array<ControlEnable, N>& e, bool* enabled, QColor* colour)
{
    for (std::size_t i = 0; i < N; ++i) {
        enabled[i] = e[i].enabled;
        colour[i] = e[i].colour;
    }
}

// The pages the diagram blocks open.
void link_block_pages()
{
    const struct {
        BlockRec* block;
        PageNode* node;
    } links[] = {
        {&Block_aux_speed, &PageNode_mdb_speed_aux},  {&Block_main_speed, &PageNode_mdb_speed_main},
        {&Block_torque, &PageNode_mdb_torque},        {&Block_ramps, &PageNode_mdb_speed_rampe},
        {&Block_speed_limit, &PageNode_limiti},       {&Block_current_limit, &PageNode_limiti},
        {&Block_notch, &PageNode_filtro_notch},       {&Block_iq_filter, &PageNode_fpb_iq},
        {&Block_motor, &PageNode_motore},             {&Block_positioner, &PageNode_mdb_pos},
        {&Block_gear_box, &PageNode_mdb_gearbox},     {&Block_speed_regulator, &PageNode_pid_vel},
        {&Block_current_regulator, &PageNode_pid_cor}, {&Block_position_regulator, &PageNode_pid_pos},
    };
    for (const auto& l : links)
        l.block->node = l.node;
}

void install_diagram_host()
{
    link_block_pages();
    DiagramHost.page_of = [](PageNode* n) { return DiagramPage{n->PageCreate, n->PageDestroy, n->PageRefresh}; };
    DiagramHost.page_size = [](PageNode* n, uint8_t ctx, int32_t* height, int32_t* width) {
        if (n == nullptr || n->PageGetSize == nullptr)
            return false;
        PageSize size{*height, *width};
        n->PageGetSize(ctx, &size);
        *height = size.height;
        *width = size.width;
        return true;
    };
    DiagramEntries.popup_page = [] { return Form_block_node; };
}

}  // namespace

PageHostRec Main_page_host()
{
    install_diagram_host();
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
        split_enables(Main_enable_by_state2(state), enabled, colour);
    };
    host.enable_by_state3 = [](uint8_t state, bool enabled[3], QColor colour[3]) {
        split_enables(Main_enable_by_state3(state), enabled, colour);
    };
    host.second_family = Settings_second_family;
    host.alarm_name = [](uint16_t alarm) -> const char* { return alarm < 32 ? AlarmTexts[alarm][Lang_index()] : nullptr; };
    host.access_flags = [] { return AccessFlags; };
    host.tool_available = [](PageTool tool) { return Toolwin_available(tool_kind(tool)); };
    host.tool_create = [](PageTool tool, QWidget* parent) { return Toolwin_create(tool_kind(tool), parent); };
    host.factor_records = SettingsBlock.factor;
    host.data_folder = [] {
        std::error_code ec;
        if (!DriveDataFolder.empty())
            std::filesystem::create_directories(DriveDataFolder, ec);
        return QString::fromStdString(DriveDataFolder.string());
    };
    host.file_dialog = [](QWidget* parent, const PageFileDialog& d) {
        return Filedlg_run(parent, FileDialogSpec{d.title, d.folder, d.filter, d.suffix, d.save});
    };
    host.alarm_text = [](int bit, unsigned language) -> const char* {
        return bit >= 0 && bit < 32 && language < 3 ? AlarmTexts[bit][language] : nullptr;
    };
    host.mark_io_display = [] { MainStatusShadow = static_cast<uint8_t>(~Drive_status_get().outputs); };
    host.mark_status_display = [] { MainStatusShadow = static_cast<uint8_t>(~Drive_status_get().outputs); };
    return host;
}
