#include "drivedata/Busdat.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// One dictionary entry before its flags are packed.
struct EntrySource {
    uint16_t index;
    uint8_t subindex;
    Loc var;
    FieldType type;
    bool text;
    uint8_t pair;
    uint8_t level;
    int64_t min;
    int64_t max;
    const char* caption[3];
    const char* unit;
    const char* unit_linear;
};

const char* text_or_null(const char* s) { return (s != nullptr && *s != '\0') ? s : nullptr; }

uint16_t attributes(uint16_t index, uint8_t sub, uint16_t entry_type, const BusAttrLists& a)
{
    uint16_t attr = 0;
    if (!Busdat_in_spans(a.bit4_clear, index, sub))
        attr |= 0x10;
    if (!Busdat_in_spans(a.bit3_clear, index, sub))
        attr |= 0x08;
    if (Busdat_in_spans(a.bit2_set, index, sub))
        attr |= 0x04;
    if (Busdat_in_spans(a.bit1_set, index, sub))
        attr |= 0x02;
    if (entry_type != BusEntryType::Number)
        attr |= 0x01;
    return attr;
}

BusObjectEntry make_entry(const EntrySource& s, const BusAttrLists& attrs)
{
    BusObjectEntry e{};
    e.index = s.index;
    e.subindex = s.subindex;
    e.var = s.var;
    e.maximum = static_cast<uint32_t>(s.max);
    e.minimum = static_cast<uint32_t>(s.min);
    e.type = s.text ? BusEntryType::Text
                    : (s.type == FieldType::Block16 ? BusEntryType::Block : BusEntryType::Number);
    const std::size_t size = s.pair != 0 ? 2 : (e.type == BusEntryType::Number ? Field_size(s.type) : 0);
    e.flags = static_cast<uint16_t>(attributes(s.index, s.subindex, e.type, attrs) |
                                    (size << BusFlag::SizeShift) | (s.pair << BusFlag::PairShift) |
                                    ((s.level & 3u) << BusFlag::LevelShift) |
                                    (Field_signed(s.type) ? BusFlag::Signed : 0));
    for (int i = 0; i < 3; ++i)
        e.caption[i] = s.caption[i];
    e.unit = s.unit;
    e.unit_linear = s.unit_linear;
    return e;
}

// Adds one source, or the two registers of a 32-bit Modbus pair (the second one 2 bytes further).
void add_source(std::vector<EntrySource>& out, EntrySource s, int32_t key2)
{
    if (key2 < 0) {
        out.push_back(s);
        return;
    }
    s.pair = 1;
    out.push_back(s);
    s.index = static_cast<uint16_t>(key2);
    s.var = Loc_plus(s.var, 2);
    s.pair = 2;
    out.push_back(s);
}

void add_field_row(std::vector<EntrySource>& out, const FieldRow& r, uint8_t kind)
{
    EntrySource s{};
    s.var = RecLoc(r.offset);
    s.type = r.type;
    s.min = r.min;
    s.max = r.max;
    for (int i = 0; i < 3; ++i)
        s.caption[i] = r.named ? r.caption[i] : nullptr;
    const bool unit_dropped = kind == BusKind::Canopen && r.unit_modbus_only;
    s.unit = unit_dropped ? nullptr : text_or_null(r.unit);
    s.unit_linear = (s.unit != nullptr && std::strcmp(r.unit_linear, r.unit) != 0) ? text_or_null(r.unit_linear)
                                                                                   : nullptr;
    switch (kind) {
    case BusKind::Common:
        if (r.common < 0)
            return;
        s.index = static_cast<uint16_t>(r.common);
        s.level = r.level_modbus;
        add_source(out, s, -1);
        break;
    case BusKind::Modbus:
        if (r.modbus < 0)
            return;
        s.index = static_cast<uint16_t>(r.modbus);
        s.level = r.level_modbus;
        add_source(out, s, r.modbus2);
        break;
    default:
        if (r.canopen < 0)
            return;
        s.index = static_cast<uint16_t>(r.canopen);
        s.subindex = r.canopen_sub;
        s.level = r.level_canopen;
        add_source(out, s, -1);
        break;
    }
}

void add_live_row(std::vector<EntrySource>& out, const BusLiveRow& r)
{
    EntrySource s{};
    s.index = r.key;
    s.subindex = r.subindex;
    s.var = r.var;
    s.type = r.type;
    s.text = r.text;
    s.min = r.min;
    s.max = r.max;
    for (int i = 0; i < 3; ++i)
        s.caption[i] = r.caption[i];
    s.unit = r.unit;
    add_source(out, s, r.key2);
}

}  // namespace

bool Busdat_in_spans(std::span<const BusKeySpan> spans, uint16_t index, uint8_t subindex)
{
    return std::any_of(spans.begin(), spans.end(), [&](const BusKeySpan& k) {
        return index >= k.first && index <= k.last && subindex >= k.sub_lo && subindex <= k.sub_hi;
    });
}

void Busdat_build(BusObjectEntry* out, uint16_t count, uint8_t kind, std::span<const BusLiveRow> live,
                  const BusAttrLists& attrs)
{
    std::vector<EntrySource> src;
    for (std::size_t i = 0; i < FieldTableCount; ++i)
        add_field_row(src, FieldTable[i], kind);
    for (const BusLiveRow& r : live)
        add_live_row(src, r);
    if (src.size() != count) {
        std::fprintf(stderr, "object dictionary %u: %zu entries, %u expected\n", unsigned(kind), src.size(),
                     unsigned(count));
        std::abort();
    }
    std::stable_sort(src.begin(), src.end(), [](const EntrySource& a, const EntrySource& b) {
        return a.index != b.index ? a.index < b.index : a.subindex < b.subindex;
    });
    for (std::size_t i = 0; i < src.size(); ++i)
        out[i] = make_entry(src[i], attrs);
}
