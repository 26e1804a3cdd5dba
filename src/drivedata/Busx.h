#pragma once
// Object dictionaries and parameter lookup.
//
// Every parameter the program shows, polls or writes is described by one BusObjectEntry: its key
// on the field bus, the location of the variable that holds its value, size, limits, access level
// and captions. Three dictionaries exist: common (fields both profiles share), Modbus and CANopen;
// the data set's BusType (record offset 110) picks the profile. Lookups go by variable location.
//
// The dictionaries are built from the field table (Fieldtab) plus the live-value rows when the
// program starts, in key order; Sortdat_sort must order them by location before the first lookup.
#include <compare>
#include <cstddef>
#include <cstdint>

#include "drivedata/Record.h"

// ---- locations ----

// Storage areas a variable can live in. Record areas come first so record fields keep their
// offset order; each live area holds live values outside the record.
enum class Area : uint8_t {
    Slot0,                  // DriveRecordBank[0], the connected drive
    Slot1,                  // DriveRecordBank[1], the archive data set
    Slot2,
    Slot3,
    ReadBack,               // DriveReadBack
    Rx,                     // DriveRecordRx
    Tx,                     // DriveRecordTx
    Live,                   // BusLiveValues
    LiveReadBack,           // BusLiveReadBack: received copies of the polled live values
    DriveName,              // DriveNameText (1008h)
    DriveSw,                // DriveSwText (100Ah)
    IdentProduct,           // CanIdentProductCode (1018h sub 2)
    IdentRevision,          // CanIdentRevision (1018h sub 3)
    IdentProductReadBack,   // received copy of 1018h sub 2
    IdentRevisionReadBack,  // received copy of 1018h sub 3
};

// A variable: a byte offset inside one area. Ordered by area, then offset.
struct Loc {
    Area area = Area::Slot0;
    uint16_t ofs = 0;
    friend constexpr auto operator<=>(const Loc&, const Loc&) = default;
};

constexpr Loc RecLoc(std::size_t ofs) { return {Area::Slot0, static_cast<uint16_t>(ofs)}; }
constexpr Loc SlotLoc(uint8_t slot, std::size_t ofs)
{
    return {static_cast<Area>(static_cast<uint8_t>(Area::Slot0) + (slot & 3)), static_cast<uint16_t>(ofs)};
}
constexpr Loc Loc_plus(Loc loc, uint16_t bytes) { return {loc.area, static_cast<uint16_t>(loc.ofs + bytes)}; }

// Byte size of an area.
std::size_t Loc_area_size(Area area);
// Address of the variable, or nullptr when the location lies outside its area.
uint8_t* Loc_ptr(Loc loc);
// Address when the whole n-byte variable lies inside its area, else nullptr.
uint8_t* Loc_ptr_n(Loc loc, std::size_t n);
// Where the received copy of a polled variable lives: record fields in DriveReadBack, live
// values in their read-back areas; texts have none (the location itself is returned).
Loc Loc_readback(Loc var);

// ---- live values ----

// Field-bus control and status words; they keep the last value written or shown.
struct BusCtrlWords {
    uint16_t mdb_ctrl;    // Modbus 0300h
    uint16_t mdb_status;  // Modbus 0301h
    uint16_t can_ctrl;    // CANopen 6040h
    uint16_t can_status;  // CANopen 6041h
};

// Store-parameter object (1010h subs 1-3): value, and the drive's storing progress.
struct StoreParamEntry {
    uint32_t value;
    uint16_t done;
    uint16_t total;
};

constexpr uint8_t LIVE_FILTER_COUNT = 6;  // 2055h sub 0: six input filter times follow

