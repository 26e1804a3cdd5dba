#include "pages/fieldbus/Frm_cands402_interp.h"

#include "pages/fieldbus/Fieldbus_page.h"

namespace {

const PollSpec POLL[] = {{2204, 2204}, {2208, 2208}, {2221, 2221}, {2222, 2222}, {2064, 2064}, {2224, 2224}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

// Slot 0's values in both contexts; copied whenever list reads are on. The time units are
// unsigned, the time index signed.
const LiveSpec LIVES[] = {
    {RecLoc(2204), "Panel_ip_interpol_mode_select_dat", LiveSpec::Int, 2, true},
    {RecLoc(2208), "Panel_ip_interp_position_dat", LiveSpec::Int, 4, true},
    {RecLoc(2221), "Panel_ip_time_units_dat", LiveSpec::Uint, 1, true},
    {RecLoc(2222), "Panel_ip_time_index_dat", LiveSpec::Int, 1, true},
    {RecLoc(2064), "Panel_pos_mis_dat", LiveSpec::Int, 4, true},
    {RecLoc(2224), "Panel_pos_error_dat", LiveSpec::Int, 4, true},
};
const LiveCaption LIVE_CAPTIONS[] = {
    {"Panel_ip_interpol_mode_select_srt"}, {"Panel_ip_interp_position_srt"}, {"Panel_ip_time_units_srt"},
    {"Panel_ip_time_index_srt"},           {"Panel_pos_mis_srt"},            {"Panel_pos_error_srt"},
};

const FieldbusUnit UNIT = {.live_captions = LIVE_CAPTIONS};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Fieldbus_live_rows(p.spec(), LIVE_CAPTIONS, box, layout);
}

const PageSpec SPEC = {
    "TFrame_CanDS402_Interp", "GroupBox_DS402_Interpol", {"Interpolatore", "Interpolation", "Interpolation"},
    nullptr, 0, LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build),
    nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_interp, SPEC)
