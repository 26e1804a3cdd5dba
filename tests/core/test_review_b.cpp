// Defaults built from a size index past the current table together with a class above 1.
#include <gtest/gtest.h>

#include <cstring>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"

TEST(ReviewDefaults, SizePastTheTableWithClassTwoTakesRowZeroFieldNine)
{
    const DriveSizeTable& saved = CurrentSizeTable.get();
    Frm_output_build_size_tables();
    CurrentSizeTable = SizeTableOrvel;
    for (uint8_t size : {uint8_t{6}, uint8_t{255}}) {
        for (uint8_t cls : {uint8_t{2}, uint8_t{3}}) {
            DriveRecord r;
            std::memset(r.b, 0xEE, sizeof r.b);
            Init_default_image(r, size, cls, FAMILY_FLAG_ORVEL);
            EXPECT_EQ(Rec_get<uint16_t>(r, 48), 700) << int(size) << "/" << int(cls);
            EXPECT_EQ(r.b[2], size);
            EXPECT_EQ(Rec_get<uint16_t>(r, 64), cls);
        }
    }
    CurrentSizeTable = saved;
}