// Profile values outside DriveRecord: refreshed by polling, never stored in data files.
struct BusLiveBlock {
    BusCtrlWords ctrl;
    uint16_t encoder_autophasing;     // Modbus 0160h, CANopen 203Fh
    uint16_t status_word_aux;         // Modbus 0302h
    uint16_t mdb_030b;                // Modbus 030Bh
    uint16_t electrical_angle;        // Modbus 0312h, CANopen 204Bh (65536 = 360 degrees)
    int16_t mdb_0309;                 // Modbus 0309h
    int16_t mdb_030a;                 // Modbus 030Ah
    int16_t mdb_0313;                 // Modbus 0313h
    int16_t current;                  // CANopen 2012h
    uint32_t mdb_0303;                // Modbus 0303h/0304h
    int32_t measured_position;        // Modbus 0305h/0306h and 061Ch/061Dh
    int32_t measured_speed;           // Modbus 0307h/0308h and 051Dh/051Eh
    int32_t encoder_position;         // Modbus 030Ch/030Dh, CANopen 2045h
    int32_t mdb_030e;                 // Modbus 030Eh/030Fh
    int32_t mdb_0310;                 // Modbus 0310h/0311h
    int32_t position_measure[3];      // initial, final, delta: Modbus 041Dh-0422h, CANopen 2052h-2054h
    int32_t measured_encoder_count;   // Modbus 0716h/0717h, CANopen 220Eh
    uint32_t device_type;             // CANopen 1000h
    uint32_t cob_id_sync;             // CANopen 1005h
    StoreParamEntry store[3];         // CANopen 1010h subs 1-3
    uint32_t vendor_id;               // CANopen 1018h sub 1
    uint8_t store_count;              // CANopen 1010h sub 0
    uint8_t ident_count;              // CANopen 1018h sub 0
    uint8_t filter_count = LIVE_FILTER_COUNT;  // CANopen 2055h sub 0
    int8_t modes_display;             // CANopen 6061h
};

extern BusLiveBlock BusLiveValues;
extern BusLiveBlock BusLiveReadBack;
extern BusCtrlWords& BusCtrlWord;           // BusLiveValues.ctrl
extern uint32_t CanIdentProductReadBack;    // received copy of 1018h sub 2
extern uint32_t CanIdentRevisionReadBack;   // received copy of 1018h sub 3

// The program's own CANopen vendor number, shown as 1018h sub 1 by the defaults.
constexpr uint32_t CANOPEN_VENDOR_ID = 0x00504E44;
constexpr uint32_t CANOPEN_DEVICE_TYPE = 0x00020192;  // 1000h default
constexpr uint32_t CANOPEN_SYNC_COB_ID = 0x80;        // 1005h default

// Live values the record defaults set (Init_default_image, CANopen sections).
// 1010h: three store values zero, entry count 3.
void Busx_set_store_defaults();
// 1000h, 1005h, 1018h count 3 and vendor number. Product code and revision (subs 2 and 3) keep
// what the last identification stored: they describe the connected drive, not a data set, and
// are 0 until a drive has identified itself.
void Busx_set_identity_defaults();
// 6061h, the modes-of-operation display.
void Busx_set_modes_display(int8_t mode);

// Locations of the live values.
namespace LiveLoc {
constexpr Loc at(std::size_t ofs) { return {Area::Live, static_cast<uint16_t>(ofs)}; }
constexpr Loc MdbCtrlWord = at(offsetof(BusLiveBlock, ctrl) + offsetof(BusCtrlWords, mdb_ctrl));
constexpr Loc MdbStatusWord = at(offsetof(BusLiveBlock, ctrl) + offsetof(BusCtrlWords, mdb_status));
constexpr Loc CanCtrlWord = at(offsetof(BusLiveBlock, ctrl) + offsetof(BusCtrlWords, can_ctrl));
constexpr Loc CanStatusWord = at(offsetof(BusLiveBlock, ctrl) + offsetof(BusCtrlWords, can_status));
constexpr Loc EncoderAutophasing = at(offsetof(BusLiveBlock, encoder_autophasing));
constexpr Loc StatusWordAux = at(offsetof(BusLiveBlock, status_word_aux));
constexpr Loc Mdb030B = at(offsetof(BusLiveBlock, mdb_030b));
constexpr Loc ElectricalAngle = at(offsetof(BusLiveBlock, electrical_angle));
constexpr Loc Mdb0309 = at(offsetof(BusLiveBlock, mdb_0309));
constexpr Loc Mdb030A = at(offsetof(BusLiveBlock, mdb_030a));
constexpr Loc Mdb0313 = at(offsetof(BusLiveBlock, mdb_0313));
constexpr Loc Current = at(offsetof(BusLiveBlock, current));
constexpr Loc Mdb0303 = at(offsetof(BusLiveBlock, mdb_0303));
constexpr Loc MeasuredPosition = at(offsetof(BusLiveBlock, measured_position));
constexpr Loc MeasuredSpeed = at(offsetof(BusLiveBlock, measured_speed));
constexpr Loc EncoderPosition = at(offsetof(BusLiveBlock, encoder_position));
constexpr Loc Mdb030E = at(offsetof(BusLiveBlock, mdb_030e));
constexpr Loc Mdb0310 = at(offsetof(BusLiveBlock, mdb_0310));
constexpr Loc PositionInitial = at(offsetof(BusLiveBlock, position_measure));
constexpr Loc PositionFinal = at(offsetof(BusLiveBlock, position_measure) + 4);
constexpr Loc PositionDelta = at(offsetof(BusLiveBlock, position_measure) + 8);
constexpr Loc MeasuredEncoderCount = at(offsetof(BusLiveBlock, measured_encoder_count));
constexpr Loc DeviceType = at(offsetof(BusLiveBlock, device_type));
constexpr Loc CobIdSync = at(offsetof(BusLiveBlock, cob_id_sync));
constexpr Loc StoreValue(unsigned i)  // i = 0..2 for 1010h subs 1-3
{
    return at(offsetof(BusLiveBlock, store) + (i % 3) * sizeof(StoreParamEntry) + offsetof(StoreParamEntry, value));
}
constexpr Loc VendorId = at(offsetof(BusLiveBlock, vendor_id));
constexpr Loc StoreCount = at(offsetof(BusLiveBlock, store_count));
constexpr Loc IdentCount = at(offsetof(BusLiveBlock, ident_count));
constexpr Loc FilterCount = at(offsetof(BusLiveBlock, filter_count));
constexpr Loc ModesDisplay = at(offsetof(BusLiveBlock, modes_display));
constexpr Loc DeviceName = {Area::DriveName, 0};
constexpr Loc SwVersion = {Area::DriveSw, 0};
constexpr Loc ProductCode = {Area::IdentProduct, 0};
constexpr Loc Revision = {Area::IdentRevision, 0};
}  // namespace LiveLoc

