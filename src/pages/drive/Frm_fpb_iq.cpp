#include "pages/drive/Frm_fpb_iq.h"

#include <QGroupBox>

#include "pages/drive/Filter_flags.h"

namespace {

const FieldSpec FIELDS[] = {{"FlowPanel_time_FPB_iq", "Time Filter Iq", 202, EditType::U16, 1, 3000, 2}};
const PollSpec POLL[] = {{202, 202}, {FILTER_FLAGS_OFS, FILTER_FLAGS_OFS}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};
const BitSpec BITS[] = {
    {"CheckBox_enable_FPB_iq", 1u << 1, false, FILTER_FLAGS_HEX, FILTER_FLAGS_OFS, "Panel_FPB_iq_off"}};
const char* const ENABLE_TEXT[3] = {"Abilita Filtro Iq", "Enable Filter Iq", "Activer Filtre Iq"};

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Filter_flags_build(box, layout, BITS[0]);
}

void set_language(ParamPage& p, uint8_t ctx) { Filter_flags_caption(p, ctx, BITS[0], ENABLE_TEXT); }

const PageSpec SPEC = {
    "TFrame_FPB_iq", "GroupBox_FPB_iq",
    {"Filtro Iq", "Iq Filter", "Filtre Iq"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
    PageHooks{.build = build, .set_language = set_language, .bit_changed = Filter_flags_changed},
    BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(fpb_iq, SPEC)
