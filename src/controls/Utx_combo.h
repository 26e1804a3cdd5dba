#pragma once

class QComboBox;

// Replaces dst's items by src's items, in order, and selects src's current row.
void Utx_copy_combo(QComboBox* dst, const QComboBox* src);
