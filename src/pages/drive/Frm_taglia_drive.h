#pragma once
// Reserved Setup page: the drive size chosen from the current family's size table, the voltage
// class, and the three protection limits of the size. No poll list and no Timer_com; Timer_ctrl
// (30 ms) reports a size the table does not hold, once per Refresh.
#include <QColor>
#include <QString>

#include "drivedata/Frm_output_sizes.h"
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(taglia_drive)

// One cell of StringGrid_taglia_corrente: row 0 the header, row r the sorted entry r - 1 with the
// over-temperature limit of voltage class vclass ("-----" for a class the rows do not hold).
struct SizeGridCell {
    QString text;
    uint8_t align;  // AlignLeft, AlignRight, AlignCentre
    QColor colour;
};
SizeGridCell Frm_taglia_drive_cell(const DriveSizeTable& table, int row, int column, uint16_t vclass);

// " [ 3° ] " for sorted position 2 (positions shown from 1).
QString Frm_taglia_drive_position_text(uint16_t position);
