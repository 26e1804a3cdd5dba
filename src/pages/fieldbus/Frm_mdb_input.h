#pragma once
// Digital Input page of the I/O-control and Modbus trees: the setting word 0414h (+504), rows
// shown by bus type and control type, the capture results; and what the CiA 402 page shares with
// it: the input-name table, the rows' controls and texts.
#include <cstdint>

#include "pages/ParamPage.h"

class QBoxLayout;
class QWidget;

PARAM_PAGE_UNIT_DECL(mdb_input)

// One input's name in the three languages and whether the input is used (black) or not (grey).
struct DigitalInputName {
    char name[3][30];
    uint8_t used;
    uint32_t colour[2];  // not read by these pages
};
enum DigitalInputGroup : uint8_t { InputIo0, InputIo1, InputIo2, InputMdb0, InputMdb1, InputMdb2, InputMdb3,
                                   InputCan402, InputOther, InputGroupCount };
extern const DigitalInputName DigitalInputNameTable[InputGroupCount][6];

// The entry of input 0..5 for the record of ctx: by the I/O control type (+118, bus type 0) or the
// Modbus control type (+466, bus type 1), a type outside the table as type 0; other bus types the
// further group.
const DigitalInputName& Frm_mdb_input_name(uint8_t ctx, int input);
// Rows shown and hidden, names of I.2 to I.5, by the record of ctx.
void Frm_mdb_input_layout(uint8_t ctx);
// The five echo panels show the setting word of ctx.
void Frm_mdb_input_show_hex(uint8_t ctx);
// The timer's update step.
void Frm_mdb_input_update();

// ---- shared with the CiA 402 page ----
extern const ComboSpec InputLevelCombo;
extern const ComboSpec InputCaptureModeCombo;
extern const char* const InputCwText[3];
extern const char* const InputCcwText[3];
extern const char* const InputCaptureText[3];
extern const char* const InputCaptureModeText[3];
extern const char* const InputCaptureGroupText[3];
// A name panel shows entry (text, black or grey); with tag_field, the address tag first.
void Input_show_name(QWidget* panel, const DigitalInputName& entry, uint8_t ctx, const Loc* tag_field = nullptr);
// A row "I.n" added to layout; the widgets named are created in it in order: names starting with
// "CheckBox_" become check boxes, "ComboBox_" combos, "FlowPanel"/"Panel_in5_pos_mis_mode" flow
// panels, any other a label.
QWidget* Input_row(QWidget* parent, QBoxLayout* layout, const char* label, std::initializer_list<const char*> names);
// The capture-result group with its three caption panels and displays.
void Input_capture_group(QWidget* parent, QBoxLayout* layout);
extern const char* const InputCaptureLabels[3];
extern const char* const InputCaptureCaptions[3];
// Items of the input 0 edge or level (bit 5 of the input settings).
extern const ComboSpec& InputPowerModeCombo;
