#pragma once
// A test's change of the drive identification, published whole as an identification reply is.
#include "drivedata/Globvar.h"

template <typename F>
void Drive_ident_edit(F&& change)
{
    DriveIdentRec id = Drive_ident_get();
    change(id);
    Drive_ident_publish(id);
}
