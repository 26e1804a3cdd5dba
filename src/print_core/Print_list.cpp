// Print list storage, formatters and line makers.
#include "print_core/Print_list.h"

#include <QLocale>

#include "drivedata/Globvar.h"
#include "print_core/Printer_data.h"

PrintPageRec PrintPage;

std::vector<PrintLine> PrintListLines;
std::vector<PrintMark> PrintListMarks;

namespace {

const char* const ADDRESS_TITLE[3][3] = {
    {"", "Indirizzo", "Index/Sub."},
    {"", "Address", "Index/Sub."},
    {"", "Adresse", "Index/Sub."},
};

QString limited(const QString& text, int limit)
{
    return text.size() <= limit ? text : QString();
}

QString entry_name(const BusObjectEntry& e)
{
    const char* name = e.caption[Lang_index()];
    return name != nullptr ? QString::fromUtf8(name) : QString();
}

QString entry_unit(const BusObjectEntry& e, const DriveRecord& record)
{
    const char* unit = e.unit;
    if (Rec_get<uint16_t>(record, RecOfs::MotorType) == 1 && e.unit_linear != nullptr)
        unit = e.unit_linear;
    return unit != nullptr ? QString::fromUtf8(unit) : QString();
}

unsigned value_size(const BusObjectEntry& e, uint16_t profile)
{
    if (profile <= PrintBus::Modbus && BusFlag_pair(e.flags) == 1)
        return 4;
    return BusFlag_size(e.flags);
}

const uint8_t* field_bytes(const DriveRecord& record, Loc field, unsigned n)
{
    if (field.area <= Area::Slot3)
        return field.ofs + n <= DRIVE_RECORD_SIZE ? record.b + field.ofs : nullptr;
    return Loc_ptr_n(field, n);
}

const BusObjectEntry* lookup(Loc field, uint16_t profile)
{
    return Busx_find_bus(field, profile).entry();
}

void add_param(const BusObjectEntry& e, uint16_t profile, const QString& name, const QString& value,
               const QString& unit, uint32_t colour)
{
    PrintLineAdd(FormatParamAddress(e, profile), name, value, unit, 1, colour, PrintKind::Param);
}

}  // namespace

// ---- list operations ----

void PrintLineAdd(const QString& address, const QString& name, const QString& value, const QString& unit,
                  uint8_t align, uint32_t colour, uint8_t kind)
{
    PrintListLines.push_back({limited(address, PrintLimit::Address), limited(name, PrintLimit::Name),
                              limited(value, PrintLimit::Value), limited(unit, PrintLimit::Unit), colour, align, kind});
}

void Print_list_clear_lines()
{
    PrintListLines.clear();
    PrintListLines.shrink_to_fit();
}

void PrintMarkAdd(uint32_t line, uint32_t page)
{
    PrintListMarks.push_back({line, page});
}

std::optional<uint32_t> PrintMarkFind(uint32_t page)
{
    for (const PrintMark& m : PrintListMarks)
        if (m.page == page)
            return m.line;
    return std::nullopt;
}

void Print_list_clear_marks()
{
    PrintListMarks.clear();
    PrintListMarks.shrink_to_fit();
}

// ---- formatters ----

int64_t Print_field_value(const BusObjectEntry& e, const DriveRecord& record, Loc field, uint16_t profile)
{
    const unsigned n = value_size(e, profile);
    if (n != 1 && n != 2 && n != 4)
        return 0;
    const uint8_t* p = field_bytes(record, field, n);
    if (p == nullptr)
        return 0;
    const bool is_signed = (e.flags & BusFlag::Signed) != 0;
    switch (n) {
    case 1: return is_signed ? int64_t{Rec_get<int8_t>(p, 0)} : int64_t{Rec_get<uint8_t>(p, 0)};
    case 2: return is_signed ? int64_t{Rec_get<int16_t>(p, 0)} : int64_t{Rec_get<uint16_t>(p, 0)};
    default: return is_signed ? int64_t{Rec_get<int32_t>(p, 0)} : int64_t{Rec_get<uint32_t>(p, 0)};
    }
}

QString FormatParamValue(const BusObjectEntry& e, const DriveRecord& record, Loc field, uint16_t profile,
                         int decimals)
{
    double v = static_cast<double>(Print_field_value(e, record, field, profile));
    for (int i = 0; i < decimals; ++i)
        v /= 10.0;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(v, 'f', decimals);
}

QString Print_hex(uint64_t value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper() + 'h';
}

QString FormatParamHex(const BusObjectEntry& e, const DriveRecord& record, Loc field, uint16_t profile, int digits)
{
    const auto v = static_cast<qulonglong>(Print_field_value(e, record, field, profile));
    return Print_hex(v, digits);
}

QString FormatParamAddress(const BusObjectEntry& e, uint16_t profile)
{
    auto hex4 = [](unsigned v) { return Print_hex(v, 4); };
    switch (profile) {
    case PrintBus::Modbus:
        if (BusFlag_pair(e.flags) == 1)
            return "[" + hex4(e.index) + "," + hex4(e.index + 1u) + "]";
        return "[" + hex4(e.index) + "]";
    case PrintBus::Canopen:
        return "[" + hex4(e.index) + "," + QString::number(e.subindex) + "]";
    default:
        return QStringLiteral("----");
    }
}

// ---- headings ----

QString Print_address_title(uint16_t profile)
{
    return QString::fromUtf8(ADDRESS_TITLE[Lang_index()][profile < 3 ? profile : 0]);
}

void PrintTitleLine(const QString& text)
{
    PrintLineAdd({}, text, {}, {}, 0, PrintColour::Black, PrintKind::Title);
}

void PrintSectionLine(const QString& text, uint16_t profile)
{
    PrintLineAdd({}, text, {}, {}, 0, PrintColour::Black, PrintKind::Section);
    PrintLineAdd(Print_address_title(profile), {}, {}, {}, 0, PrintColour::Black, PrintKind::ColumnHead);
}

// ---- line makers ----

void PrintParamLine(const DriveRecord& record, Loc field, uint16_t profile, int decimals)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, entry_name(*e), FormatParamValue(*e, record, field, profile, decimals),
                  entry_unit(*e, record), PrintColour::Black);
}

void PrintParamLineNamed(const DriveRecord& record, Loc field, uint16_t profile, int decimals, const QString& name,
                         const QString& unit)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, name, FormatParamValue(*e, record, field, profile, decimals), unit, PrintColour::Black);
}

void PrintParamLineHex(const DriveRecord& record, Loc field, uint16_t profile, int digits)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, entry_name(*e), FormatParamHex(*e, record, field, profile, digits),
                  entry_unit(*e, record), PrintColour::Black);
}

void PrintEnumLine(Loc field, uint16_t profile, uint32_t colour, const QString& value)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, entry_name(*e), value, {}, colour);
}

void PrintEnumLineNamed(Loc field, uint16_t profile, const QString& name, uint32_t colour, const QString& value)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, name, value, {}, colour);
}

void PrintTextLine(Loc field, uint16_t profile, const QString& name, const QString& unit, uint32_t colour,
                   const QString& value)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, name, value, unit, colour);
}

void PrintOnOffLine(Loc field, uint16_t profile, const QString& name, bool flag)
{
    if (const BusObjectEntry* e = lookup(field, profile))
        add_param(*e, profile, name, flag ? QStringLiteral("On") : QStringLiteral("Off"), {},
                  flag ? PrintColour::Red : PrintColour::Grey);
}
