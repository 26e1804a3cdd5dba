#include "controls/Utx_combo.h"

#include <QComboBox>

void Utx_copy_combo(QComboBox* dst, const QComboBox* src)
{
    if (dst == nullptr || src == nullptr || dst == src)
        return;
    dst->clear();
    for (int i = 0; i < src->count(); ++i)
        dst->addItem(src->itemIcon(i), src->itemText(i), src->itemData(i));
    dst->setCurrentIndex(src->currentIndex());
}
