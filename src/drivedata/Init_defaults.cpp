// Factory defaults of the drive record, section by section. Plain values come from the field
// table's Default column; this file adds what depends on size, voltage class, family and node id,
// the words whose defaults change only some bits, and the live CANopen values.
#include <algorithm>
#include <cstring>

#include "drivedata/Busx.h"
#include "drivedata/Canopen.h"
#include "drivedata/Fieldtab.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Mdb.h"
#include "drivedata/Versoftw.h"

namespace {

// Words whose defaults clear and set some bits; the other bits keep their value.
struct BitDefault {
    uint16_t offset;
    uint16_t clear;
    uint16_t set;
};
constexpr BitDefault BitDefaults[] = {
    {108, 0x0006, 0x0000},  // bus flags: bits 1 and 2 cleared
    {130, 0x0002, 0x0000},  // motor word: bit 1 cleared
    {182, 0x0003, 0x0000},  // regulator word A: bits 0 and 1 cleared
    {184, 0x000F, 0x000A},  // regulator word B: bits 1 and 3 set, bits 0 and 2 cleared
    {408, 0x0017, 0x0005},  // positioning flags: low three bits 5, bit 4 cleared
    {464, 0x0001, 0x0000},  // Modbus control word: bit 0 cleared
};

// COB-IDs: base + node id.
struct CobIdDefault {
    uint16_t offset;
    uint32_t base;
};
constexpr CobIdDefault CobIdDefaults[] = {
    {1580, 0x080},  // emergency
    {1584, 0x600},  // SDO client
    {1588, 0x580},  // SDO server
    {1596, 0x200}, {1604, 0x300}, {1612, 0x400}, {1620, 0x500},  // receive PDOs 1-4
    {1772, 0x180}, {1788, 0x280}, {1804, 0x380}, {1820, 0x480},  // transmit PDOs 1-4
};

// Ranges of the CANopen communication block that Canopen_pdo_defaults owns: the receive and
// transmit mapping objects with their entry counts.
constexpr RecordSection PdoMapSections[] = {{1628, 1772}, {1836, 1980}};
constexpr RecordSection Ds301CommSections[] = {{1536, 1628}, {1772, 1836}};

constexpr RecordSection MdbClearedTail{872, 1152};

struct VoltageLimits {
    uint16_t over_max;
    uint16_t over_hyst;
    uint16_t under_max;
    uint16_t under_hyst;
};
constexpr VoltageLimits OrvelVoltage = {80, 5, 15, 5};
constexpr VoltageLimits PelsanVoltage[2] = {{410, 10, 225, 10}, {825, 10, 450, 10}};  // class 0, other

struct BrakingLimits {
    uint16_t max;
    uint16_t hyst;
};
constexpr BrakingLimits Braking[2] = {{390, 30}, {790, 50}};  // class 0, other

constexpr uint16_t OFS_OVER_VOLTAGE = 38;
constexpr uint16_t OFS_OVER_TEMP = 48;
constexpr uint16_t OFS_BRAKING = 60;
constexpr uint16_t OFS_NODE_ID = 102;
constexpr uint16_t OFS_MODES_OF_OPERATION = 2052;  // 6060h

bool is_special(uint16_t offset)
{
    for (const BitDefault& b : BitDefaults) {
        if (b.offset == offset)
            return true;
    }
    for (const CobIdDefault& c : CobIdDefaults) {
        if (c.offset == offset)
            return true;
    }
    return false;
}

void write_value(uint8_t* p, const FieldRow& row)
{
    switch (Field_size(row.type)) {
    case 1: *p = static_cast<uint8_t>(row.def_value); break;
    case 2: Rec_set<uint16_t>(p, 0, static_cast<uint16_t>(row.def_value)); break;
    case 4: Rec_set<uint32_t>(p, 0, static_cast<uint32_t>(row.def_value)); break;
    default: std::memset(p, static_cast<uint8_t>(row.def_value), Field_size(row.type)); break;
    }
}

// Writes the Default column of every plain-valued field in sec; section points at sec.first.
void apply_table(uint8_t* section, RecordSection sec)
{
    const FieldRow* end = FieldTable + FieldTableCount;
    const FieldRow* row = std::lower_bound(FieldTable, end, sec.first,
                                           [](const FieldRow& r, uint16_t o) { return r.offset < o; });
    for (; row != end && row->offset < sec.end; ++row) {
        if (row->def_kind != DefaultKind::Value || is_special(row->offset))
            continue;
        if (row->offset + Field_size(row->type) > sec.end)
            continue;
        write_value(section + (row->offset - sec.first), *row);
    }
}

void apply_bits(uint8_t* section, RecordSection sec)
{
    for (const BitDefault& b : BitDefaults) {
        if (b.offset < sec.first || b.offset + 2 > sec.end)
            continue;
        uint8_t* p = section + (b.offset - sec.first);
        Rec_set<uint16_t>(p, 0, static_cast<uint16_t>((Rec_get<uint16_t>(p, 0) & ~b.clear) | b.set));
    }
}

void apply_section(uint8_t* section, RecordSection sec)
{
    if (section == nullptr)
        return;
    apply_table(section, sec);
    apply_bits(section, sec);
}

uint8_t class_of(const uint8_t* record)
{
    return record[RecOfs::VoltageClass] & 3;
}

}  // namespace

