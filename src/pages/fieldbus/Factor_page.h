#pragma once
// The two "Factors" pages: the Modbus twin (Frm_mdb_factor, TFrame_mdb_factor, bus types 0 and 1)
// and the CiA 402 twin (Frm_cands402_factor, TFrame_CanDS402_Factor, bus type 2). Both show the
// drive's three factor pairs and the two polarity inversions, and carry the unit-factor calculator
// on the application record of the page context (edited locally, kept with the settings and in
// factor files, never sent). The calculator part is one implementation (Factor_page.cpp); the
// twins give their factor edits, polarity, poll list, row captions and poll stamp.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_factor)
PARAM_PAGE_UNIT_DECL(cands402_factor)

// What the result dialogs refresh: the Modbus page's Refresh (Frm_mdb_factor_refresh) and the
// CiA 402 page's six factor edits and polarity of ctx (nothing without its frame).
void Frm_cands402_factor_show_factors(uint8_t ctx);

// ---- the page tables (the printout prints the same texts) ----

// Application type (byte 48): item index = type.
extern const ComboSpec FactorAppTypeCombo;
// Unit selections without a linear motor: position 11 items (byte 42), velocity and acceleration
// 19 items (bytes 43, 44); item index = selection.
extern const ComboSpec FactorSelectionCombo[3];
// With a linear motor: 8 items each (bytes 45, 46, 47).
extern const ComboSpec FactorLinearSelectionCombo[3];
// Rotary velocity and acceleration units of the application (bytes 51, 52), every language alike.
extern const ComboSpec FactorAppVelocityCombo;
extern const ComboSpec FactorAppAccelerationCombo;

// ---- what a twin gives the calculator part ----

// A polarity check box: a bit control of the page (its state label and hex panel), and its caption.
struct FactorPolarity {
    const BitSpec* bit;
    const char* caption[3];
    bool tagged;  // the caption starts with the field's address tag
};

struct FactorTwin {
    ParamPage& (*page)();
    FactorPolarity polarity[2];
    // Row panels over the factor edits (entries 0, 2, 4 of the six), with their names; null for none.
    const char* row_panels[3];
    const char* row_names[3][3];
    // "Calcola fattori": the result dialog of the twin for ctx over the page frame.
    void (*calculate)(uint8_t ctx, QWidget* frame);
};

// The calculator part's hooks, for the twin t.
void Factor_page_build(const FactorTwin& t, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout);
void Factor_page_unbuild(const FactorTwin& t, uint8_t ctx);
void Factor_page_refresh(const FactorTwin& t, uint8_t ctx);
void Factor_page_set_language(const FactorTwin& t, uint8_t ctx);
void Factor_page_set_access(const FactorTwin& t, uint8_t edit_state);
// Check boxes, state labels and hex panel of the polarity of ctx.
void Factor_page_show_polarity(const FactorTwin& t, uint8_t ctx);

// The page hooks of twin T: the calculator part's, with the twin's list choice and poll stamp.
template <const FactorTwin& T>
PageHooks Factor_page_hooks(int (*select_list)(uint16_t bus_type), bool stamp_at_create)
{
    PageHooks h;
    h.select_list = select_list;
    h.build = [](ParamPage&, uint8_t ctx, QGroupBox* box, QVBoxLayout* l) { Factor_page_build(T, ctx, box, l); };
    h.unbuild = [](ParamPage&, uint8_t ctx) { Factor_page_unbuild(T, ctx); };
    h.refresh = [](ParamPage&, uint8_t ctx) { Factor_page_refresh(T, ctx); };
    h.set_language = [](ParamPage&, uint8_t ctx) { Factor_page_set_language(T, ctx); };
    h.set_access = [](ParamPage&, uint8_t state) { Factor_page_set_access(T, state); };
    h.stamp_at_create = stamp_at_create;
    return h;
}
