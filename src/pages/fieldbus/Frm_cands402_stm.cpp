#include "pages/fieldbus/Frm_cands402_stm.h"

#include "diagrams/Blocks_stm.h"
#include "drivedata/Cancontrol.h"
#include "drivedata/Globvar.h"
#include "pages/fieldbus/Stm_page.h"

#define DS402_NAMES                                                                                             \
    {"Start", "Not ready to switch on", "Switch on disabled", "Ready to switch on", "Switched on",              \
     "Operation enabled", "Quick stop active", "Fault reaction active", "Fault"}
const char Ds402StateNameTable[3][9][35] = {DS402_NAMES, DS402_NAMES, DS402_NAMES};
#undef DS402_NAMES

namespace {

const PollSpec POLL[] = {{2002, 2002}};  // 603Fh error code
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

uint16_t control_copy = 0;
bool live = false;

const char* name(uint16_t state) { return Ds402StateNameTable[Lang_index()][state < 9 ? state : 0]; }

ParamPage& page();
const StmUnit UNIT = {page,
                      "Panel_can_control_word",
                      "Panel_can_status_word",
                      true,
                      337,
                      Cancontrol_state,
                      Blocks_can_stm_draw,
                      name,
                      &BusCtrlWord.can_status,
                      &control_copy,
                      &live};

const PageSpec SPEC = {"TFrame_CanDS402_stm", "GroupBox_state_machine", {STM_TITLE[0], STM_TITLE[1], STM_TITLE[2]},
                       nullptr, 0, LISTS, std::size(LISTS), StmHooks<UNIT>::hooks()};

}  // namespace

PARAM_PAGE_UNIT(cands402_stm, SPEC)

namespace {
ParamPage& page() { return Frm_cands402_stm_page(); }
}  // namespace

void Frm_cands402_stm_update() { Stm_update(UNIT); }
