#pragma once
// Output page: the function of each digital output (Out 0, Out 1, and Out 2 for the second
// family) and the settings of the functions that have any, one tab each: zero speed, motor brake,
// speed-proportional frequency and the encoder-frequency divider. One poll list per tab; the list
// of the tab shown is polled.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(output)

// Output-function items ("[index] text"); the item index is the stored value.
inline const char* const OutputOut0ItemsIt[] = {"[0] Drive OK", "[1] Pos-Freq out"};
inline const char* const OutputOut0ItemsEn[] = {"[0] Drive OK", "[1] Pos-Freq out"};
inline const char* const OutputOut0ItemsFr[] = {"[0] Variateur OK", "[1] Pos-Fréq sur"};
inline const ComboSpec OutputOut0Combo = {{OutputOut0ItemsIt, OutputOut0ItemsEn, OutputOut0ItemsFr}, 2};

// Out 1: six items for the first family, seven for the second.
inline const char* const OutputOut1ItemsIt[] = {"[0] Lim. coppia", "[1] Allarme I2t", "[2] Velocità 0",
                                                "[3] Pos ragg.",   "[4] Freno mot",   "[5] Vel-Freq out",
                                                "[6] Secure Disable"};
inline const char* const OutputOut1ItemsEn[] = {"[0] Torque lim.", "[1] I2t Alarm", "[2] Speed 0",
                                                "[3] Pos. reached", "[4] Mot brake", "[5] Speed-Freq out",
                                                "[6] Secure Disable"};
inline const char* const OutputOut1ItemsFr[] = {"[0] Lim. couple",  "[1] Alarme I2t",   "[2] Vitesse 0",
                                                "[3] Pos atteinte", "[4] Frein moteur", "[5] Vites-Fréq sur",
                                                "[6] Secure Désact."};
inline const ComboSpec OutputOut1FirstCombo = {{OutputOut1ItemsIt, OutputOut1ItemsEn, OutputOut1ItemsFr}, 6};
inline const ComboSpec OutputOut1SecondCombo = {{OutputOut1ItemsIt, OutputOut1ItemsEn, OutputOut1ItemsFr}, 7};

// Out 2 (second family only).
inline const char* const OutputOut2ItemsIt[] = {"[0] Lim. coppia", "[1] Allarme I2t", "[2] Velocità 0",
                                                "[3] Pos ragg.",   "[4] Freno mot",   "[5] Riservato",
                                                "[6] Secure Disable"};
inline const char* const OutputOut2ItemsEn[] = {"[0] Torque lim.",  "[1] I2t Alarm", "[2] Speed 0",
                                                "[3] Pos. reached", "[4] Mot brake", "[5] Reserved",
                                                "[6] Secure Disable"};
inline const char* const OutputOut2ItemsFr[] = {"[0] Lim. couple",  "[1] Alarme I2t",   "[2] Vitesse 0",
                                                "[3] Pos atteinte", "[4] Frein moteur", "[5] Réservée",
                                                "[6] Secure Désact."};
inline const ComboSpec OutputOut2Combo = {{OutputOut2ItemsIt, OutputOut2ItemsEn, OutputOut2ItemsFr}, 7};

// Encoder-count divider (offset 264): item i stands for 2 to the power i, stored as i.
inline const char* const OutputDividerItems[] = {"1", "2", "4", "8", "16", "32", "64", "128", "256", "512"};
inline const ComboSpec OutputDividerCombo = {{OutputDividerItems, OutputDividerItems, OutputDividerItems}, 10};