uint16_t Init_overtemp_limit(const DriveSizeTable& table, uint8_t size_index, uint8_t voltage_class)
{
    if (table.src == nullptr || table.count == 0)
        return 0;
    // An index outside the family's table (another family's size, an unknown code) takes row 0.
    const DriveSizeRow& row = table.src[size_index < table.count ? size_index : 0];
    return row.overtemp[(voltage_class & 3) == 0 ? 0 : 1];
}

void Init_header_defaults(uint8_t* header)
{
    if (header == nullptr)
        return;
    header[RecOfs::AlarmMemByte] = 0;
    header[RecOfs::VersionMajor] = ProgramVersion.major;
    header[RecOfs::VersionMinor] = ProgramVersion.minor;
}

void Init_voltage_limits(uint8_t* record, uint8_t family_flag)
{
    if (record == nullptr)
        return;
    const VoltageLimits& v =
        family_flag == FAMILY_FLAG_ORVEL ? OrvelVoltage : PelsanVoltage[class_of(record) != 0];
    const uint16_t words[4] = {v.over_max, v.over_hyst, v.under_max, v.under_hyst};
    for (int i = 0; i < 4; ++i)
        Rec_set<uint16_t>(record, OFS_OVER_VOLTAGE + 2 * i, words[i]);
}

void Init_protection_defaults(uint8_t* record, uint8_t family_flag)
{
    if (record == nullptr)
        return;
    const uint8_t cls = class_of(record);
    apply_section(record + SwapSections::Protection.first, SwapSections::Protection);
    Init_voltage_limits(record, family_flag);
    Rec_set<uint16_t>(record, OFS_OVER_TEMP,
                      Init_overtemp_limit(CurrentSizeTable, record[RecOfs::SizeIndex], cls));
    const BrakingLimits& b = Braking[cls != 0];
    Rec_set<uint16_t>(record, OFS_BRAKING, b.max);
    Rec_set<uint16_t>(record, OFS_BRAKING + 2, b.hyst);
    Rec_set<uint16_t>(record, RecOfs::VoltageClass, cls);
}

void Init_bus_setup_defaults(uint8_t* section)
{
    apply_section(section, SwapSections::BusSetup);
}

void Init_control_type_default(uint8_t* section)
{
    apply_section(section, SwapSections::ControlType);
}

void Init_motor_defaults(uint8_t* section)
{
    apply_section(section, SwapSections::Motor);
}

void Init_motor_defaults(MotorRecord& motor)
{
    Init_motor_defaults(motor.b);
}

void Init_regulator_defaults(uint8_t* section)
{
    apply_section(section, SwapSections::Regulator);
}

