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
#include "pages/fieldbus/Factor_page.h"
#include "factors/Factor_tool.h"
#include "pages/fieldbus/Frm_inout_control.h"
#include "pages/fieldbus/Frm_cands402_ctrl_var.h"
#include "pages/fieldbus/Frm_cands402_input.h"
#include "pages/fieldbus/Frm_cands402_profile_vel.h"
#include "pages/fieldbus/Frm_cands402_torque.h"
#include "pages/fieldbus/Frm_cands402_velocity_mode.h"
#include "pages/fieldbus/Frm_mdb_control.h"
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
