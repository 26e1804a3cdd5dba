#pragma once
// Modbus "Disengaging" page of the gear box: disengage mode, ramp, and disengage position with its
// type (bit 0 of 0700h).
#include "pages/fieldbus/Fieldbus_page.h"

PARAM_PAGE_UNIT_DECL(mdb_gearbox_sgnc)

// Disengage position type (Modbus 0700h bit 0, CiA 402 2205h): item index = value.
inline const char* const GearboxPosTypeItemsIt[] = {"[0] Assoluta", "[1] Relativa"};
inline const char* const GearboxPosTypeItemsEn[] = {"[0] Absolute", "[1] Relative"};
inline const char* const GearboxPosTypeItemsFr[] = {"[0] Absolue", "[1] Rélative"};
inline const ComboSpec GearboxPosTypeCombo = {{GearboxPosTypeItemsIt, GearboxPosTypeItemsEn, GearboxPosTypeItemsFr}, 2};

// Group captions of both disengage twins.
inline const FixedText GearboxDisengageTexts[] = {
    {"GroupBox_data_sgancio_vel",
     {"Dati sgancio velocità", "Velocity disengagement data", "Données désengagement de vitesse"}},
    {"GroupBox_data_sgancio_pos",
     {"Dati sgancio posizione", "Position disengagement data", "Données désengagement de position"}},
};

// The frame both disengage twins share: the mode combo, ramp and jerk in the velocity group, and
// in the position group the velocity, ramp, position and the position type with its caption
// panel (and its hex panel when hex is given).
void Gearbox_disengage_build(ParamPage& page, const FieldCombo& mode, QGroupBox* box, QVBoxLayout* layout,
                             QWidget* pos_type, const char* hex);
