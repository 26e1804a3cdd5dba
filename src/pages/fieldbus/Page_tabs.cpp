#include "pages/fieldbus/Page_tabs.h"

#include <QGroupBox>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "pages/ParamPage.h"

QTabWidget* Page_tabs(QWidget* parent, QVBoxLayout* layout, const char* name, std::initializer_list<const char*> sheets)
{
    auto* tabs = new QTabWidget(parent);
    tabs->setObjectName(QString::fromLatin1(name));
    // Every tab's caption whole: the tab widget takes the room of its whole row of tabs.
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);
    for (const char* s : sheets) {
        auto* sheet = new QWidget(tabs);
        sheet->setObjectName(QString::fromLatin1(s));
        new QVBoxLayout(sheet);
        tabs->addTab(sheet, QString::fromLatin1(s));
    }
    if (layout != nullptr)
        layout->addWidget(tabs);
    return tabs;
}

void Page_move_flow(QGroupBox* box, QWidget* sheet, const char* panel)
{
    auto* p = box->findChild<FlowPanel*>(QString::fromLatin1(panel));
    if (p == nullptr || sheet == nullptr)
        return;
    p->setParent(sheet);
    if (auto* column = qobject_cast<QVBoxLayout*>(sheet->layout()))
        column->addWidget(p);
}

void Page_show_sheet(ParamPage& page, uint8_t ctx, QWidget* sheet)
{
    if (sheet == nullptr)
        return;
    const uint8_t was = page.ready();
    page.set_ready(0);
    for (int i = 0; i < page.spec().field_count; ++i)
        if (MemoUpDwxBase* e = page.edit(ctx, i); e != nullptr && sheet->isAncestorOf(e->panel()))
            e->show();
    page.set_ready(was);
}

int Page_tab_shown(const ParamPage& page, const char* tabs)
{
    auto* t = page.find<QTabWidget>(0, tabs);
    return t == nullptr ? -1 : t->currentIndex();
}

void Page_select_tab(const ParamPage& page, uint8_t ctx, const char* tabs, int index)
{
    auto* t = page.find<QTabWidget>(ctx, tabs);
    if (t == nullptr || index < 0 || index >= t->count())
        return;
    const QSignalBlocker quiet(t);
    t->setCurrentIndex(index);
}
