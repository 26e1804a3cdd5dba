#include "pages/Pages.h"

#include "diagrams/Diagram_host.h"
#include "pages/drive/Frm_field_bus.h"
#include "pages/drive/Frm_mot_feedback.h"
#include "pages/drive/Frm_filtro_notch.h"
#include "pages/drive/Frm_fpb_iq.h"
#include "pages/drive/Frm_limiti.h"
#include "pages/drive/Frm_motore.h"
#include "pages/drive/Frm_pid_cor.h"
#include "pages/drive/Frm_pid_pos.h"
#include "pages/drive/Frm_pid_vel.h"
#include "pages/drive/Frm_taglia_drive.h"
#include "pages/drive/Frm_setup_avanzato.h"
#include "pages/drive/Frm_mem_alarm.h"
#include "pages/drive/Frm_test_i2t.h"
#include "pages/drive/Frm_output.h"
#include "pages/drive/Frm_soglie_tensione.h"
#include "pages/drive/Frm_modo_allarmi.h"
#include "pages/drive/Frm_resistenza_fren.h"
#include "pages/drive/Frm_fan_ctrl.h"
#include "pages/drive/Frm_input_flt.h"
#include "pages/fieldbus/Factor_page.h"
#include "factors/Factor_tool.h"
#include "pages/fieldbus/Frm_inout_control.h"
#include "pages/fieldbus/Frm_cands402_ctrl_var.h"
#include "pages/fieldbus/Frm_cands402_input.h"
#include "pages/fieldbus/Frm_cands402_profile_vel.h"
#include "pages/fieldbus/Frm_cands402_torque.h"
#include "pages/fieldbus/Frm_cands402_velocity_mode.h"
#include "pages/fieldbus/Frm_mdb_control.h"
#include "pages/fieldbus/Frm_cands402_gearbox.h"
#include "pages/fieldbus/Frm_mdb_gearbox.h"
#include "pages/fieldbus/Frm_mdb_pos_in1_tac.h"
#include "pages/fieldbus/Frm_cands402_pos_in1_tac.h"
#include "pages/fieldbus/Frm_mdb_pos_jog.h"
#include "pages/fieldbus/Frm_cands402_interp.h"
#include "pages/fieldbus/Frm_mdb_pos_hp.h"
#include "pages/fieldbus/Frm_cands402_homing.h"
#include "pages/fieldbus/Frm_mdb_pos_ctrl.h"
#include "pages/fieldbus/Frm_mdb_pos_par.h"
#include "pages/fieldbus/Frm_cands402_pos_crtl.h"
#include "pages/fieldbus/Frm_mdb_pos.h"
#include "pages/fieldbus/Frm_cands402_position.h"
#include "pages/fieldbus/Frm_mdb_gearbox_aggc.h"
#include "pages/fieldbus/Frm_cands402_gearbox_aggc.h"
#include "pages/fieldbus/Frm_mdb_gearbox_sgnc.h"
#include "pages/fieldbus/Frm_cands402_gearbox_sgnc.h"
#include "pages/fieldbus/Frm_cands402_stm.h"
#include "pages/fieldbus/Frm_mdb_stm.h"
#include "pages/fieldbus/Frm_cands402_ctrl.h"
#include "pages/fieldbus/Frm_mdb_ctrl.h"
#include "pages/fieldbus/Frm_cands301.h"
#include "pages/fieldbus/Frm_cands301_dat_com.h"
#include "pages/fieldbus/Frm_cands301_emerg_store.h"
#include "pages/fieldbus/Frm_cands301_rpdo_map.h"
#include "pages/fieldbus/Frm_cands301_tpdo_map.h"
#include "pages/fieldbus/Frm_mdb_ctrl_var.h"
#include "pages/fieldbus/Frm_mdb_input.h"
#include "pages/fieldbus/Frm_mdb_torque.h"
#include "pages/fieldbus/Frm_mdb_speed_aux.h"
#include "pages/fieldbus/Frm_mdb_speed_main.h"
#include "pages/fieldbus/Frm_mdb_speed_rampe.h"

PageHostRec PagesHost;

uint8_t Page_edit_state() { return PagesHost.edit_state != nullptr ? PagesHost.edit_state() : 0; }