// ---- dictionary entries ----

// Flags word of an entry.
namespace BusFlag {
constexpr uint16_t AttrMask = 0x001F;   // attribute bits of the object, carried as data
constexpr unsigned SizeShift = 5;       // bytes of the value: 1, 2 or 4; 0 for blocks and texts
constexpr uint16_t SizeMask = 0x00E0;
constexpr unsigned PairShift = 8;       // 1 first register of a 32-bit Modbus value, 2 second
constexpr uint16_t PairMask = 0x0300;
constexpr unsigned LevelShift = 10;     // access level 0-3
constexpr uint16_t LevelMask = 0x0C00;
constexpr uint16_t Signed = 0x1000;
}  // namespace BusFlag

constexpr uint8_t BusFlag_size(uint16_t flags) { return (flags & BusFlag::SizeMask) >> BusFlag::SizeShift; }
constexpr uint8_t BusFlag_pair(uint16_t flags) { return (flags & BusFlag::PairMask) >> BusFlag::PairShift; }
constexpr uint8_t BusFlag_level(uint16_t flags) { return (flags & BusFlag::LevelMask) >> BusFlag::LevelShift; }

// Entry type.
namespace BusEntryType {
constexpr uint16_t Number = 0;
constexpr uint16_t Block = 0x10;  // the 16-byte alarm memory
constexpr uint16_t Text = 0x20;   // 1008h, 100Ah
}  // namespace BusEntryType

// Dictionary kinds.
namespace BusKind {
constexpr uint8_t Common = 0;
constexpr uint8_t Modbus = 1;
constexpr uint8_t Canopen = 2;
}  // namespace BusKind

struct BusObjectEntry {
    uint16_t index;            // Modbus register, CANopen index or common key
    uint8_t subindex;          // CANopen subindex, else 0
    Loc var;                   // the variable; sort and search key
    uint32_t maximum;          // read as signed when the signed flag is set
    uint32_t minimum;
    uint16_t type;             // BusEntryType
    uint16_t flags;            // BusFlag
    const char* caption[3];    // Italian, English, French; nullptr when absent
    const char* unit;          // nullptr when absent
    const char* unit_linear;   // unit for a linear motor; nullptr when absent
};

// The three dictionaries (built at start-up, sorted by Sortdat_sort).
constexpr uint16_t PRT_DAT_COUNT = 29;   // common: every field with a common key
constexpr uint16_t MDB_DAT_COUNT = 285;  // Modbus: 252 record registers + 33 live
constexpr uint16_t CAN_DAT_COUNT = 325;  // CANopen: 301 record keys + 24 live
extern BusObjectEntry PrtDat[PRT_DAT_COUNT];
extern BusObjectEntry MdbDat[MDB_DAT_COUNT];
extern BusObjectEntry CanDat[CAN_DAT_COUNT];

struct BusObjectTable {
    BusObjectEntry* entries;
    uint16_t count;
};
struct BusObjectTableSet {
    BusObjectTable common;
    BusObjectTable modbus;
    BusObjectTable canopen;
};
extern const BusObjectTableSet BusObjectTables;

