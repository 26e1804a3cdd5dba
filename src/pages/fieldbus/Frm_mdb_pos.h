#pragma once
// Modbus positioner page ("Position"): target, speed, ramps, motion profile, rounding by jerk or
// time (a bit of PosFlags) and the measured position.
#include "pages/fieldbus/Fieldbus_page.h"

PARAM_PAGE_UNIT_DECL(mdb_pos)

// Modbus motion profile (0611h): item index = value.
inline const char* const MdbProfileItemsIt[] = {"[0] Profilo \"S\"", "[1] Profilo Trap.-Continuo"};
inline const char* const MdbProfileItemsEn[] = {"[0] Profile \"S\"", "[1] Profile Trap.-Continuos"};
inline const char* const MdbProfileItemsFr[] = {"[0] Profil \"S\"", "[1] Profil Trap.-Continu"};
inline const ComboSpec MdbProfileCombo = {{MdbProfileItemsIt, MdbProfileItemsEn, MdbProfileItemsFr}, 2};

// Rounding of the profile's corners, the rounding bit of PosFlags: item 0 by jerk, 1 by time.
inline const char* const RoundingItemsIt[] = {"Jerk", "Tempo"};
inline const char* const RoundingItemsEn[] = {"Jerk", "Time"};
inline const char* const RoundingItemsFr[] = {"Jerk", "Temps"};
inline const ComboSpec RoundingCombo = {{RoundingItemsIt, RoundingItemsEn, RoundingItemsFr}, 2};
inline const char* const RoundingModeText[3] = {"Modo arrotondamento", "Mode rounding", "mode d'arrondi"};
inline const BitComboItems RoundingBitCombo[] = {{"ComboBox_pos_jerk_time", &RoundingCombo, "Panel_rounding_mode"}};

// GroupBox_rounding of both twins: the jerk and time edits (moved from box), the rounding combo
// in Panel_rounding_mode and the flags' hex panel Panel_flgx_pos_jerk_time; added to layout.
void Positioner_rounding_build(QGroupBox* box, QBoxLayout* layout);
