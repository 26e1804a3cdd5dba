#pragma once
// Advanced Setup page: the drive's size and voltage class of the shown record and the connected
// drive's firmware version, read-only. No edits and no poll list; Timer_monitor_seriale (300 ms)
// writes "-----" when the link is lost and the values again when it is back (context 0).
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(setup_avanzato)

// Size name of record slot (the current size table's row at offset 2) and a blank; "-----" for
// an index the table does not hold.
QString Frm_setup_avanzato_size_text(uint8_t slot);
// Voltage class name of record slot for the settings' family; "?????" for a class it has not.
QString Frm_setup_avanzato_class_text(uint8_t slot);
// Name of voltage class vclass of the settings' family ("60 V"; "230 V", "460 V"); null for a
// class the family has not.
const char* Frm_voltage_class_name(uint16_t vclass);
