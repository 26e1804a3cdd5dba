// CANopen object dictionary: every object of the field table and the live objects.
#include "drivedata/Busdat.h"

BusObjectEntry CanDat[CAN_DAT_COUNT];

namespace {

using namespace LiveRange;

// Live objects, as typed.
const BusLiveRow CanLiveRows[] = {
    {0x203F, -1, 0, LiveLoc::EncoderAutophasing, FieldType::U16, false, 0, 0,
     {"Autofasatura encoder", "Encoder autophasing", "Autocalage codeur"}, nullptr},
    {0x6040, -1, 0, LiveLoc::CanCtrlWord, FieldType::U16, false, 0, U16_MAX,
     {"Parola di controllo", "Control word", "Mot de commande"}, nullptr},
    {0x6041, -1, 0, LiveLoc::CanStatusWord, FieldType::U16, false, 0, U16_MAX,
     {"Parola di stato", "Status word", "Mot d'état"}, nullptr},
    {0x204B, -1, 0, LiveLoc::ElectricalAngle, FieldType::U16, false, 0, U16_MAX, {}, nullptr},
    {0x2045, -1, 0, LiveLoc::EncoderPosition, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione encoder", "Encoder position", "Position codeur"}, "Counts"},
    {0x2052, -1, 0, LiveLoc::PositionInitial, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione iniziale", "Initial position", "Position initiale"}, nullptr},
    {0x2053, -1, 0, LiveLoc::PositionFinal, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Posizione finale", "Final position", "Position finale"}, nullptr},
    {0x2054, -1, 0, LiveLoc::PositionDelta, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Delta posizione", "Delta position", "Delta position"}, nullptr},
    {0x220E, -1, 0, LiveLoc::MeasuredEncoderCount, FieldType::I32, false, I32_MIN, I32_MAX,
     {"Imp. encoder misurati", "Meas. Imp. Encoder", "Imp. codeur mesurées"}, nullptr},
    {0x1000, -1, 0, LiveLoc::DeviceType, FieldType::U32, false, 0, U32_MAX,
     {"Tipo dispositivo", "Device Type", "Type d'appareil"}, nullptr},
    {0x1005, -1, 0, LiveLoc::CobIdSync, FieldType::U32, false, 0, U32_MAX,
     {"Cob ID-Sync", "Cob ID-Sync", "Cob ID-Sync"}, nullptr},
    {0x1008, -1, 0, LiveLoc::DeviceName, FieldType::U8, true, 0, 0,
     {"Nome dispositivo", "Device name", "Nom de l'appareil"}, nullptr},
    {0x100A, -1, 0, LiveLoc::SwVersion, FieldType::U8, true, 0, 0,
     {"Versione software", "Software version", "Version logicielle"}, nullptr},
    {0x1010, -1, 0, LiveLoc::StoreCount, FieldType::U8, false, 0, U8_MAX, {}, nullptr},
    {0x1010, -1, 1, LiveLoc::StoreValue(0), FieldType::U32, false, 0, U32_MAX, {}, nullptr},
    {0x1010, -1, 2, LiveLoc::StoreValue(1), FieldType::U32, false, 0, U32_MAX, {}, nullptr},
    {0x1010, -1, 3, LiveLoc::StoreValue(2), FieldType::U32, false, 0, U32_MAX, {}, nullptr},
    {0x1018, -1, 0, LiveLoc::IdentCount, FieldType::U8, false, 0, U8_MAX, {}, nullptr},
    {0x1018, -1, 1, LiveLoc::VendorId, FieldType::U32, false, 0, U32_MAX,
     {"ID costruttore", "Vendor ID", "ID fabricant"}, nullptr},
    {0x1018, -1, 2, LiveLoc::ProductCode, FieldType::U32, false, 0, U32_MAX,
     {"Codice prodotto", "Product code", "Code produit"}, nullptr},
    {0x1018, -1, 3, LiveLoc::Revision, FieldType::U32, false, 0, U32_MAX,
     {"Numero revisione", "Revision number", "Numéro de révision"}, nullptr},
    {0x2012, -1, 0, LiveLoc::Current, FieldType::I16, false, I16_MIN, I16_MAX,
     {"Corrente", "Current", "Courant"}, "A"},
    {0x2055, -1, 0, LiveLoc::FilterCount, FieldType::U8, false, 0, U8_MAX,
     {"Numero errori", "Number of errors", "Nombre d'erreurs"}, nullptr},
    {0x6061, -1, 0, LiveLoc::ModesDisplay, FieldType::I8, false, I8_MIN, I8_MAX,
     {"Modo operativo attuale", "Modes of operation display", "Mode de fonctionnement actuel"}, nullptr},
};

constexpr uint8_t ANY_LO = 0, ANY_HI = 255;

// Attribute bit 4: set on every object but the modes of operation.
const BusKeySpan CanBit4Clear[] = {{0x6060, 0x6060}};

// Attribute bit 3 clear (61 objects).
const BusKeySpan CanBit3Clear[] = {
    {0x1000, 0x1001},
    {0x1003, 0x1003, 1, 8},
    {0x1005, 0x1005},
    {0x1008, 0x1008},
    {0x100A, 0x100A},
    {0x100C, 0x100D},
    {0x1010, 0x1010, 0, 0},
    {0x1014, 0x1014},
    {0x1018, 0x1018, 0, 3},
    {0x1200, 0x1200, 0, 0},
    {0x1400, 0x1403, 0, 0},
    {0x1800, 0x1803, 0, 0},
    {0x6046, 0x6046, 0, 0},
    {0x6048, 0x6049, 0, 0},
    {0x604C, 0x604C, 0, 0},
    {0x607D, 0x607D, 0, 0},
    {0x6093, 0x6094, 0, 0},
    {0x6097, 0x6097, 0, 0},
    {0x6099, 0x6099, 0, 0},
    {0x60C1, 0x60C2, 0, 0},
    {0x2012, 0x2012},
    {0x2045, 0x2045},
    {0x204B, 0x204B},
    {0x2052, 0x2054},
    {0x220E, 0x220E},
    {0x6041, 0x6041},
    {0x6043, 0x6044},
    {0x6061, 0x6064},
    {0x606B, 0x606C},
    {0x6077, 0x6077},
    {0x60F4, 0x60F4},
    {0x60FC, 0x60FD},
};

// Attribute bit 2 (58 objects).
const BusKeySpan CanBit2Set[] = {
    {0x2012, 0x2012},
    {0x2052, 0x2054},
    {0x2200, 0x2201},
    {0x220E, 0x220E},
    {0x6040, 0x6044},
    {0x6046, 0x6046, 1, 2},
    {0x6048, 0x6049, 1, 2},
    {0x604C, 0x604C, 1, 2},
    {0x607D, 0x607D, 1, 2},
    {0x6093, 0x6094, 1, 2},
    {0x6097, 0x6097, 1, 2},
    {0x6099, 0x6099, 1, 2},
    {0x60C1, 0x60C2, 1, 2},
    {0x6050, 0x6051},
    {0x6060, 0x6064},
    {0x6066, 0x6066},
    {0x6069, 0x6069},
    {0x606B, 0x606C},
    {0x6071, 0x6071},
    {0x6077, 0x6077},
    {0x607A, 0x607A},
    {0x607C, 0x607C},
    {0x6081, 0x6081},
    {0x6083, 0x6084},
    {0x6086, 0x6087},
    {0x60F4, 0x60F4},
    {0x60FC, 0x60FD},
    {0x60FF, 0x60FF},
};

// Attribute bit 1 (160 objects): every subindex of the objects with subindexes, 2055h sub 0,
// and the two texts.
const BusKeySpan CanBit1Set[] = {
    {0x1003, 0x1003, ANY_LO, ANY_HI},
    {0x1018, 0x1018, ANY_LO, ANY_HI},
    {0x1200, 0x1200, ANY_LO, ANY_HI},
    {0x1400, 0x1403, ANY_LO, ANY_HI},
    {0x1600, 0x1603, ANY_LO, ANY_HI},
    {0x1800, 0x1803, ANY_LO, ANY_HI},
    {0x1A00, 0x1A03, ANY_LO, ANY_HI},
    {0x6046, 0x6046, ANY_LO, ANY_HI},
    {0x6048, 0x6049, ANY_LO, ANY_HI},
    {0x604C, 0x604C, ANY_LO, ANY_HI},
    {0x607D, 0x607D, ANY_LO, ANY_HI},
    {0x6093, 0x6094, ANY_LO, ANY_HI},
    {0x6097, 0x6097, ANY_LO, ANY_HI},
    {0x6099, 0x6099, ANY_LO, ANY_HI},
    {0x60C1, 0x60C2, ANY_LO, ANY_HI},
    {0x2055, 0x2055, 0, 0},
    {0x1008, 0x1008},
    {0x100A, 0x100A},
};

const BusAttrLists CanAttrs{CanBit4Clear, CanBit3Clear, CanBit2Set, CanBit1Set};

[[maybe_unused]] const bool can_built =
    (Busdat_build(CanDat, CAN_DAT_COUNT, BusKind::Canopen, CanLiveRows, CanAttrs), true);

}  // namespace
