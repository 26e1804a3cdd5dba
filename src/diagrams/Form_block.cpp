#include "diagrams/Form_block.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/Page_column.h"
#include "diagrams/Diagram_host.h"
#include "drivedata/Globvar.h"
#include "link/Sertx.h"

PageNode* Form_block_node = nullptr;
TForm_block_dat* Form_block_dat = nullptr;

namespace {
constexpr int BAR_HEIGHT = 64;
constexpr int DEFAULT_HEIGHT = 321;
constexpr int DEFAULT_WIDTH = 314;
const char* const CLOSE_TEXT[3] = {"Chiudi", "Close", "Fermer"};

uint8_t context() { return static_cast<uint8_t>(PageContext.load() & 1); }
}  // namespace

TForm_block_dat::TForm_block_dat(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm_block_dat"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel_block_dat = new PageColumn(this);
    Panel_block_dat->setObjectName(QStringLiteral("Panel_block_dat"));
    layout->addWidget(Panel_block_dat, 1);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(BAR_HEIGHT);
    layout->addWidget(Panel1);
    auto* bar = new QVBoxLayout(Panel1);
    bar->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(Panel1);
    group->setObjectName(QStringLiteral("GroupBox_block_dat"));
    GroupBox_block_dat = group;
    bar->addWidget(group);
    auto* row = new QHBoxLayout(group);
    BitBtn_close = new QPushButton(group);
    BitBtn_close->setObjectName(QStringLiteral("BitBtn_close"));
    BitBtn_close->setFixedSize(97, 35);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(15);
    f.setBold(true);
    BitBtn_close->setFont(f);
    row->addWidget(BitBtn_close, 0, Qt::AlignHCenter);
    connect(BitBtn_close, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_block_dat::FormShow()
{
    int32_t height = DEFAULT_HEIGHT;
    int32_t width = DEFAULT_WIDTH;
    const DiagramPage page = Diagram_page(Form_block_node);
    if (page.refresh != nullptr)
        page.refresh(context());
    if (DiagramHost.page_size != nullptr && !DiagramHost.page_size(Form_block_node, context(), &height, &width)) {
        height = DEFAULT_HEIGHT;
        width = DEFAULT_WIDTH;
    }
    BitBtn_close->setText(QString::fromUtf8(CLOSE_TEXT[Lang_index()]));
    resize(width, height + BAR_HEIGHT);  // never below the least size the page's layout takes
}

void TForm_block_dat::FormClose()
{
    const DiagramPage page = Diagram_page(Form_block_node);
    if (page.destroy != nullptr)
        page.destroy(context());
    Form_block_node = nullptr;
}

// Every way the popup ends (Close, Escape, the window's close box) destroys the page.
void TForm_block_dat::done(int result)
{
    if (Form_block_node != nullptr)
        FormClose();
    QDialog::done(result);
}

void Form_block_show(PageNode* node, uint16_t ctx)
{
    const DiagramPage page = Diagram_page(node);
    if (page.create == nullptr || Form_block_dat != nullptr)
        return;
    Form_block_node = node;
    TForm_block_dat popup;
    Form_block_dat = &popup;
    page.create(static_cast<uint8_t>(ctx & 1), popup.Panel_block_dat);
    popup.FormShow();
    popup.exec();
    if (Form_block_node != nullptr)
        popup.FormClose();
    Form_block_dat = nullptr;
}
