#include "pages/fieldbus/Frm_mdb_stm.h"

#include "diagrams/Blocks_stm.h"
#include "drivedata/Globvar.h"
#include "drivedata/Mdbcontrol.h"
#include "pages/fieldbus/Stm_page.h"

const char MdbStateNameTable[3][8][35] = {
    {"Start", "Potenza Off", "Potenza On", "Modo Operativo On", "Rampa decelerazione", "Rampa Halt",
     "Fault reaction", "Fault"},
    {"Start", "Switch on disabled", "Switched on", "Operation enabled", "Ramp stop active", "Ramp halt active",
     "Fault reaction", "Fault"},
    {"Start", "Switch on disabled", "Switched on", "Op\u00e9ration a permis \u00e0", "Rampe stop actif",
     "Rampe arr\u00eater actif", "R\u00e9action d\u00e9faut", "Fault"},
};

namespace {

uint16_t control_copy = 0;
bool live = false;

const char* name(uint16_t state) { return MdbStateNameTable[Lang_index()][state < 8 ? state : 0]; }

ParamPage& page();
const StmUnit UNIT = {page,
                      "Panel_mdb_control_word",
                      "Panel_mdb_status_word",
                      false,
                      367,
                      Mdbcontrol_state,
                      Blocks_mdb_stm_draw,
                      name,
                      &BusCtrlWord.mdb_status,
                      &control_copy,
                      &live};

constexpr PageHooks hooks()
{
    PageHooks h = StmHooks<UNIT>::hooks();
    h.tick = [](ParamPage&) {};  // the frame has Timer_com though it polls nothing
    return h;
}

const PageSpec SPEC = {"TFrame_mdb_stm", "GroupBox_state_machine", {STM_TITLE[0], STM_TITLE[1], STM_TITLE[2]},
                       nullptr, 0, nullptr, 0, hooks()};

}  // namespace

PARAM_PAGE_UNIT(mdb_stm, SPEC)

namespace {
ParamPage& page() { return Frm_mdb_stm_page(); }
}  // namespace

void Frm_mdb_stm_update() { Stm_update(UNIT); }
