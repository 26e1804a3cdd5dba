#pragma once
// The page units under test, one row each: node, frame, group box, flow panels and the poll
// request per bus type (count byte first).
#include <string>
#include <vector>

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
#include "shell/Treectrl.h"

namespace pagetest {

struct UnitRow {
    const char* name;
    PageNode* node;
    ParamPage& (*page)();
    const char* frame_class;
    const char* group_box;
    std::vector<const char*> panels;
    std::vector<std::string> modbus;   // request of bus types 0 and 1 (none: the unit polls nothing)
    std::vector<std::string> canopen;  // request of bus type 2
    bool timer = true;                 // the frame has Timer_com
    std::vector<std::pair<std::size_t, uint16_t>> image = {};  // 16-bit fields of the drive's image
    std::vector<uint16_t> buses = {1, 2};  // bus types whose page tree holds the unit
    bool bare = false;                 // no Panel_frm: the frame's own size
    bool archive_timer = false;        // Timer_com runs in context 1 too
};

inline const std::vector<UnitRow>& page_units()
{
    static const std::vector<UnitRow> rows = {
        {"field_bus", &PageNode_field_bus, Frm_field_bus_page, "TFrame_field_bus", "GroupBox_bus_campo",
         {"FlowPanel_canbus_node_id", "FlowPanel_mdb_addr_mem", "FlowPanel_mdb_timeout", "FlowPanel_can_timeout"},
         {},
         {}},
        {"motore", &PageNode_motore, Frm_motore_page, "TFrame_motore", "GroupBox_dati_motore",
         {"FlowPanel_vel_nom", "FlowPanel_corr_nom", "FlowPanel_corr_picco", "FlowPanel_corr_stallo",
          "FlowPanel_volt_nom", "FlowPanel_resist_fase", "FlowPanel_indutt_sincrona", "FlowPanel_flux_magnete",
          "FlowPanel_I2t_time", "FlowPanel_passo_polare"},
         {"4Dh", "0150h", "0151h", "0152h", "0153h", "0154h", "0155h", "0156h", "015Ah", "0157h", "0158h", "0159h",
          "0165h", "0166h"},
         {"8Ch", "2031h,0", "2030h,0", "2000h,0", "2001h,0", "2002h,0", "2033h,0", "2034h,0", "2003h,0", "2035h,0",
          "2036h,0", "2037h,0", "2043h,0"}},
        {"pid_vel", &PageNode_pid_vel, Frm_pid_vel_page, "TFrame_pid_vel", "GroupBox_PID_vel",
         {"FlowPanel_PID_speed_kp", "FlowPanel_PID_speed_ki", "FlowPanel_PID_speed_kd"},
         {"43h", "0202h", "0203h", "0204h"},
         {"83h", "2008h,0", "2009h,0", "2038h,0"}},
        {"pid_pos", &PageNode_pid_pos, Frm_pid_pos_page, "TFrame_pid_pos", "GroupBox_PID_position",
         {"FlowPanel_PID_kp_pos"},
         {"41h", "0205h"},
         {"81h", "2007h,0"}},
        {"pid_cor", &PageNode_pid_cor, Frm_pid_cor_page, "TFrame_pid_cor", "GroupBox_BR_PID_corrente",
         {"FlowPanel_PID_corr_kp", "FlowPanel_PID_corr_ki", "FlowPanel_PID_corr_kd"},
         {"43h", "015Dh", "015Eh", "015Fh"},
         {"83h", "200Ah,0", "200Bh,0", "2039h,0"}},
        {"taglia_drive", &PageNode_taglia_drive, Frm_taglia_drive_page, "TFrame_taglia_drive",
         "GroupBox_lista_taglia_correnti",
         {"FlowPanel_time_i2t_drive", "FlowPanel_lim_freq_I2t", "FlowPanel_overtemp_alarm"},
         {},
         {},
         false},
        // Encoder only, bit counts 0 (a typed count keeps the sum within 31).
        {"mot_feedback", &PageNode_mot_feedback, Frm_mot_feedback_page, "TFrame_mot_feedback", "GroupBox_feedback",
         {"FlowPanel_encoder_imp_increment_only", "FlowPanel_encoder_imp_increment_and_halls",
          "FlowPanel_encoder_offset_increment_and_halls", "FlowPanel_encoder_offset_only_halls",
          "FlowPanel_encoder_offset_serial_ssi", "FlowPanel_encoder_bit_single_turn", "FlowPanel_encoder_bit_multi_turn",
          "FlowPanel_offset_multigiro", "FlowPanel_cov_cor", "FlowPanel_cov_vel", "FlowPanel_cov_thx", "FlowPanel_noise",
          "FlowPanel_cor_start", "FlowPanel_cor_ramp", "FlowPanel_w_start", "FlowPanel_w_ist", "FlowPanel_w_ramp",
          "FlowPanel_delay_start", "FlowPanel_w_fault", "FlowPanel_cor_stop"},
         {"44h", "0150h", "0161h", "015Bh", "015Ch"},
         {"83h", "2031h,0", "2040h,0", "2032h,0"},
         true,
         {{162, 0}, {164, 0}, {166, 0}}},
        {"mdb_factor", &PageNode_mdb_factor, Frm_mdb_factor_page, "TFrame_mdb_factor", "GroupBox_mdb_factor",
         {"FlowPanel_pos_factor_num", "FlowPanel_pos_factor_den", "FlowPanel_vel_factor_num", "FlowPanel_vel_factor_den",
          "FlowPanel_acc_factor_num", "FlowPanel_acc_factor_den"},
         {"4Fh", "0400h", "0609h", "060Ah", "060Bh", "060Ch", "0406h", "0407h", "0408h", "0409h", "040Ah", "040Bh",
          "040Ch", "040Dh", "0400h", "0600h"},
         {},
         true,
         {},
         {1}},
        {"cands402_factor", &PageNode_cands402_factor, Frm_cands402_factor_page, "TFrame_CanDS402_Factor",
         "GroupBox_DS402_Factor",
         {"FlowPanel_position_factor_num", "FlowPanel_position_factor_feed", "FlowPanel_vel_enc_factor_num",
          "FlowPanel_vel_enc_factor_div", "FlowPanel_accel_factor_num", "FlowPanel_accel_factor_div"},
         {},
         {"87h", "6093h,1", "6093h,2", "6094h,1", "6094h,2", "6097h,1", "6097h,2", "607Eh,0"},
         true,
         {},
         {2}},
        {"limiti", &PageNode_limiti, Frm_limiti_page, "TFrame_limiti", "GroupBox_limiti",
         {"FlowPanel_limite_corrente", "FlowPanel_limite_vel"},
         {"42h", "0206h", "0207h"},
         {"82h", "2005h,0", "2006h,0"}},
        {"filtro_notch", &PageNode_filtro_notch, Frm_filtro_notch_page, "TFrame_filtro_notch", "GroupBox_filtro_notch",
         {"FlowPanel_freq_notch"},
         {"43h", "0208h", "0209h", "0200h"},
         {"83h", "200Dh,0", "200Eh,0", "200Ch,0"}},
        {"fpb_iq", &PageNode_fpb_iq, Frm_fpb_iq_page, "TFrame_FPB_iq", "GroupBox_FPB_iq",
         {"FlowPanel_time_FPB_iq"},
         {"42h", "020Ah", "0200h"},
         {"82h", "203Ah,0", "200Ch,0"}},
        {"inout_control", &PageNode_inout_control, Frm_inout_control_page, "TFrame_inout_control", nullptr, {}, {}, {},
         true, {}, {1, 2}, true},
        // The Modbus profile's page polls on Modbus only.
        {"mdb_control", &PageNode_mdb_control, Frm_mdb_control_page, "TFrame_mdb_control", nullptr, {},
         {"46h", "0401h", "0500h", "0800h", "0501h", "0502h", "0200h"}, {}, true, {}, {1, 2}, true},
        // The speed pages poll the list of the tab shown (the reference type's at Create).
        {"mdb_speed_main", &PageNode_mdb_speed_main, Frm_mdb_speed_main_page, "TFrame_mdb_speed_main",
         "GroupBox_rif_speed",
         {"FlowPanel_vel_max", "FlowPanel_vel_offset", "FlowPanel_filtro_vel", "FlowPanel_vel_interna",
          "FlowPanel_impulsi_giro"},
         {"45h", "0501h", "050Ah", "0500h", "051Dh", "051Eh"}, {}, true, {{596, 2}}, {1}},
        {"mdb_speed_aux", &PageNode_mdb_speed_aux, Frm_mdb_speed_aux_page, "TFrame_mdb_speed_aux", "GroupBox_rif_speed",
         {"FlowPanel_vel_max_aux", "FlowPanel_vel_offset_aux", "FlowPanel_vel_interna_aux", "FlowPanel_lim_coppia_max",
          "FlowPanel_lim_coppia_offset"},
         {"44h", "0502h", "0511h", "0512h", "0500h"}, {}, true, {{598, 2}}, {1}},
        {"mdb_speed_rampe", &PageNode_mdb_speed_rampe, Frm_mdb_speed_rampe_page, "TFrame_mdb_speed_rampe",
         "GroupBox_rampe", {"FlowPanel_acc_CW", "FlowPanel_dec_CW", "FlowPanel_acc_CCW", "FlowPanel_dec_CCW",
          "FlowPanel_jerk"},
         {"4Bh", "0513h", "0514h", "0515h", "0516h", "0517h", "0518h", "0519h", "051Ah", "051Bh", "051Ch", "0500h"},
         {}, true, {}, {1}, false, true},
        {"mdb_torque", &PageNode_mdb_torque, Frm_mdb_torque_page, "TFrame_mdb_torque", "GroupBox_rif_torque",
         {"FlowPanel_coppia_max", "FlowPanel_coppia_offset", "FlowPanel_coppia_interna"},
         {"44h", "0800h", "0801h", "0802h", "0803h"}, {}, true, {}, {1}},
        {"cands402_torque", &PageNode_cands402_torque, Frm_cands402_torque_page, "TFrame_CanDS402_Torque",
         "GroupBox_DS402_Torque", {"FlowPanel_target_torque", "FlowPanel_torque_slope"},
         {}, {"84h", "6071h,0", "6077h,0", "6087h,0", "6088h,0"}, true, {}, {2}},
        {"cands402_profile_vel", &PageNode_cands402_profile_vel, Frm_cands402_profile_vel_page,
         "TFrame_CanDS402_Profile_Vel", "GroupBox_DS402_Profile_Vel",
         {"FlowPanel_prf_vel_target_velocity", "FlowPanel_prf_vel_acceleration", "FlowPanel_prf_vel_deceleration",
          "FlowPanel_prf_vel_window", "FlowPanel_prf_vel_window_time", "FlowPanel_prf_vel_threshold",
          "FlowPanel_prf_vel_threshold_time", "FlowPanel_prf_vel_error", "FlowPanel_prf_vel_error_time"},
         {}, {"84h", "60FFh,0", "6083h,0", "6084h,0", "606Ch,0"}, true, {}, {2}},
        {"cands402_velocity_mode", &PageNode_cands402_velocity_mode, Frm_cands402_velocity_mode_page,
         "TFrame_CanDS402_Velocity_Mode", "GroupBox_DS402_Profile_Vel",
         {"FlowPanel_vl_target_velocity", "FlowPanel_vl_acc_delta_speed", "FlowPanel_vl_acc_delta_time",
          "FlowPanel_vl_dec_delta_speed", "FlowPanel_vl_dec_delta_time", "FlowPanel_vl_velocity_min_amount",
          "FlowPanel_vl_velocity_max_amount", "FlowPanel_vl_dim_factor_num", "FlowPanel_vl_dim_factor_den"},
         {}, {"87h", "6042h,0", "6048h,1", "6048h,2", "6049h,1", "6049h,2", "6043h,0", "6044h,0"}, true, {}, {2}},
        {"mdb_ctrl_var", &PageNode_mdb_ctrl_var, Frm_mdb_ctrl_var_page, "TFrame_mdb_ctrl_var", "GroupBox_mdb_ctrl_var",
         {"FlowPanel_decel_op", "FlowPanel_decel_halt", "FlowPanel_dec_com_time_out", "FlowPanel_dec_fault_reaction",
          "FlowPanel_emerg_lim_torque", "FlowPanel_vel_window", "FlowPanel_vel_win_dtime"},
         {"4Fh", "0402h", "0403h", "0404h", "0405h", "0411h", "0412h", "0413h", "0415h", "0418h", "0416h", "0417h",
          "0419h", "041Ah", "041Bh", "041Ch"},
         {}, true, {}, {1}},
        {"cands402_ctrl_var", &PageNode_cands402_ctrl_var, Frm_cands402_ctrl_var_page, "TFrame_CanDS402_Ctrl_Var",
         "GroupBox_DS402_ctrl_var",
         {"FlowPanel_vl_velocity_reference", "FlowPanel_vl_slow_down_time", "FlowPanel_vl_quick_stop_time",
          "FlowPanel_emerg_lim_torque"},
         {}, {"88h", "6007h,0", "605Ah,0", "605Dh,0", "605Eh,0", "604Eh,0", "6050h,0", "6051h,0", "201Dh,0"}, true, {},
         {2}},
        // Without bound edits: the frame's panel is checked, no edit.
        {"mdb_input", &PageNode_mdb_input, Frm_mdb_input_page, "TFrame_mdb_input", "GroupBox_input_digitali", {},
         {"48h", "0401h", "0414h", "041Dh", "041Eh", "041Fh", "0420h", "0421h", "0422h"}, {}, true, {}, {1}},
        {"cands402_input", &PageNode_cands402_input, Frm_cands402_input_page, "TFrame_CanDS402_input",
         "GroupBox_input_digitali", {}, {}, {"85h", "60FDh,0", "201Bh,0", "2052h,0", "2053h,0", "2054h,0"}, true, {},
         {2}},
    };
    return rows;
}

inline std::string PrintToString(const UnitRow& r) { return r.name; }

}  // namespace pagetest
