#pragma once
// The filter flags word the Notch and Iq Filter pages share (offset 182): each page owns one bit,
// shows the whole word in hexadecimal, and redraws the control diagram when its bit changes.
#include <QVBoxLayout>

#include "pages/ParamPage.h"

constexpr uint16_t FILTER_FLAGS_OFS = 182;
inline constexpr const char* FILTER_FLAGS_HEX = "Panel_par_cm_var_flg_dat";

// The check box, its "On"/"Off" label and the hex panel, added to layout.
void Filter_flags_build(QWidget* parent, QVBoxLayout* layout, const BitSpec& bit);
// Caption of the check box: address tag of the word and the page's text (by language).
void Filter_flags_caption(ParamPage& page, uint8_t ctx, const BitSpec& bit, const char* const text[3]);
// The page's bit changed by the user: the diagram of PageContext follows.
void Filter_flags_changed(ParamPage& page, uint8_t ctx, int index);
