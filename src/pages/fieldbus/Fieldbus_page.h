#pragma once
// What the gear box and positioning pages share beyond the page base: combos bound to a record
// field, fixed and flag captions, live-value rows with caption panels from the dictionary, and
// the standard hooks that run these tables for a unit (FieldbusHooks<unit>).
#include <cstdint>

#include <QGroupBox>
#include <QVBoxLayout>

#include "pages/ParamPage.h"

class FlowPanel;
class QBoxLayout;
class QCheckBox;
class QLabel;
class QWidget;

// A combo whose item stands for the value of a record field (1 or 2 bytes). A user choice stores
// the item's value into the record of PageContext and sends it in context 0; the tick copies the
// polled value. A value without an item selects nothing.
struct FieldCombo {
    const char* panel;  // caption FlowPanel, captioned from the field's dictionary entry
    const char* combo;
    uint16_t ofs;  // DriveRecord offset
    uint8_t size;  // 1 or 2
    bool is_signed;
    const ComboSpec* items;
    // Own conversions (null: the ComboSpec's value map): the item of a value (-1 none), and the
    // value of an item (false: the item stands for none).
    int (*to_index)(int32_t value) = nullptr;
    bool (*to_value)(int index, int32_t* value) = nullptr;
    // The page's handler under its own name; it calls Field_combo_change.
    void (*change)(int index) = nullptr;
};

// A text by language for a named control (group box, label, check box, tab sheet's tab).
struct FixedText {
    const char* control;
    const char* text[3];
};
// A caption made of the address tag of a flags object and a text ("[0600h] Mode rounding").
struct FlagCaption {
    const char* control;
    uint16_t ofs;  // DriveRecord offset of the flags object
    const char* text[3];
};
// The caption panel of the PageSpec's live value of the same index; key: the Modbus register
// whose entry captions it, for a value with two key pairs (0: the entry the lookup finds).
struct LiveCaption {
    const char* panel;
    uint16_t key = 0;
};

// Items of a combo that edits bits of a flags word (a BitSpec of the page), and its caption panel.
struct BitComboItems {
    const char* combo;
    const ComboSpec* items;
    const char* panel;
};

// Measured position 6064h and position error 60F4h of the connected drive (slot 0), shown in
// both contexts, with their caption panels.
inline const LiveSpec CanPositionLives[] = {
    {RecLoc(2064), "Panel_pos_mis_dat", LiveSpec::Int, 4, true},
    {RecLoc(2224), "Panel_pos_error_dat", LiveSpec::Int, 4, true},
};
inline const LiveCaption CanPositionCaptions[] = {{"Panel_pos_mis_str"}, {"Panel_pos_error_str"}};

struct FieldbusUnit {
    const FieldCombo* combos = nullptr;
    uint16_t combo_count = 0;
    const LiveCaption* live_captions = nullptr;  // one per live value of the PageSpec, or null
    const FlagCaption* flags = nullptr;
    uint16_t flag_count = 0;
    const FixedText* texts = nullptr;
    uint16_t text_count = 0;
    const FixedText* hints = nullptr;
    uint16_t hint_count = 0;
    const BitComboItems* bit_combos = nullptr;
    uint16_t bit_combo_count = 0;
};

// ---- field combos ----
int32_t Field_combo_value(const FieldCombo& c, uint8_t ctx);
// Item of the record value of ctx, -1 when none.
int Field_combo_index(const FieldCombo& c, uint8_t ctx);
// Caption panel and combo, added to layout when one is given; the combo's `activated` runs
// Field_combo_change. Returns the caption panel.
FlowPanel* Field_combo_build(ParamPage& page, const FieldCombo& c, QWidget* parent, QBoxLayout* layout);
// The handler: acts while the page is ready and PageContext is 0 or 1.
void Field_combo_change(ParamPage& page, const FieldCombo& c, int index);

// ---- builders ----
// A group box named name in parent, added to layout; its own column layout in *column.
QGroupBox* Fieldbus_group(QWidget* parent, QBoxLayout* layout, const char* name, QVBoxLayout** column);
// Moves the base's flow panel `panel` (in box) to layout's parent and layout.
void Fieldbus_move(QWidget* box, const char* panel, QBoxLayout* layout);
// A row of a caption label and a value label.
void Fieldbus_live_row(QWidget* parent, QBoxLayout* layout, const char* caption, const char* value);
// A check box with its "On"/"Off" label and, when hex is given, a hex label.
QCheckBox* Fieldbus_check_row(QWidget* parent, QBoxLayout* layout, const char* check, const char* on_off,
                              const char* hex);

// Live rows for the page's live values first .. first + count - 1, captioned by captions.
void Fieldbus_live_rows(const PageSpec& spec, const LiveCaption* captions, QWidget* parent, QBoxLayout* layout,
                        uint16_t first = 0, uint16_t count = 0xFFFF);
// A check row (Fieldbus_check_row) for each check box of the page's BitSpecs.
void Fieldbus_check_rows(const PageSpec& spec, QWidget* parent, QBoxLayout* layout);

// ---- the unit's tables through the pattern ----
// Select the list for Modbus (bus types 0, 1) or CANopen (2) units: 0, or -1 on another bus.
int Fieldbus_modbus_list(uint16_t bus_type);
int Fieldbus_canopen_list(uint16_t bus_type);
// Combos from the record of ctx.
void Fieldbus_refresh(const FieldbusUnit& u, ParamPage& page, uint8_t ctx);
// Combo items (bit combos too) and captions, fixed texts, hints, flag captions, live captions.
void Fieldbus_set_language(const FieldbusUnit& u, ParamPage& page, uint8_t ctx);
// Combos of context 0 (bit combos too) and their caption panels by the edit rule.
void Fieldbus_set_access(const FieldbusUnit& u, ParamPage& page, uint8_t state);
// Tick: each combo's polled field copied and re-selected when it differs.
void Fieldbus_copy_combos(const FieldbusUnit& u, ParamPage& page);

template <const FieldbusUnit& U>
struct FieldbusHooks {
    static void refresh(ParamPage& p, uint8_t ctx) { Fieldbus_refresh(U, p, ctx); }
    static void set_language(ParamPage& p, uint8_t ctx) { Fieldbus_set_language(U, p, ctx); }
    static void set_access(ParamPage& p, uint8_t state) { Fieldbus_set_access(U, p, state); }
    static void copy_controls(ParamPage& p) { Fieldbus_copy_combos(U, p); }
};

// The hooks of a unit that runs its tables through FieldbusHooks<U>: the list of its profile,
// its build, and live values copied under list reads alone.
template <const FieldbusUnit& U>
constexpr PageHooks Fieldbus_hooks(int (*select_list)(uint16_t),
                                   void (*build)(ParamPage&, uint8_t, QGroupBox*, QVBoxLayout*))
{
    PageHooks h;
    h.select_list = select_list;
    h.copy_controls = FieldbusHooks<U>::copy_controls;
    h.lives_on_list_reads = true;
    h.build = build;
    h.refresh = FieldbusHooks<U>::refresh;
    h.set_language = FieldbusHooks<U>::set_language;
    h.set_access = FieldbusHooks<U>::set_access;
    return h;
}
