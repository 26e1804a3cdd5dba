#pragma once
// Option-code combos of the control setting pages: a combo in its caption panel bound to a 16-bit
// field whose value is the item index (or, for the quick stop option code, mapped through
// Utx_quick_stop_to_index / Utx_index_to_quick_stop). A value without an item selects nothing.
#include <cstddef>
#include <cstdint>

#include "pages/ParamPage.h"

class QBoxLayout;
class QWidget;

struct OptionCombo {
    const char* combo;
    const char* panel;  // caption panel holding the combo
    uint16_t ofs;       // DriveRecord offset
    const ComboSpec* spec;
    bool quick_stop = false;
    const char* const* caption = nullptr;  // own caption text by language (after the address tag); null: dictionary
};

// Item of value (-1 none) and value of item.
int Option_index(const OptionCombo& o, int16_t value);
int16_t Option_value(const OptionCombo& o, int index);

// Caption panel and combo, inserted into layout at `at` (-1 appends); the combo's `activated` stores
// and sends through Option_store.
void Option_build(ParamPage& page, uint8_t ctx, const OptionCombo& o, QWidget* parent, QBoxLayout* layout, int at);
// The combo's item from the record of ctx (signals blocked).
void Option_show(const ParamPage& page, uint8_t ctx, const OptionCombo& o);
// Items in the current language, the item of the record, the caption.
void Option_set_language(const ParamPage& page, uint8_t ctx, const OptionCombo& o);
// A user's pick: stored in the record of PageContext while the page is ready, sent in context 0.
void Option_store(const ParamPage& page, const OptionCombo& o, int index);
// Slot 0 takes a changed, polled read-back value and the combo follows.
void Option_copy(const ParamPage& page, const OptionCombo& o);
// The edit rule on the combo and its caption panel (context 0).
void Option_access(const ParamPage& page, const OptionCombo& o, uint8_t state);

// The same for every combo of a page, in order; Options_copy then copies the page's edits.
void Options_show(const ParamPage& page, uint8_t ctx, const OptionCombo* list, std::size_t count);
void Options_set_language(const ParamPage& page, uint8_t ctx, const OptionCombo* list, std::size_t count);
void Options_access(const ParamPage& page, const OptionCombo* list, std::size_t count, uint8_t state);
void Options_copy(ParamPage& page, const OptionCombo* list, std::size_t count);
