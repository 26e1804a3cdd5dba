#include "pages/drive/Frm_limiti.h"

namespace {

constexpr uint16_t OFS_SPEED_LIMIT = 194;
constexpr uint16_t OFS_CURRENT_LIMIT = 196;

const FieldSpec FIELDS[] = {
    {"FlowPanel_limite_corrente", "Current Limit", OFS_CURRENT_LIMIT, EditType::U16, 0, 3000, 1, 70},
    {"FlowPanel_limite_vel", "Speed Limit", OFS_SPEED_LIMIT, EditType::U16, 0, 20000, 0, 70},
};
const PollSpec POLL[] = {{OFS_SPEED_LIMIT, OFS_SPEED_LIMIT}, {OFS_CURRENT_LIMIT, OFS_CURRENT_LIMIT}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};

// The speed limit's caption first: its unit follows the motor type of the record shown.
void refresh_steps(ParamPage& p, uint8_t ctx)
{
    if (ParamPage::bus_known(ctx))
        if (MemoUpDwxBase* speed = p.edit_of(ctx, OFS_SPEED_LIMIT))
            speed->set_language(ctx);
    p.step_refresh(ctx);
}

// Speed limit, then current limit.
void copy(ParamPage& p)
{
    p.step_copy_field(OFS_SPEED_LIMIT);
    p.step_copy_field(OFS_CURRENT_LIMIT);
}

const PageSpec SPEC = {
    "TFrame_limiti", "GroupBox_limiti",
    {"Limiti", "Limit", "Limites"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
    PageHooks{.copy = copy, .refresh_steps = refresh_steps},
};

}  // namespace

PARAM_PAGE_UNIT(limiti, SPEC)
