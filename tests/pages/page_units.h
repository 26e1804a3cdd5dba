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
#include "pages/drive/Frm_fan_ctrl.h"
#include "pages/drive/Frm_input_flt.h"
#include "pages/drive/Frm_mem_alarm.h"
#include "pages/drive/Frm_modo_allarmi.h"
#include "pages/drive/Frm_output.h"
#include "pages/drive/Frm_resistenza_fren.h"
#include "pages/drive/Frm_setup_avanzato.h"
#include "pages/drive/Frm_soglie_tensione.h"
#include "pages/drive/Frm_test_i2t.h"
#include "pages/fieldbus/Factor_page.h"
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
#include "pages/fieldbus/Frm_cands402_ctrl.h"
#include "pages/fieldbus/Frm_cands402_stm.h"
#include "pages/fieldbus/Frm_mdb_ctrl.h"
#include "pages/fieldbus/Frm_mdb_stm.h"
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
        {"setup_avanzato", &PageNode_setup_avanzato, Frm_setup_avanzato_page, "TFrame_setup_avanzato",
         "GroupBox_setup_avanzato", {}, {}, {}, false},
        {"mem_alarm", &PageNode_mem_alarm, Frm_mem_alarm_page, "TFrame_mem_alarm", "GroupBox_lista_alarm", {}, {}, {},
         false},
        {"test_i2t", &PageNode_test_i2t, Frm_test_i2t_page, "TFrame_test_I2t", "GroupBox_test_I2t",
         {"FlowPanel_I2t_corr_high", "FlowPanel_I2t_time_corr_high", "FlowPanel_I2t_corr_low",
          "FlowPanel_I2t_time_corr_low"},
         {},
         {},
         false},
        {"output", &PageNode_output, Frm_output_page, "TFrame_output", "GroupBox_Output",
         // The Speed 0 tab is shown first; output functions every family has.
         {"FlowPanel_vel0set_win", "FlowPanel_vel0set_dtime", "FlowPanel_time_brake_on", "FlowPanel_time_brake_off",
          "FlowPanel_decel", "FlowPanel_vel_brake_on", "FlowPanel_speed_1kHz"},
         {"45h", "0223h", "0212h", "0213h", "0210h", "0211h"},
         {"85h", "2070h,0", "203Bh,0", "203Ch,0", "2017h,0", "2018h,0"},
         true,
         {{262, 0}, {216, 0}, {218, 0}}},
        {"soglie_tensione", &PageNode_soglie_tensione, Frm_soglie_tensione_page, "TFrame_soglie_tensione",
         "GroupBox_soglie_tensioni_DCBUS",
         {"FlowPanel_tens_max_over_voltage", "FlowPanel_ist_tens_max_over_voltage", "FlowPanel_tens_min_under_voltage",
          "FlowPanel_ist_tens_min_under_voltage", "FlowPanel_tens_max", "FlowPanel_ist_tens_max"},
         {},
         {},
         false},
        {"modo_allarmi", &PageNode_modo_allarmi, Frm_modo_allarmi_page, "TFrame_modo_allarmi", "GroupBox_modo_alarm",
         {},
         {"41h", "0201h"},
         {"81h", "200Fh,0"}},
        {"resistenza_fren", &PageNode_resistenza_fren, Frm_resistenza_fren_page, "TFrame_resistenza_fren",
         "GroupBox_resistenza_fren",
         {"FlowPanel_resistenza", "FlowPanel_power_nom", "FlowPanel_time_overload"},
         {"43h", "0120h", "0121h", "0122h"},
         {"83h", "2046h,0", "2047h,0", "2048h,0"}},
        {"fan_ctrl", &PageNode_fan_ctrl, Frm_fan_ctrl_page, "TFrame_fan_ctrl", "GroupBox_fan_ctrl",
         {"FlowPanel_fan_temp_max", "FlowPanel_fan_temp_ist"},
         {},
         {},
         false},
        {"input_flt", &PageNode_input_flt, Frm_input_flt_page, "TFrame_input_flt", "GroupBox_input_digitali",
         {"FlowPanel_input_flt_timer0", "FlowPanel_input_flt_timer1", "FlowPanel_input_flt_timer2",
          "FlowPanel_input_flt_timer3", "FlowPanel_input_flt_timer4", "FlowPanel_input_flt_timer5"},
         {"46h", "0423h", "0424h", "0425h", "0426h", "0427h", "0428h"},
         {"86h", "2055h,1", "2055h,2", "2055h,3", "2055h,4", "2055h,5", "2055h,6"}},
        {"mdb_gearbox", &PageNode_mdb_gearbox, Frm_mdb_gearbox_page, "TFrame_mdb_gearbox", "GroupBox_mdb_gearbox",
         {"FlowPanel_grbx_ratio_num", "FlowPanel_grbx_ratio_den", "FlowPanel_grbx_enc_imp", "FlowPanel_pos_reach",
          "FlowPanel_grbx_imp_sfasa", "FlowPanel_grbx_sfasa_vel", "FlowPanel_grbx_sfasa_acc"},
         {"4Ch", "0701h", "0702h", "0705h", "0706h", "0707h", "0719h", "071Ah", "071Bh", "071Ch", "0716h", "0717h",
          "0718h"},
         {},
         true, {}, {0, 1}},
        {"cands402_gearbox", &PageNode_cands402_gearbox, Frm_cands402_gearbox_page, "TFrame_CanDS402_GearBox",
         "GroupBox_DS402_GearBox",
         {"FlowPanel_grbx_ratio_num", "FlowPanel_grbx_ratio_den", "FlowPanel_grbx_enc_imp", "FlowPanel_grbx_imp_sfasa",
          "FlowPanel_grbx_sfasa_vel", "FlowPanel_grbx_sfasa_acc"},
         {},
         {"8Ah", "2200h,0", "2201h,0", "2204h,0", "220Fh,0", "2210h,0", "2211h,0", "2212h,0", "220Eh,0", "6064h,0",
          "60F4h,0"},
         true, {}, {2}},
        {"mdb_gearbox_aggc", &PageNode_mdb_gearbox_aggc, Frm_mdb_gearbox_aggc_page, "TFrame_mdb_gearbox_aggc",
         "GroupBox_mdb_gearbox_aggc",
         {"FlowPanel_grbx_vel_aggc_acc", "FlowPanel_grbx_vel_aggc_jerk", "FlowPanel_grbx_pos_aggc_quota"},
         {"49h", "0703h", "0708h", "0709h", "070Ah", "070Bh", "070Ch", "070Dh", "0716h", "0717h"},
         {},
         true, {}, {1}},
        {"cands402_gearbox_aggc", &PageNode_cands402_gearbox_aggc, Frm_cands402_gearbox_aggc_page,
         "TFrame_CanDS402_GearBox_aggc", "GroupBox_DS402_GearBox_aggc",
         {"FlowPanel_grbx_vel_aggc_acc", "FlowPanel_grbx_vel_aggc_jerk", "FlowPanel_grbx_pos_aggc_quota"},
         {},
         {"87h", "2202h,0", "2206h,0", "2207h,0", "2208h,0", "220Eh,0", "6064h,0", "60F4h,0"},
         true, {}, {2}},
        {"mdb_gearbox_sgnc", &PageNode_mdb_gearbox_sgnc, Frm_mdb_gearbox_sgnc_page, "TFrame_mdb_gearbox_sgnc",
         "GroupBox_mdb_gearbox_sgnc",
         {"FlowPanel_grbx_vel_sgnc_acc", "FlowPanel_grbx_vel_sgnc_jerk", "FlowPanel_grbx_pos_sgnc_vel",
          "FlowPanel_grbx_pos_sgnc_acc", "FlowPanel_grbx_pos_sgnc_quota"},
         {"4Ch", "0700h", "0704h", "070Eh", "070Fh", "0710h", "0711h", "0714h", "0715h", "0712h", "0713h", "0716h",
          "0717h"},
         {},
         true, {}, {1}},
        {"cands402_gearbox_sgnc", &PageNode_cands402_gearbox_sgnc, Frm_cands402_gearbox_sgnc_page,
         "TFrame_CanDS402_GearBox_sgnc", "GroupBox_DS402_GearBox_sgnc",
         {"FlowPanel_grbx_vel_sgnc_acc", "FlowPanel_grbx_vel_sgnc_jerk", "FlowPanel_grbx_pos_sgnc_vel",
          "FlowPanel_grbx_pos_sgnc_acc", "FlowPanel_grbx_pos_sgnc_quota"},
         {},
         {"8Ah", "2203h,0", "2209h,0", "2205h,0", "220Ah,0", "220Bh,0", "220Ch,0", "220Dh,0", "220Eh,0", "6064h,0",
          "60F4h,0"},
         true, {}, {2}},
        {"mdb_pos", &PageNode_mdb_pos, Frm_mdb_pos_page, "TFrame_mdb_pos", "GroupBox_posizionatore",
         {"FlowPanel_pos_rif", "FlowPanel_pos_speed", "FlowPanel_pos_accel", "FlowPanel_pos_decel", "FlowPanel_pos_jerk",
          "FlowPanel_pos_time_smooth"},
         {"4Eh", "0611h", "060Fh", "0610h", "0601h", "0602h", "0603h", "0604h", "0605h", "0606h", "0607h", "0608h",
          "061Ch", "061Dh", "061Eh"},
         {},
         true, {}, {1}},
        {"cands402_position", &PageNode_cands402_position, Frm_cands402_position_page, "TFrame_CanDS402_Position",
         "GroupBox_DS402_Position",
         {"FlowPanel_pos_rif", "FlowPanel_pos_speed", "FlowPanel_pos_accel", "FlowPanel_pos_decel", "FlowPanel_pos_jerk",
          "FlowPanel_pos_time_smooth"},
         {},
         {"8Ah", "6086h,0", "607Ah,0", "6081h,0", "6083h,0", "6084h,0", "201Ah,0", "2011h,0", "2021h,0", "6064h,0",
          "60F4h,0"},
         true, {}, {2}},
        {"mdb_pos_ctrl", &PageNode_mdb_pos_ctrl, Frm_mdb_pos_ctrl_page, "TFrame_mdb_pos_ctrl", "GroupBox_pos_set",
         {"FlowPanel_error_max", "FlowPanel_error_time"},
         {"43h", "040Eh", "040Fh", "0410h"},
         {},
         true, {}, {0, 1}},
        {"mdb_pos_par", &PageNode_mdb_pos_par, Frm_mdb_pos_par_page, "TFrame_mdb_pos_par", "GroupBox_pos_par",
         {"FlowPanel_pos_home_offset", "FlowPanel_pos_limit_max", "FlowPanel_pos_limit_min"},
         {"47h", "060Dh", "060Eh", "061Ah", "061Bh", "0618h", "0619h", "0600h"},
         {},
         true, {}, {1}},
        {"cands402_pos_crtl", &PageNode_cands402_pos_crtl, Frm_cands402_pos_crtl_page, "TFrame_CanDS402_Pos_Crtl",
         "GroupBox_DS402_Pos_crtl",
         {"FlowPanel_pos_error_win", "FlowPanel_pos_error_time_out", "FlowPanel_pos_LimitPosMax",
          "FlowPanel_pos_LimitPosMin", "FlowPanel_pos_home_offset"},
         {},
         {"88h", "6065h,0", "6066h,0", "607Dh,2", "607Dh,1", "607Ch,0", "201Ah,0", "6064h,0", "60F4h,0"},
         true, {}, {2}},
        {"mdb_pos_hp", &PageNode_mdb_pos_hp, Frm_mdb_pos_hp_page, "TFrame_mdb_pos_hp", "GroupBox_pos_hp",
         {"FlowPanel_pos_hp_vel_search", "FlowPanel_pos_hp_vel_sensor", "FlowPanel_pos_hp_accel_decel"},
         {"47h", "0640h", "0641h", "0642h", "0643h", "0644h", "0645h", "0646h"},
         {},
         true, {}, {1}},
        {"cands402_homing", &PageNode_cands402_homing, Frm_cands402_homing_page, "TFrame_CanDS402_Homing",
         "GroupBox_DS402_Homing",
         {"FlowPanel_hp_speed_switch_search", "FlowPanel_hp_speed_zero_search", "FlowPanel_hp_accel"},
         {},
         {"85h", "6098h,0", "6099h,1", "6099h,2", "609Ah,0", "6064h,0"},
         true, {}, {2}},
        {"mdb_pos_in1_tac", &PageNode_mdb_pos_in1_tac, Frm_mdb_pos_in1_tac_page, "TFrame_mdb_pos_in1_tac",
         "GroupBox_In1_posizionamento",
         {"FlowPanel_pos_tac"},
         {"45h", "0600h", "061Fh", "0620h", "061Ch", "061Dh"},
         {},
         true, {}, {1}},
        {"cands402_pos_in1_tac", &PageNode_cands402_pos_in1_tac, Frm_cands402_pos_in1_tac_page,
         "TFrame_CanDS402_Pos_In1_Tac", "GroupBox_In1_posizionamento",
         {"FlowPanel_pos_tac"},
         {},
         {"84h", "2019h,0", "201Ah,0", "6064h,0", "60F4h,0"},
         true, {}, {2}},
        {"mdb_pos_jog", &PageNode_mdb_pos_jog, Frm_mdb_pos_jog_page, "TFrame_mdb_pos_jog", "GroupBox_pos_jog",
         {"FlowPanel_pos_jog_rif", "FlowPanel_pos_jog_acc", "FlowPanel_pos_jog_dec"},
         {"46h", "0612h", "0613h", "0614h", "0615h", "0616h", "0617h"},
         {},
         true, {}, {1}},
        {"cands402_interp", &PageNode_cands402_interp, Frm_cands402_interp_page, "TFrame_CanDS402_Interp",
         "GroupBox_DS402_Interpol",
         {},
         {},
         {"86h", "60C0h,0", "60C1h,1", "60C2h,1", "60C2h,2", "6064h,0", "60F4h,0"},
         true, {}, {2}},
        // State-machine and control-word pages: each profile's tree holds its own.
        {"cands402_stm", &PageNode_cands402_stm, Frm_cands402_stm_page, "TFrame_CanDS402_stm", "GroupBox_state_machine",
         {}, {}, {"81h", "603Fh,0"}, true, {}, {2}},
        {"mdb_stm", &PageNode_mdb_stm, Frm_mdb_stm_page, "TFrame_mdb_stm", "GroupBox_state_machine", {}, {}, {}, true,
         {}, {1}},
        {"cands402_ctrl", &PageNode_cands402_ctrl, Frm_cands402_ctrl_page, "TFrame_CanDS402_Ctrl", "GroupBox_control", {},
         {}, {"81h", "6061h,0"}, true, {}, {2}},
        {"mdb_ctrl", &PageNode_mdb_ctrl, Frm_mdb_ctrl_page, "TFrame_mdb_ctrl", "GroupBox_control", {}, {"41h", "0302h"},
         {}, true, {}, {1}},
        // CiA 301 pages (CANopen only); the PDO pages poll the first tab's PDO.
        {"cands301", &PageNode_cands301, Frm_cands301_page, "TFrame_CanDS301", "GroupBox_DS301", {}, {},
         {"84h", "1000h,0", "1018h,1", "1018h,2", "1018h,3"}, true, {}, {2}},
        {"cands301_dat_com", &PageNode_cands301_dat_com, Frm_cands301_dat_com_page, "TFrame_CanDS301_Dat_Com",
         "GroupBox_DS301_dat_com", {"FlowPanel_com_guard_time", "FlowPanel_com_life_time_factor"}, {},
         {"86h", "1005h,0", "100Ch,0", "100Dh,0", "1014h,0", "1200h,1", "1200h,2"}, true, {}, {2}},
        {"cands301_emerg_store", &PageNode_cands301_emerg_store, Frm_cands301_emerg_store_page,
         "TFrame_CanDS301_Emerg_Store", "GroupBox_DS301_alarm", {}, {},
         {"8Ah", "1001h,0", "1003h,0", "1003h,1", "1003h,2", "1003h,3", "1003h,4", "1003h,5", "1003h,6", "1003h,7", "1003h,8"}, true, {}, {2}},
        {"cands301_rpdo_map", &PageNode_cands301_rpdo_map, Frm_cands301_rpdo_map_page, "TFrame_CanDS301_RPDO_Map",
         "GroupBox_DS301_rpdo_map", {}, {}, {"8Bh", "1400h,1", "1400h,2", "1600h,0", "1600h,1", "1600h,2", "1600h,3", "1600h,4", "1600h,5", "1600h,6", "1600h,7", "1600h,8"}, true, {}, {2}},
        {"cands301_tpdo_map", &PageNode_cands301_tpdo_map, Frm_cands301_tpdo_map_page, "TFrame_CanDS301_TPDO_Map",
         "GroupBox_DS301_tpdo_map", {}, {}, {"8Ch", "1800h,1", "1800h,2", "1800h,3", "1A00h,0", "1A00h,1", "1A00h,2", "1A00h,3", "1A00h,4", "1A00h,5", "1A00h,6", "1A00h,7", "1A00h,8"}, true, {},
         {2}},
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
