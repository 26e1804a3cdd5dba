#include "drivedata/Mdb.h"

void Mdb_ctrl_swap(uint8_t* section)
{
    Init_swap_fields(section, MdbSections::Ctrl);
}

void Mdb_speed_swap(uint8_t* section)
{
    Init_swap_fields(section, MdbSections::Speed);
}

void Mdb_pos_swap(uint8_t* section)
{
    Init_swap_fields(section, MdbSections::Pos);
}

void Mdb_gear_swap(uint8_t* section)
{
    Init_swap_fields(section, MdbSections::Gear);
}

void Mdb_torque_swap(uint8_t* section)
{
    Init_swap_fields(section, MdbSections::Torque);
}

void Mdb_tail_swap(uint8_t*) {}

void Mdb_swap(uint8_t* section)
{
    if (section == nullptr)
        return;
    auto at = [section](RecordSection sub) { return section + (sub.first - MdbSections::Record.first); };
    Mdb_ctrl_swap(at(MdbSections::Ctrl));
    Mdb_speed_swap(at(MdbSections::Speed));
    Mdb_pos_swap(at(MdbSections::Pos));
    Mdb_gear_swap(at(MdbSections::Gear));
    Mdb_torque_swap(at(MdbSections::Torque));
    Mdb_tail_swap(at(MdbSections::Tail));
}

uint16_t Mdb_control_type_index(int16_t v)
{
    return (v >= 0 && v <= 3) ? static_cast<uint16_t>(v) : 0;
}
