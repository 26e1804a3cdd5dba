#include "pages/fieldbus/Bus_page.h"

#include <QHBoxLayout>
#include <QLabel>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "link/Seriale_port.h"
#include "pages/Page_controls.h"
#include "pages/ParamPage.h"

bool Bus_link_up()
{
    return Ser_port.is_open() && Ser_tx_state.load() == LinkState::Run &&
           (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers) != 0;
}

QLabel* Bus_value_row(QWidget* parent, QBoxLayout* layout, const char* caption, const char* value, int width)
{
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    Page_label(row, h, caption);
    h->addStretch(1);
    QLabel* v = Page_label(row, h, value);
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    v->setAutoFillBackground(true);
    QPalette p = v->palette();
    p.setColor(QPalette::Window, Qt::white);
    v->setPalette(p);
    v->setFrameShape(QFrame::Panel);
    v->setFrameShadow(QFrame::Sunken);
    if (width > 0)
        v->setFixedWidth(width);
    if (layout != nullptr)
        layout->addWidget(row);
    return v;
}

void Bus_no_values(QWidget* frame, const char* const* names)
{
    if (frame == nullptr)
        return;
    for (; *names != nullptr; ++names)
        Utxgraph_set_text(frame->findChild<QWidget*>(QString::fromLatin1(*names)), QString::fromLatin1(PAGE_NO_VALUE));
}