// Record ranges looked up in the common dictionary whatever the bus type: [0,28), [28,54), [64,120).
struct RecordRange {
    uint16_t first;
    uint16_t end;
};
constexpr RecordRange BusCommonRanges[3] = {{0, 28}, {28, 54}, {64, 120}};

// ---- lookup ----

// Result of a lookup: the dictionary searched (or none), its size, the entry index (-1 when not
// found) and the dictionary kind.
struct BusLookup {
    const BusObjectEntry* table = nullptr;
    uint16_t count = 0;
    int32_t index = -1;
    uint8_t kind = BusKind::Common;
    const BusObjectEntry* entry() const { return (table != nullptr && index >= 0) ? &table[index] : nullptr; }
    bool found() const { return entry() != nullptr; }
};

// 1 when the location lies in one of the common ranges of slot 0.
int Busx_in_common_range(Loc loc);
// Index of an entry with that variable, or -1 (count 0 included). The table must be sorted.
int32_t Busx_bsearch(Loc key, const BusObjectEntry* table, uint16_t count);
// Silent lookup. Slot 1 maps to slot 0; common ranges use the common dictionary; else bus type
// 0-1 the Modbus dictionary, 2 the CANopen one, any other none.
BusLookup Busx_find(uint16_t bus_type, Loc loc);
// Lookup with the bus type of DriveRecordBank[slot]; "2 INDEX NOT EXIST!" when nothing is found
// (then table is null).
BusLookup Busx_find_slot(Loc loc, uint8_t slot);
// Lookup with an explicit bus type; same message.
BusLookup Busx_find_bus(Loc loc, uint16_t bus_type);
// Kind and flags of the entry for slot 0's bus type. 1 found; 0 with
// "get_bus_ob_flg: INDEX PAR Not EXIST!".
int get_bus_ob_flg(Loc loc, uint8_t* kind, uint16_t* flags);
// Dictionary kind of the read-list request: 1 for bus types 0 and 1, 2 for 2, else 0.
uint8_t Busx_bus_class(uint16_t bus_type);

// ---- write descriptor and poll list ----

// One parameter write as it goes on the wire after conversion by the link (key and value in host
// order here).
struct BusWriteItem {
    uint16_t key;
    uint8_t subindex;
    uint8_t bits;       // 0-2 kind, 3-5 size, 6 32-bit register pair, 7 store permanently
    uint8_t value[4];
};
static_assert(sizeof(BusWriteItem) == 8);

namespace BusWriteBit {
constexpr uint8_t KindMask = 0x07;
constexpr unsigned SizeShift = 3;
constexpr uint8_t SizeMask = 0x38;
constexpr uint8_t Pair = 0x40;
constexpr uint8_t Store = 0x80;  // the caller's
}  // namespace BusWriteBit

// Fills item from the entry of loc (slot 0's bus type) and the value held at loc.
// 1 filled; 0 with "1 INDEX NOT EXIST!" and item untouched.
int Busx_make_request(Loc loc, BusWriteItem* item);

// One item of a page's poll list. Pages declare var and readback; Busx_fill_poll_list fills
// key, subindex and flags.
struct PollItem {
    uint16_t key;
    uint8_t subindex;
    Loc var;
    Loc readback;
    uint16_t flags;
};

// Fills every item from its variable (slot 0's bus type). Each item not found shows
// "2 INDEX NOT EXIST!" and keeps its fields.
void Busx_fill_poll_list(PollItem* items, uint16_t count);

// ---- edit rule ----

// Outcome of the edit rule, in the order it is tested.
enum class EditDecision : uint8_t {
    NoEntry,       // the field has no dictionary entry
    LinkNotReady,  // access bit 0 clear
    FieldBusLock,  // drive on a field bus, profile entry, remote control off
    LevelLock,     // access level locked by the drive state
    Editable,
};

// access: EditStateFlags (bit 0 link ready, 1 and 2 drive status bits, 3 remote control);
// ui_flags: DriveUiFlags (bit 4 the drive has a field bus); kind and flags from get_bus_ob_flg.
EditDecision Busx_edit_decision(bool found, uint8_t kind, uint16_t flags, uint16_t access, uint8_t ui_flags);
inline bool Busx_is_editable(bool found, uint8_t kind, uint16_t flags, uint16_t access, uint8_t ui_flags)
{
    return Busx_edit_decision(found, kind, flags, access, ui_flags) == EditDecision::Editable;
}
