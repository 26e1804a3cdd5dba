// Common object dictionary: the record fields both profiles share (header, protection limits,
// bus setup, control type), every one a field-table row with a common key.
#include "drivedata/Busdat.h"

// The original count of this table was 30, but only 29 common keys exist (0000h-0004h,
// 0020h-002Ch, 0032h, 0040h-0048h, 0050h) and no 30th entry is defined, so none is made up.
static_assert(PRT_DAT_COUNT == 29);

BusObjectEntry PrtDat[PRT_DAT_COUNT];

namespace {

[[maybe_unused]] const bool prt_built = (Busdat_build(PrtDat, PRT_DAT_COUNT, BusKind::Common, {}, {}), true);

}  // namespace
