#pragma once
// The Control Set frame both profile units share (I/O and Modbus): a caption panel with the
// control-type combo above the diagram of that type, which the user hovers, clicks and
// double-clicks (Blockgraph). A unit gives its field, items and caption rule; ControlSetHooks
// makes its page hooks.
#include "pages/ParamPage.h"

class QVBoxLayout;

struct ControlSetUnit {
    ParamPage& (*page)();
    uint16_t field;          // the control type: 118 (I/O) or 466 (Modbus)
    const ComboSpec& items;  // item index = value
    const char* const* caption;  // fixed caption by language; null: the field's dictionary caption
    bool modbus;             // access by the field's edit rule (else Main_enable_by_state3)
    bool* built;             // the unit's built byte of each context (2)
};

// The control type's items of both pages.
inline const char* const ControlTypeItemsIt[] = {"[0]Velocità", "[1]Coppia", "[2]Asse Elettrico", "[3]Posizionatore"};
inline const char* const ControlTypeItemsEn[] = {"[0]Speed", "[1]Torque", "[2]Eletric Axis", "[3]Position"};
inline const char* const ControlTypeItemsFr[] = {"[0]Vitesse", "[1]Couple", "[2]Axe Électrique", "[3]Positionneur"};

void Control_set_build(const ControlSetUnit& u, ParamPage& page, uint8_t ctx, QVBoxLayout* layout);
void Control_set_create_steps(const ControlSetUnit& u, ParamPage& page, uint8_t ctx);
void Control_set_refresh_steps(const ControlSetUnit& u, ParamPage& page, uint8_t ctx);
void Control_set_language_steps(const ControlSetUnit& u, ParamPage& page, uint8_t ctx);
void Control_set_access_steps(const ControlSetUnit& u, ParamPage& page, uint8_t edit_state);
PageSize Control_set_size(ParamPage& page, uint8_t ctx);
// The diagram of the record of ctx, drawn again.
void Control_set_draw(const ControlSetUnit& u, uint8_t ctx);
// Created and not being created: resizes and SetLanguage redraw only then.
bool Control_set_built(const ControlSetUnit& u, uint8_t ctx);

template <const ControlSetUnit& U>
struct ControlSetHooks {
    static void build(ParamPage& p, uint8_t ctx, QGroupBox*, QVBoxLayout* layout) { Control_set_build(U, p, ctx, layout); }
    static void create(ParamPage& p, uint8_t ctx) { Control_set_create_steps(U, p, ctx); }
    static void refresh(ParamPage& p, uint8_t ctx) { Control_set_refresh_steps(U, p, ctx); }
    static void language(ParamPage& p, uint8_t ctx) { Control_set_language_steps(U, p, ctx); }
    static void access(ParamPage& p, uint8_t state) { Control_set_access_steps(U, p, state); }
    static constexpr PageHooks hooks()
    {
        return PageHooks{.build = build,
                         .size = Control_set_size,
                         .create_steps = create,
                         .refresh_steps = refresh,
                         .language_steps = language,
                         .access_steps = access,
                         .bare_frame = true};
    }
};
