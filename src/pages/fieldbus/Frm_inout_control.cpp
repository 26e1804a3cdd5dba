#include "pages/fieldbus/Frm_inout_control.h"

namespace {

bool built[2] = {};
ParamPage& page();
const ControlSetUnit UNIT = {page, 118, IoControlTypeCombo, IoControlCaption, false, built};

// No list and no timer: the diagram changes only through the page's own combo.
const PageSpec SPEC = {
    "TFrame_inout_control", "", {"", "", ""}, nullptr, 0, nullptr, 0, ControlSetHooks<UNIT>::hooks(),
};

}  // namespace

PARAM_PAGE_UNIT(inout_control, SPEC)

namespace {
ParamPage& page() { return Frm_inout_control_page(); }
}  // namespace

QWidget* Frm_inout_control_frame(uint8_t ctx) { return Frm_inout_control_page().frame(ctx); }
