#include "drivedata/Busx.h"

#include <cstring>

#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"

BusLiveBlock BusLiveValues{};
BusLiveBlock BusLiveReadBack{};
BusCtrlWords& BusCtrlWord = BusLiveValues.ctrl;
uint32_t CanIdentProductReadBack = 0;
uint32_t CanIdentRevisionReadBack = 0;

const BusObjectTableSet BusObjectTables{
    {PrtDat, PRT_DAT_COUNT},
    {MdbDat, MDB_DAT_COUNT},
    {CanDat, CAN_DAT_COUNT},
};

// ---- live value defaults ----

void Busx_set_store_defaults()
{
    for (StoreParamEntry& s : BusLiveValues.store)
        s.value = 0;
    BusLiveValues.store_count = 3;
}

void Busx_set_identity_defaults()
{
    BusLiveValues.device_type = CANOPEN_DEVICE_TYPE;
    BusLiveValues.cob_id_sync = CANOPEN_SYNC_COB_ID;
    BusLiveValues.ident_count = 3;
    BusLiveValues.vendor_id = CANOPEN_VENDOR_ID;
}

void Busx_set_modes_display(int8_t mode) { BusLiveValues.modes_display = mode; }

// ---- locations ----

namespace {

struct AreaStorage {
    uint8_t* base;
    std::size_t size;
};

AreaStorage area_storage(Area area)
{
    switch (area) {
    case Area::Slot0:
    case Area::Slot1:
    case Area::Slot2:
    case Area::Slot3:
        return {DriveRecordBank[static_cast<uint8_t>(area) - static_cast<uint8_t>(Area::Slot0)].b,
                DRIVE_RECORD_SIZE};
    case Area::ReadBack: return {DriveReadBack.b, DRIVE_RECORD_SIZE};
    case Area::Rx: return {DriveRecordRx.b, DRIVE_RECORD_SIZE};
    case Area::Tx: return {DriveRecordTx.b, DRIVE_RECORD_SIZE};
    case Area::Live: return {reinterpret_cast<uint8_t*>(&BusLiveValues), sizeof BusLiveValues};
    case Area::LiveReadBack: return {reinterpret_cast<uint8_t*>(&BusLiveReadBack), sizeof BusLiveReadBack};
    case Area::DriveName: return {reinterpret_cast<uint8_t*>(DriveNameText), sizeof DriveNameText};
    case Area::DriveSw: return {reinterpret_cast<uint8_t*>(DriveSwText), sizeof DriveSwText};
    case Area::IdentProduct: return {reinterpret_cast<uint8_t*>(&CanIdentProductCode), sizeof CanIdentProductCode};
    case Area::IdentRevision: return {reinterpret_cast<uint8_t*>(&CanIdentRevision), sizeof CanIdentRevision};
    case Area::IdentProductReadBack:
        return {reinterpret_cast<uint8_t*>(&CanIdentProductReadBack), sizeof CanIdentProductReadBack};
    case Area::IdentRevisionReadBack:
        return {reinterpret_cast<uint8_t*>(&CanIdentRevisionReadBack), sizeof CanIdentRevisionReadBack};
    }
    return {nullptr, 0};
}

}  // namespace

std::size_t Loc_area_size(Area area) { return area_storage(area).size; }

uint8_t* Loc_ptr(Loc loc) { return Loc_ptr_n(loc, 1); }

uint8_t* Loc_ptr_n(Loc loc, std::size_t n)
{
    const AreaStorage s = area_storage(loc.area);
    if (s.base == nullptr || loc.ofs > s.size || n > s.size - loc.ofs)
        return nullptr;
    return s.base + loc.ofs;
}

Loc Loc_readback(Loc var)
{
    switch (var.area) {
    case Area::Slot0: return {Area::ReadBack, var.ofs};
    case Area::Live: return {Area::LiveReadBack, var.ofs};
    case Area::IdentProduct: return {Area::IdentProductReadBack, var.ofs};
    case Area::IdentRevision: return {Area::IdentRevisionReadBack, var.ofs};
    default: return var;
    }
}

// ---- lookup ----

namespace {

void show_error(const char* text)
{
    Msgbox_show({MsgIcon::Error, Msgbox_title(LanguageIndex), text, MsgOk});
}

uint16_t slot_bus_type(uint8_t slot)
{
    return Rec_get<uint16_t>(DriveRecordBank[slot], RecOfs::BusType);
}

bool same_var(const BusObjectEntry& e, Loc key) { return e.var == key; }

}  // namespace

int Busx_in_common_range(Loc loc)
{
    if (loc.area != Area::Slot0)
        return 0;
    for (const RecordRange& r : BusCommonRanges)
        if (loc.ofs >= r.first && loc.ofs < r.end)
            return 1;
    return 0;
}

int32_t Busx_bsearch(Loc key, const BusObjectEntry* table, uint16_t count)
{
    if (table == nullptr || count == 0)
        return -1;
    uint16_t lo = 0;
    uint16_t hi = static_cast<uint16_t>(count - 1);
    uint16_t d;
    do {
        if (same_var(table[hi], key))
            return hi;
        if (same_var(table[lo], key))
            return lo;
        d = static_cast<uint16_t>((hi - lo) / 2);
        if (table[lo + d].var >= key)
            hi = static_cast<uint16_t>(lo + d);
        else
            lo = static_cast<uint16_t>(lo + d);
    } while (d != 0);
    if (same_var(table[hi], key))
        return hi;
    if (same_var(table[lo], key))
        return lo;
    return -1;
}

