#pragma once

class QComboBox;
class QWidget;

// Replaces dst's items by src's items, in order, and selects src's current row.
void Utx_copy_combo(QComboBox* dst, const QComboBox* src);

// A combo that never cuts its texts: at least as wide as its longest item in the current language
// (the width it was given stays its minimum), after every change of the items; its drop-down list,
// never narrower than the combo, shows them whole too.
void Utx_combo_fit(QComboBox* box);
// Utx_combo_fit for every combo box of root, and Grid_fit_columns for its item grids.
void Utx_fit_texts(QWidget* root);
