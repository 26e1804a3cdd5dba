#pragma once
// The page units under test, one row each: node, frame, group box, flow panels and the poll
// request per bus type (count byte first).
#include <string>
#include <vector>

#include "pages/drive/Frm_field_bus.h"
#include "pages/drive/Frm_filtro_notch.h"
#include "pages/drive/Frm_fpb_iq.h"
#include "pages/drive/Frm_limiti.h"
#include "pages/drive/Frm_motore.h"
#include "pages/drive/Frm_pid_cor.h"
#include "pages/drive/Frm_pid_pos.h"
#include "pages/drive/Frm_pid_vel.h"
#include "pages/fieldbus/Frm_inout_control.h"
#include "pages/fieldbus/Frm_mdb_control.h"
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
    bool bare = false;                 // no Panel_frm: the frame's own size
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
         true},
        // The Modbus profile's page polls on Modbus only.
        {"mdb_control", &PageNode_mdb_control, Frm_mdb_control_page, "TFrame_mdb_control", nullptr, {},
         {"46h", "0401h", "0500h", "0800h", "0501h", "0502h", "0200h"}, {}, true},
    };
    return rows;
}

inline std::string PrintToString(const UnitRow& r) { return r.name; }

}  // namespace pagetest