void Init_pos_table_defaults(uint8_t* section)
{
    apply_section(section, SwapSections::PosTable);
}

void Mdb_ctrl_defaults(uint8_t* section)
{
    apply_section(section, MdbSections::Ctrl);
}

void Mdb_speed_defaults(uint8_t* section)
{
    apply_section(section, MdbSections::Speed);
}

void Mdb_pos_defaults(uint8_t* section)
{
    apply_section(section, MdbSections::Pos);
}

void Mdb_gear_defaults(uint8_t* section)
{
    apply_section(section, MdbSections::Gear);
}

void Mdb_torque_defaults(uint8_t* section)
{
    apply_section(section, MdbSections::Torque);
}

void Mdb_clear_tail(uint8_t* section)
{
    if (section != nullptr)
        std::memset(section, 0, MdbClearedTail.end - MdbClearedTail.first);
}

void Mdb_defaults(uint8_t* section)
{
    if (section == nullptr)
        return;
    auto at = [section](RecordSection s) { return section + (s.first - MdbSections::Record.first); };
    Mdb_ctrl_defaults(at(MdbSections::Ctrl));
    Mdb_speed_defaults(at(MdbSections::Speed));
    Mdb_pos_defaults(at(MdbSections::Pos));
    Mdb_gear_defaults(at(MdbSections::Gear));
    Mdb_torque_defaults(at(MdbSections::Torque));
    Mdb_clear_tail(at(MdbClearedTail));
}

void Canopen_pdo_defaults(uint8_t* section)
{
    if (section == nullptr)
        return;
    for (RecordSection s : PdoMapSections)
        apply_table(section + (s.first - CanopenSections::Ds301.first), s);
    Busx_set_identity_defaults();
}

void Canopen_ds301_defaults(uint8_t* section, uint8_t node_id)
{
    if (section == nullptr)
        return;
    for (RecordSection s : Ds301CommSections)
        apply_table(section + (s.first - CanopenSections::Ds301.first), s);
    for (const CobIdDefault& c : CobIdDefaults)
        Rec_set<uint32_t>(section, c.offset - CanopenSections::Ds301.first, c.base + node_id);
    Busx_set_store_defaults();
    Canopen_pdo_defaults(section);
}

void Canopen_ds402_defaults(uint8_t* section)
{
    if (section == nullptr)
        return;
    apply_table(section, CanopenSections::Ds402);
    Busx_set_modes_display(static_cast<int8_t>(section[OFS_MODES_OF_OPERATION - CanopenSections::Ds402.first]));
}

void Init_default_image(DriveRecord& record, uint8_t size_index, uint8_t voltage_class,
                        uint8_t family_flag)
{
    uint8_t* r = record.b;
    std::memset(r, 0, DRIVE_RECORD_SIZE);
    r[RecOfs::SizeIndex] = size_index;
    r[RecOfs::VoltageClass] = static_cast<uint8_t>((r[RecOfs::VoltageClass] & ~3) | (voltage_class & 3));
    Init_header_defaults(r);
    Init_protection_defaults(r, family_flag);
    Init_bus_setup_defaults(r + SwapSections::BusSetup.first);
    Init_control_type_default(r + SwapSections::ControlType.first);
    Init_motor_defaults(r + SwapSections::Motor.first);
    Init_regulator_defaults(r + SwapSections::Regulator.first);
    Init_pos_table_defaults(r + SwapSections::PosTable.first);
    Mdb_defaults(r + MdbSections::Record.first);
    Canopen_ds301_defaults(r + CanopenSections::Ds301.first, r[OFS_NODE_ID]);
    Canopen_ds402_defaults(r + CanopenSections::Ds402.first);
    r[RecOfs::Mark] = RECORD_MARK;
    Rec_set<uint16_t>(r, RecOfs::EndMarker, RECORD_END_MARKER);
    r[RecOfs::CheckByte] = DataFile_xor(r + 1, DRIVE_RECORD_SIZE - 1);
}
