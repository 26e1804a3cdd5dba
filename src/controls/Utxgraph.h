#pragma once
// Page field helpers: the edit rule and its appliers, address tags and captions from the object
// dictionary, update functions for polled values, and the bit table of a 16-bit word.
//
// A parameter is named by the location of its field (Loc); data set indexes are DriveRecordBank
// slots. Lookups that fail show the dictionary's own message and leave controls unchanged.
#include <cstdint>

#include <QColor>

#include "drivedata/Busx.h"

class ImageBox;
class QCheckBox;
class QComboBox;
class QScrollBar;
class QString;
class QWidget;

// ---- edit rule ----

// The one edit rule: looks the field up with get_bus_ob_flg (connected drive's bus type) and
// decides with access (EditStateFlags: bit 0 link ready, 1 and 2 drive status-word bits 5 and 6,
// 3 remote control) and DriveUiFlags bit 4. NoEntry when the field has no entry.
EditDecision Utxgraph_edit_rule(Loc field, uint16_t access);
// 1 when the field's control may be edited, else 0.
uint8_t Utxgraph_is_editable(Loc field, uint16_t access);

// Look of a control (enabled state, text colour) and of its caption for each outcome other
// than NoEntry.
struct UtxAccessLook {
    bool enabled;
    QColor text;
    QColor caption;
};
const UtxAccessLook& Utxgraph_access_look(EditDecision decision);

// Appliers. Each returns the control's enabled state afterwards; a field without an entry
// leaves the control unchanged.
bool Utxgraph_enable_panel(Loc field, QWidget* panel, uint16_t access);
bool Utxgraph_enable_check(Loc field, QCheckBox* check, uint16_t access);
bool Utxgraph_enable_button(Loc field, QWidget* button, uint16_t access);
// The caption control (may be null) gets black, inactive or navy by the outcome.
bool Utxgraph_enable_combo(Loc field, QComboBox* combo, QWidget* caption, uint16_t access);
bool Utxgraph_enable_scrollbar(Loc field, QScrollBar* bar, uint16_t access);

// ---- tags and captions ----

// Address tag of table[index] for the bus type of data set `slot`, written into buf (zero-filled
// first): Modbus "[0102h] " or "[0102h,0103h] " for a register pair, CANopen "[6083h,0] ", other
// bus types nothing. A tag that does not fit (length >= size) leaves buf empty.
void Utxgraph_address_tag(const BusObjectEntry* table, int32_t index, char* buf, uint16_t size, uint8_t slot);
// Short tag + text into buf (CANopen: the object index alone, "[6093h] "). Returns buf.
char* Utxgraph_tag_text(Loc field, const char* text, char* buf, uint16_t size, uint8_t slot);

// control text = tag + dictionary name in LanguageIndex + " [unit]" (the linear-axis unit when
// the data set's motor is linear and the entry has one). Nothing when the field has no entry.
void Utxgraph_set_caption(Loc field, QWidget* control, uint8_t slot);
void Utxgraph_set_caption2(Loc field, QWidget* control, uint8_t slot);
// control text = tag + name (when given) + " [unit]" (when given). UTF-8 texts, may be null.
void Utxgraph_set_caption_txt(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot);
void Utxgraph_set_caption_txt2(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot);
void Utxgraph_set_caption_txt3(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot);

// Text of a label, button, group box, line edit or flow panel; set only when it differs.
void Utxgraph_set_text(QWidget* control, const QString& text);
QString Utxgraph_text(const QWidget* control);
// A 32-byte text area the drive fills: the text up to its first zero, at most 32 characters (a text
// of 32 comes without a zero).
QString Utxgraph_drive_text(const char (&area)[32]);

// ---- update functions ----

// Copies received into stored when size is 1, 2 or 4, both exist and their bytes differ.
// True when it copied.
bool Utxgraph_copy_on_change(void* stored, const void* received, uint16_t size);

// When size is 1, 2 or 4, both fields exist and received differs from stored: copies it into
// stored and, when a control is given, shows it (signed decimal, unsigned decimal, or 2 x size
// upper-case hex digits and "h"). Equal values leave the control's text alone.
void Utxgraph_update_int(void* stored, const void* received, QWidget* control, uint16_t size);
void Utxgraph_update_uint(void* stored, const void* received, QWidget* control, uint16_t size);
void Utxgraph_update_hex(void* stored, const void* received, QWidget* control, uint16_t size);
void Utxgraph_update_int(Loc stored, Loc received, QWidget* control, uint16_t size);
void Utxgraph_update_uint(Loc stored, Loc received, QWidget* control, uint16_t size);
void Utxgraph_update_hex(Loc stored, Loc received, QWidget* control, uint16_t size);
// One byte: "254 - (Async-Munfact)", the class text in LanguageIndex.
void Utxgraph_update_pdo_type(uint8_t* stored, const uint8_t* received, QWidget* control);
void Utxgraph_update_pdo_type(Loc stored, Loc received, QWidget* control);

// Texts of the PDO transmission-type classes (Messaggi_pdo_type_class), by language.
extern const char PdoTypeClassText[3][7][25];

// ---- word bit table ----

// One bit of a control or status word: names by language, and whether the bit has a meaning.
struct BitNameRow {
    char name[3][35];
    uint8_t used;
};
static_assert(sizeof(BitNameRow) == 106);

// Header with the word in binary, then 16 rows: bit number, state digit, name. Set bits blue on
// a light face, clear bits black on white; grey when not enabled, and grey text for unused rows
// and while the drive does not answer.
void Utxgraph_draw_word_bits(ImageBox* box, uint16_t word, const BitNameRow* table, uint8_t enabled);
