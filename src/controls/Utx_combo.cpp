#include "controls/Utx_combo.h"

#include <algorithm>

#include <QComboBox>
#include <QTableView>

#include "controls/Fit_later.h"
#include "controls/Grid_cells.h"

namespace {

constexpr char GIVEN_WIDTH[] = "utx_combo_given_width";

void fit(QComboBox* box)
{
    box->setMinimumWidth(std::max(box->property(GIVEN_WIDTH).toInt(), box->sizeHint().width()));
}

}  // namespace

void Utx_copy_combo(QComboBox* dst, const QComboBox* src)
{
    if (dst == nullptr || src == nullptr || dst == src)
        return;
    dst->clear();
    for (int i = 0; i < src->count(); ++i)
        dst->addItem(src->itemIcon(i), src->itemText(i), src->itemData(i));
    dst->setCurrentIndex(src->currentIndex());
}

void Utx_combo_fit(QComboBox* box)
{
    if (box == nullptr || box->property(GIVEN_WIDTH).isValid())
        return;
    box->setProperty(GIVEN_WIDTH, box->minimumWidth());
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QAbstractItemModel* items = box->model();
    const auto refit = [box] { Fit_later(box, fit); };
    QObject::connect(items, &QAbstractItemModel::rowsInserted, box, refit);
    QObject::connect(items, &QAbstractItemModel::rowsRemoved, box, refit);
    QObject::connect(items, &QAbstractItemModel::modelReset, box, refit);
    QObject::connect(items, &QAbstractItemModel::dataChanged, box, refit);
    fit(box);
}

void Utx_fit_texts(QWidget* root)
{
    if (root == nullptr)
        return;
    for (QComboBox* box : root->findChildren<QComboBox*>())
        Utx_combo_fit(box);
    for (QTableView* grid : root->findChildren<QTableView*>())
        Grid_fit_columns(grid);
}
