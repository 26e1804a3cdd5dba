// Bus type and field-bus status word of the connected drive.
#include "drivedata/Busctrl.h"

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"

uint16_t Busctrl_bus_type()
{
    return Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType);
}

uint16_t Busctrl_status_word()
{
    return Drive_status_get().bus_status;
}
