#pragma once
// Modbus "Engaging" page of the gear box: engage mode, velocity ramp and engage position.
#include "pages/fieldbus/Fieldbus_page.h"

PARAM_PAGE_UNIT_DECL(mdb_gearbox_aggc)

// Engage and disengage mode (Modbus 0703h/0704h, CiA 402 2202h/2203h): item index = value.
inline const char* const GearboxModeItemsIt[] = {"[0] Immediato", "[1] Velocità", "[2] Posizione"};
inline const char* const GearboxModeItemsEn[] = {"[0] Immediate", "[1] Velocity", "[2] Position"};
inline const char* const GearboxModeItemsFr[] = {"[0] Immédiat", "[1] vitesse", "[2] Position"};
inline const ComboSpec GearboxModeCombo = {{GearboxModeItemsIt, GearboxModeItemsEn, GearboxModeItemsFr}, 3};

// Group captions of both engage twins.
inline const FixedText GearboxEngageTexts[] = {
    {"GroupBox_data_aggancio_vel",
     {"Dati aggancio velocità", "Velocity engagement data", "Données d'engagement de vitesse"}},
    {"GroupBox_data_aggancio_pos",
     {"Dati aggancio posizione", "Position engagement data", "Données d'engagement de position"}},
};

// The frame both engage twins share: the mode combo, then the ramp and jerk in the velocity
// group and the position in the position group.
void Gearbox_engage_build(ParamPage& page, const FieldCombo& mode, QGroupBox* box, QVBoxLayout* layout);