BusLookup Busx_find(uint16_t bus_type, Loc loc)
{
    if (loc.area == Area::Slot1)
        loc.area = Area::Slot0;
    BusLookup r;
    const BusObjectTable* t = nullptr;
    if (Busx_in_common_range(loc)) {
        t = &BusObjectTables.common;
        r.kind = BusKind::Common;
    } else if (bus_type < 2) {
        t = &BusObjectTables.modbus;
        r.kind = BusKind::Modbus;
    } else if (bus_type == 2) {
        t = &BusObjectTables.canopen;
        r.kind = BusKind::Canopen;
    }
    if (t == nullptr)
        return r;
    r.table = t->entries;
    r.count = t->count;
    if (r.count != 0)
        r.index = Busx_bsearch(loc, r.table, r.count);
    return r;
}

BusLookup Busx_find_bus(Loc loc, uint16_t bus_type)
{
    BusLookup r = Busx_find(bus_type, loc);
    if (!r.found()) {
        show_error("2 INDEX NOT EXIST!");
        return BusLookup{};
    }
    return r;
}

BusLookup Busx_find_slot(Loc loc, uint8_t slot)
{
    if (slot > 3) {
        show_error("2 INDEX NOT EXIST!");
        return BusLookup{};
    }
    return Busx_find_bus(loc, slot_bus_type(slot));
}

int get_bus_ob_flg(Loc loc, uint8_t* kind, uint16_t* flags)
{
    const BusLookup r = Busx_find(slot_bus_type(0), loc);
    if (!r.found()) {
        show_error("get_bus_ob_flg: INDEX PAR Not EXIST!");
        return 0;
    }
    if (kind != nullptr)
        *kind = r.kind;
    if (flags != nullptr)
        *flags = r.entry()->flags;
    return 1;
}

uint8_t Busx_bus_class(uint16_t bus_type)
{
    if (bus_type < 2)
        return BusKind::Modbus;
    return bus_type == 2 ? BusKind::Canopen : 0;
}

// ---- write descriptor and poll list ----

int Busx_make_request(Loc loc, BusWriteItem* item)
{
    if (item == nullptr)
        return 0;
    const BusLookup r = Busx_find(slot_bus_type(0), loc);
    const BusObjectEntry* e = r.entry();
    if (e == nullptr) {
        show_error("1 INDEX NOT EXIST!");
        return 0;
    }
    BusWriteItem w{};
    w.key = e->index;
    w.subindex = e->subindex;
    w.bits = static_cast<uint8_t>((r.kind & BusWriteBit::KindMask) |
                                  (BusFlag_size(e->flags) << BusWriteBit::SizeShift));
    std::size_t n = BusFlag_size(e->flags);
    if (r.kind == BusKind::Modbus && BusFlag_pair(e->flags) == 1) {
        w.bits |= BusWriteBit::Pair;
        n = 4;
    }
    if (n > sizeof w.value)
        n = sizeof w.value;
    if (const uint8_t* src = Loc_ptr_n(loc, n); src != nullptr && n != 0)
        std::memcpy(w.value, src, n);
    *item = w;
    return 1;
}

void Busx_fill_poll_list(PollItem* items, uint16_t count)
{
    if (items == nullptr)
        return;
    const uint16_t bus_type = slot_bus_type(0);
    for (uint16_t i = 0; i < count; ++i) {
        const BusObjectEntry* e = Busx_find(bus_type, items[i].var).entry();
        if (e == nullptr) {
            show_error("2 INDEX NOT EXIST!");
            continue;
        }
        items[i].key = e->index;
        items[i].subindex = e->subindex;
        items[i].flags = e->flags;
    }
}

// ---- edit rule ----

namespace {
constexpr uint16_t ACCESS_LINK_READY = 1u << 0;
constexpr uint16_t ACCESS_STATUS5 = 1u << 1;
constexpr uint16_t ACCESS_STATUS6 = 1u << 2;
constexpr uint16_t ACCESS_REMOTE = 1u << 3;
}  // namespace

EditDecision Busx_edit_decision(bool found, uint8_t kind, uint16_t flags, uint16_t access, uint8_t ui_flags)
{
    if (!found)
        return EditDecision::NoEntry;
    if ((access & ACCESS_LINK_READY) == 0)
        return EditDecision::LinkNotReady;
    const bool profile_entry = kind == BusKind::Modbus || kind == BusKind::Canopen;
    if ((ui_flags & UiFlag::FieldBus) != 0 && profile_entry && (access & ACCESS_REMOTE) == 0)
        return EditDecision::FieldBusLock;
    const uint8_t level = BusFlag_level(flags);
    const bool level_ok =
        level == 0 || (access & ACCESS_STATUS5) == 0 || (level == 1 && (access & ACCESS_STATUS6) == 0);
    return level_ok ? EditDecision::Editable : EditDecision::LevelLock;
}
