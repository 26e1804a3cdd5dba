#include "drivedata/Init.h"

#include <algorithm>

#include "drivedata/Canopen.h"
#include "drivedata/Fieldtab.h"
#include "drivedata/Mdb.h"
#include "drivedata/Utx.h"

DriveRecord DriveRecordBank[4];
DriveRecord DriveReadBack;
DriveRecord DriveRecordRx;
DriveRecord DriveRecordTx;

void Init_swap_fields(uint8_t* section, RecordSection sec)
{
    if (section == nullptr)
        return;
    const FieldRow* end = FieldTable + FieldTableCount;
    const FieldRow* row = std::lower_bound(FieldTable, end, sec.first,
                                           [](const FieldRow& r, uint16_t o) { return r.offset < o; });
    for (; row != end && row->offset < sec.end; ++row) {
        if (!row->conv)
            continue;
        const std::size_t size = Field_size(row->type);
        if (row->offset + size > sec.end)
            continue;
        uint8_t* p = section + (row->offset - sec.first);
        if (size == 2)
            Utx_swap16(p);
        else if (size == 4)
            Utx_swap32(p);
    }
}

void Init_header_swap(uint8_t*) {}

void Init_protection_swap(uint8_t* section)
{
    Init_swap_fields(section, SwapSections::Protection);
}

void Init_bus_setup_swap(uint8_t* section)
{
    Init_swap_fields(section, SwapSections::BusSetup);
}

void Init_control_type_swap(uint8_t* section)
{
    Init_swap_fields(section, SwapSections::ControlType);
}

void Init_motor_swap(uint8_t* section)
{
    Init_swap_fields(section, SwapSections::Motor);
}

void Init_regulator_swap(uint8_t* section)
{
    Init_swap_fields(section, SwapSections::Regulator);
}

void Init_pos_table_swap(uint8_t* section)
{
    Init_swap_fields(section, SwapSections::PosTable);
}

void Init_swap_image(uint8_t* record)
{
    if (record == nullptr)
        return;
    Init_header_swap(record + SwapSections::Header.first);
    Init_protection_swap(record + SwapSections::Protection.first);
    Init_bus_setup_swap(record + SwapSections::BusSetup.first);
    Init_control_type_swap(record + SwapSections::ControlType.first);
    Init_motor_swap(record + SwapSections::Motor.first);
    Init_regulator_swap(record + SwapSections::Regulator.first);
    Init_pos_table_swap(record + SwapSections::PosTable.first);
    Mdb_swap(record + MdbSections::Record.first);
    Canopen_ds301_swap(record + CanopenSections::Ds301.first);
    Canopen_ds402_swap(record + CanopenSections::Ds402.first);
}