void Pages_install(const PageHostRec& host)
{
    PagesHost = host;
    Factor_tool_install({host.factor_records, host.wait_queue});
    DiagramHost.edit_state = host.edit_state;
    DiagramHost.control_frame = [](uint16_t bus_type, uint8_t ctx) -> QWidget* {
        return bus_type == 0 ? Frm_inout_control_frame(ctx) : bus_type == 1 ? Frm_mdb_control_frame(ctx) : nullptr;
    };
    if (host.install == nullptr)
        return;
    host.install(PageUnit::field_bus, Frm_field_bus_entries());
    host.install(PageUnit::motore, Frm_motore_entries());
    host.install(PageUnit::pid_vel, Frm_pid_vel_entries());
    host.install(PageUnit::pid_cor, Frm_pid_cor_entries());
    host.install(PageUnit::pid_pos, Frm_pid_pos_entries());
    host.install(PageUnit::taglia_drive, Frm_taglia_drive_entries());
    host.install(PageUnit::mot_feedback, Frm_mot_feedback_entries());
    host.install(PageUnit::mdb_factor, Frm_mdb_factor_entries());
    host.install(PageUnit::cands402_factor, Frm_cands402_factor_entries());
    host.install(PageUnit::limiti, Frm_limiti_entries());
    host.install(PageUnit::filtro_notch, Frm_filtro_notch_entries());
    host.install(PageUnit::fpb_iq, Frm_fpb_iq_entries());
    host.install(PageUnit::inout_control, Frm_inout_control_entries());
    host.install(PageUnit::mdb_control, Frm_mdb_control_entries());
    host.install(PageUnit::setup_avanzato, Frm_setup_avanzato_entries());
    host.install(PageUnit::mem_alarm, Frm_mem_alarm_entries());
    host.install(PageUnit::test_i2t, Frm_test_i2t_entries());
    host.install(PageUnit::output, Frm_output_entries());
    host.install(PageUnit::soglie_tensione, Frm_soglie_tensione_entries());
    host.install(PageUnit::modo_allarmi, Frm_modo_allarmi_entries());
    host.install(PageUnit::resistenza_fren, Frm_resistenza_fren_entries());
    host.install(PageUnit::fan_ctrl, Frm_fan_ctrl_entries());
    host.install(PageUnit::input_flt, Frm_input_flt_entries());
    host.install(PageUnit::mdb_gearbox, Frm_mdb_gearbox_entries());
    host.install(PageUnit::cands402_gearbox, Frm_cands402_gearbox_entries());
    host.install(PageUnit::mdb_gearbox_aggc, Frm_mdb_gearbox_aggc_entries());
    host.install(PageUnit::cands402_gearbox_aggc, Frm_cands402_gearbox_aggc_entries());
    host.install(PageUnit::mdb_gearbox_sgnc, Frm_mdb_gearbox_sgnc_entries());
    host.install(PageUnit::cands402_gearbox_sgnc, Frm_cands402_gearbox_sgnc_entries());
    host.install(PageUnit::mdb_pos, Frm_mdb_pos_entries());
    host.install(PageUnit::cands402_position, Frm_cands402_position_entries());
    host.install(PageUnit::mdb_pos_ctrl, Frm_mdb_pos_ctrl_entries());
    host.install(PageUnit::mdb_pos_par, Frm_mdb_pos_par_entries());
    host.install(PageUnit::cands402_pos_crtl, Frm_cands402_pos_crtl_entries());
    host.install(PageUnit::mdb_pos_hp, Frm_mdb_pos_hp_entries());
    host.install(PageUnit::cands402_homing, Frm_cands402_homing_entries());
    host.install(PageUnit::mdb_pos_in1_tac, Frm_mdb_pos_in1_tac_entries());
    host.install(PageUnit::cands402_pos_in1_tac, Frm_cands402_pos_in1_tac_entries());
    host.install(PageUnit::mdb_pos_jog, Frm_mdb_pos_jog_entries());
    host.install(PageUnit::cands402_interp, Frm_cands402_interp_entries());
    host.install(PageUnit::cands402_stm, Frm_cands402_stm_entries());
    host.install(PageUnit::mdb_stm, Frm_mdb_stm_entries());
    host.install(PageUnit::cands402_ctrl, Frm_cands402_ctrl_entries());
    host.install(PageUnit::mdb_ctrl, Frm_mdb_ctrl_entries());
    host.install(PageUnit::cands301, Frm_cands301_entries());
    host.install(PageUnit::cands301_dat_com, Frm_cands301_dat_com_entries());
    host.install(PageUnit::cands301_emerg_store, Frm_cands301_emerg_store_entries());
    host.install(PageUnit::cands301_rpdo_map, Frm_cands301_rpdo_map_entries());
    host.install(PageUnit::cands301_tpdo_map, Frm_cands301_tpdo_map_entries());
    host.install(PageUnit::mdb_speed_main, Frm_mdb_speed_main_entries());
    host.install(PageUnit::mdb_speed_aux, Frm_mdb_speed_aux_entries());
    host.install(PageUnit::mdb_speed_rampe, Frm_mdb_speed_rampe_entries());
    host.install(PageUnit::mdb_torque, Frm_mdb_torque_entries());
    host.install(PageUnit::cands402_torque, Frm_cands402_torque_entries());
    host.install(PageUnit::cands402_profile_vel, Frm_cands402_profile_vel_entries());
    host.install(PageUnit::cands402_velocity_mode, Frm_cands402_velocity_mode_entries());
    host.install(PageUnit::mdb_ctrl_var, Frm_mdb_ctrl_var_entries());
    host.install(PageUnit::cands402_ctrl_var, Frm_cands402_ctrl_var_entries());
    host.install(PageUnit::mdb_input, Frm_mdb_input_entries());
    host.install(PageUnit::cands402_input, Frm_cands402_input_entries());
}
