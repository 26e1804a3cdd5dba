// Modbus object dictionary: every register of the field table and the live registers.
#include <iterator>

#include "drivedata/Busdat.h"

BusObjectEntry MdbDat[MDB_DAT_COUNT];

namespace {

using namespace LiveRange;

// Live registers, as typed. Two register keys may name one variable.
const BusLiveRow MdbLiveRows[] = {
    {0x0160, -1, 0, LiveLoc::EncoderAutophasing, FieldType::U16, false, 0, 0,
     {"Autofasatura encoder", "Encoder autophasing", "Autocalage codeur"}, nullptr},
    {0x0300, -1, 0, LiveLoc::MdbCtrlWord, FieldType::U16, false, 0, U16_MAX,
     {"Parola di controllo", "Control word", "Mot de commande"}, nullptr},
    {0x0301, -1, 0, LiveLoc::MdbStatusWord, FieldType::U16, false, 0, U16_MAX,
     {"Parola di stato", "Status word", "Mot d'état"}, nullptr},
    {0x0302, -1, 0, LiveLoc::StatusWordAux, FieldType::U16, false, 0, U16_MAX,
     {"Parola di stato aus.", "Status word aux", "Mot d'état aux."}, nullptr},
    {0x0303, 0x0304, 0, LiveLoc::Mdb0303, FieldType::U32, false, 0, U32_MAX, {}, nullptr},
    {0x0305, 0x0306, 0, LiveLoc::MeasuredPosition, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione attuale", "Pos. actual value", "Position actuelle"}, nullptr},
    {0x061C, 0x061D, 0, LiveLoc::MeasuredPosition, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione attuale", "Pos. actual value", "Position actuelle"}, nullptr},
    {0x0307, 0x0308, 0, LiveLoc::MeasuredSpeed, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Velocità misurata", "Meas. Speed.", "Vitesse mesurée"}, nullptr},
    {0x051D, 0x051E, 0, LiveLoc::MeasuredSpeed, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Velocità misurata", "Meas. Speed.", "Vitesse mesurée"}, nullptr},
    {0x0309, -1, 0, LiveLoc::Mdb0309, FieldType::I16, false, I16_MIN, I16_MAX, {}, nullptr},
    {0x030A, -1, 0, LiveLoc::Mdb030A, FieldType::I16, false, I16_MIN, I16_MAX, {}, nullptr},
    {0x0313, -1, 0, LiveLoc::Mdb0313, FieldType::I16, false, I16_MIN, I16_MAX, {}, nullptr},
    {0x030B, -1, 0, LiveLoc::Mdb030B, FieldType::U16, false, 0, U16_MAX, {}, nullptr},
    {0x0312, -1, 0, LiveLoc::ElectricalAngle, FieldType::U16, false, 0, U16_MAX, {}, nullptr},
    {0x030C, 0x030D, 0, LiveLoc::EncoderPosition, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione encoder", "Encoder position", "Position codeur"}, "Counts"},
    {0x030E, 0x030F, 0, LiveLoc::Mdb030E, FieldType::I32, false, I32_MIN, I32_MAX, {}, nullptr},
    {0x0310, 0x0311, 0, LiveLoc::Mdb0310, FieldType::I32, false, I32_MIN, I32_MAX, {}, nullptr},
    {0x041D, 0x041E, 0, LiveLoc::PositionInitial, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione iniziale", "Initial position", "Position initiale"}, nullptr},
    {0x041F, 0x0420, 0, LiveLoc::PositionFinal, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione finale", "Final position", "Position finale"}, nullptr},
    {0x0421, 0x0422, 0, LiveLoc::PositionDelta, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Delta posizione", "Delta position", "Delta position"}, nullptr},
    {0x0716, 0x0717, 0, LiveLoc::MeasuredEncoderCount, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Imp. encoder misurati", "Meas. Imp. Encoder", "Imp. codeur mesurées"}, nullptr},
};

// Read-only registers: attribute bit 3 clear.
const BusKeySpan MdbBit3Clear[] = {
    {0x0301, 0x0313}, {0x041D, 0x0422}, {0x051D, 0x051E}, {0x061C, 0x061D}, {0x0716, 0x0717},
};

const BusAttrLists MdbAttrs{{}, MdbBit3Clear, {}, {}};

[[maybe_unused]] const bool mdb_built = (Busdat_build(MdbDat, MDB_DAT_COUNT, BusKind::Modbus, MdbLiveRows, MdbAttrs), true);

}  // namespace
