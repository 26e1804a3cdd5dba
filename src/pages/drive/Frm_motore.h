#pragma once
// Motor Data page: ratings, motor type and poles. The calibration tools call
// Frm_motore_show_values and Frm_motore_refresh with context 0 after they changed motor data.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(motore)
// Shows the ten edits' values of ctx (ready byte 0 meanwhile); nothing without its frame.
void Frm_motore_show_values(uint8_t ctx);

// Motor type (record offset 132): item index = value.
inline const char* const MotorTypeItemsIt[] = {"0 - Sincrono MP, rotativo", "1 - Sincrono MP, lineare",
                                               "2 - Corrente C. - DC, rotativo"};
inline const char* const MotorTypeItemsEn[] = {"0 - PM rotary motor", "1 - PM linear motor",
                                               "2 - Rotary, Brushed DC motor"};
inline const char* const MotorTypeItemsFr[] = {"0 - Rotative, aimants permanents", "1 - Linéaire, aimants permanents",
                                               "2 - Rotative, brossé DC moteur"};
inline const ComboSpec MotorTypeCombo = {{MotorTypeItemsIt, MotorTypeItemsEn, MotorTypeItemsFr}, 3};

// Motor poles (record offset 150 holds pole pairs): item i stands for i + 1 pairs, "2" to "50".
inline const char* const MotorPolesItems[] = {"2",  "4",  "6",  "8",  "10", "12", "14", "16", "18",
                                              "20", "22", "24", "26", "28", "30", "32", "34", "36",
                                              "38", "40", "42", "44", "46", "48", "50"};
inline const uint16_t MotorPolesValues[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                            14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
inline const ComboSpec MotorPolesCombo = {{MotorPolesItems, MotorPolesItems, MotorPolesItems}, 25, MotorPolesValues};
