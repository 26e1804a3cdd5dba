// CiA 402 "Factors" page (TFrame_CanDS402_Factor): factor objects 6093h, 6094h and 6097h, the
// polarity bits 7 and 6 of 607Eh; "Calcola fattori" opens the result dialog at once (the dialog
// itself refuses to store a pair that overflowed). The first list goes out a whole poll interval
// after Create.
#include "factors/Form_factor_tool.h"
#include "pages/fieldbus/Factor_page.h"

namespace {

constexpr double U32_MAX = 4294967295.0;
constexpr uint16_t OFS_POLARITY = 2185;

const FieldSpec FIELDS[] = {
    {"FlowPanel_position_factor_num", "Fattore pos - num", 2144, EditType::U32, 0, U32_MAX, 0, 120},
    {"FlowPanel_position_factor_feed", "Fattore pos - feed", 2148, EditType::U32, 1, U32_MAX, 0, 120},
    {"FlowPanel_vel_enc_factor_num", "Fattore vel enc - num", 2156, EditType::U32, 0, U32_MAX, 0, 120},
    {"FlowPanel_vel_enc_factor_div", "Fattore vel enc - div", 2160, EditType::U32, 1, U32_MAX, 0, 120},
    {"FlowPanel_accel_factor_num", "Fattore accel - num", 2168, EditType::U32, 0, U32_MAX, 0, 120},
    {"FlowPanel_accel_factor_div", "Fattore accel - div", 2172, EditType::U32, 1, U32_MAX, 0, 120},
};

const PollSpec POLL[] = {{2144, 2144}, {2148, 2148}, {2156, 2156}, {2160, 2160},
                         {2168, 2168}, {2172, 2172}, {OFS_POLARITY, OFS_POLARITY}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

// The CANopen objects exist for bus type 2 only.
int select_list(uint16_t bus_type) { return bus_type == 2 ? 0 : -1; }

void calculate(uint8_t, QWidget* frame)
{
    TForm_can_factor_tool dialog(Frm_cands402_factor_show_factors, frame);
    dialog.exec();
}

// Bits 7 and 6 of the 607Eh byte; the tick copies the byte whole.
const BitSpec BITS[] = {
    {"CheckBox_polarity_pos", 1u << 7, false, "Panel_polarity_dat", OFS_POLARITY, "Panel_polarity_pos_on_off", 1, true},
    {"CheckBox_polarity_vel", 1u << 6, false, "Panel_polarity_dat", OFS_POLARITY, "Panel_polarity_vel_on_off", 1, true},
};

const FactorTwin TWIN = {
    Frm_cands402_factor_page,
    {{&BITS[0], {"Posizione", "Position", "Position"}, false},
     {&BITS[1], {"Velocità", "Velocity", "Vitesse"}, false}},
    {"Panel_position_factor", "Panel_vel_enc_factor", "Panel_accel_factor"},
    {{"Fattore pos", "Pos factor", "Facteur de pos"},
     {"Fattore vel enc", "Vel enc factor", "Facteur codeur vit."},
     {"Fattore accel", "Accel factor", "Facteur d'accél"}},
    calculate,
};

const PageHooks HOOKS = Factor_page_hooks<TWIN>(select_list, true);

const PageSpec SPEC = {
    "TFrame_CanDS402_Factor", "GroupBox_DS402_Factor",
    {"DS402 Fattori", "DS402 Factors", "DS402 Facteurs"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_factor, SPEC)

void Frm_cands402_factor_show_factors(uint8_t ctx)
{
    ParamPage& page = Frm_cands402_factor_page();
    if (page.frame(ctx) == nullptr)
        return;
    page.show_values(ctx);
    Factor_page_show_polarity(TWIN, ctx);
}
