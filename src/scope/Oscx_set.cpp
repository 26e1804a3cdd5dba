// The scope's channel settings dialog.
#include "scope/Oscx_set.h"

#include <algorithm>
#include <string>

#include <QBoxLayout>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "controls/Graph_draw.h"
#include "controls/Grid_cells.h"
#include "controls/Utx_combo.h"
#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "scope/Oscx.h"
#include "scope/Oscx_load_dat.h"
#include "scope/Oscx_print.h"

namespace {

using Texts = const char* const[3];

Texts CAPTION = {"Impostazioni", "Setting", "Configurations"};
Texts TIME = {"Tempo Campionamento", "Time Sampling", "Temps Échantillonnage"};
Texts SELECTION = {"Selezione Canali", "Channels Selection", "Sélection Canaux"};
Texts CHANNEL = {"Canale CH", "Channel CH", "Canal CH"};
Texts CANCEL = {"Annulla", "Cancel", "Annuler"};
const char* const HEADER[3][5] = {
    {"N°", "CH", "Tipo", "Descrizione", "Unità"},
    {"N°", "CH", "Type", "Description", "Unit"},
    {"N°", "CH", "Type", "Description", "Unité"},
};
// The conflict question exists in Italian only.
const char* const CONFLICT_TITLE = "Attenzione";
const char* const CONFLICT_TEXT = "Segnale già impostato su CH";
const char* const CONFLICT_END = " - Continuare?";

constexpr uint32_t RED = 0x0000FF;
constexpr uint32_t BLUE = 0xFF0000;
constexpr uint32_t BLACK = 0x000000;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t NAVY = 0x800000;
constexpr uint32_t USED_ROW = 0xC6FCFD;
constexpr int GRID_COLUMNS = 5;
constexpr int COLUMN_WIDTH[GRID_COLUMNS] = {32, 55, 98, 171, 64};
constexpr int ROW_HEIGHT = 18;
constexpr int GRID_FONT_SIZE = 10;
constexpr int SWATCH_SIZE = 16;
constexpr int NAME_WIDTH = 150;
constexpr int BUTTON_PANEL_HEIGHT = 40;
constexpr int BUTTON_SHARE = 8;  // OK and Cancel sit one eighth of the free width in

QString utf8(const char* s) { return QString::fromUtf8(s); }

// "[0n]" below 10, "[n]" otherwise.
QString index_text(int n) { return n < 10 ? QStringLiteral("[0%1]").arg(n) : QStringLiteral("[%1]").arg(n); }

// The first channel of the edited settings that holds signal n, -1 when none does.
int holder(int n, int skip = -1)
{
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
        if (static_cast<int>(k) != skip && ScopeSettingsEdit.channel[k].signal_index == n &&
            Scope_signal_at(static_cast<uint16_t>(n)) != nullptr)
            return static_cast<int>(k);
    }
    return -1;
}

int signal_count() { return ScopeSignalTable.entries != nullptr ? ScopeSignalTable.count : 0; }

QFont grid_font(bool bold)
{
    QFont f(QStringLiteral("Arial"), GRID_FONT_SIZE);
    f.setBold(bold);
    return f;
}

// Channel combo items, painted by the dialog.
class SignalItems : public QStyledItemDelegate {
public:
    SignalItems(TForm_Oscx_Set* form, unsigned k, QObject* parent) : QStyledItemDelegate(parent), form_(form), k_(k) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Canvas canvas(painter);
        canvas.brush = QBrush(option.state & QStyle::State_Selected ? option.palette.highlight().color() : clWhite);
        void (TForm_Oscx_Set::*const draw[SCOPE_CHANNELS])(Canvas&, int, const DrawRect&, bool) = {
            &TForm_Oscx_Set::ComboBox_CH0DrawItem, &TForm_Oscx_Set::ComboBox_CH1DrawItem,
            &TForm_Oscx_Set::ComboBox_CH2DrawItem, &TForm_Oscx_Set::ComboBox_CH3DrawItem};
        (form_->*draw[k_])(canvas, index.row(), Grid_draw_rect(option.rect), option.state & QStyle::State_Selected);
    }

private:
    TForm_Oscx_Set* form_;
    unsigned k_;
};

}  // namespace

TForm_Oscx_Set::TForm_Oscx_Set(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_Oscx_Set");
    build();
    FormCreate();
    Utx_fit_texts(this);
}

TForm_Oscx_Set::~TForm_Oscx_Set() = default;

void TForm_Oscx_Set::build()
{
    Panel_time = new QGroupBox(this);
    Panel_time->setObjectName("Panel_time");
    ComboBox_index_time_cmp = new QComboBox(Panel_time);
    ComboBox_index_time_cmp->setObjectName("ComboBox_index_time_cmp");
    (new QHBoxLayout(Panel_time))->addWidget(ComboBox_index_time_cmp, 1, Qt::AlignTop);

    GroupBox_channels = new QGroupBox(this);
    GroupBox_channels->setObjectName("GroupBox_channels");
    auto* channels = new QVBoxLayout(GroupBox_channels);
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
        const QString n = QString::number(k);
        GroupBox_CH[k] = new QGroupBox(GroupBox_channels);
        GroupBox_CH[k]->setObjectName("GroupBox_CH" + n);
        Shape_CH[k] = new QFrame(GroupBox_CH[k]);
        Shape_CH[k]->setObjectName("Shape_CH" + n);
        Shape_CH[k]->setFixedSize(SWATCH_SIZE, SWATCH_SIZE);
        Shape_CH[k]->setFrameShape(QFrame::Box);
        Shape_CH[k]->setAutoFillBackground(true);
        ComboBox_CH[k] = new QComboBox(GroupBox_CH[k]);
        ComboBox_CH[k]->setObjectName("ComboBox_CH" + n);
        ComboBox_CH[k]->setItemDelegate(new SignalItems(this, k, ComboBox_CH[k]));
        Panel_name_CH[k] = new QLabel(GroupBox_CH[k]);
        Panel_name_CH[k]->setObjectName("Panel_name_CH" + n);
        Panel_name_CH[k]->setFixedWidth(NAME_WIDTH);
        Panel_name_CH[k]->setFrameShape(QFrame::Panel);
        Panel_name_CH[k]->setFrameShadow(QFrame::Sunken);
        auto* row = new QHBoxLayout(GroupBox_CH[k]);
        row->setAlignment(Qt::AlignTop);  // the combo's top stays where the panel's height counts it
        row->addWidget(Shape_CH[k], 0, Qt::AlignTop);
        row->addWidget(ComboBox_CH[k], 1, Qt::AlignTop);
        row->addWidget(Panel_name_CH[k], 0, Qt::AlignTop);
        channels->addWidget(GroupBox_CH[k]);
    }

    StringGrid_cmp_list = new QTableWidget(0, GRID_COLUMNS, this);
    StringGrid_cmp_list->setObjectName("StringGrid_cmp_list");
    const GridCellPaint cell = [this](Canvas& canvas, const DrawRect& rect, int row, int column, bool) {
        StringGrid_cmp_listDrawCell(canvas, column, row, rect);
    };
    StringGrid_cmp_list->setHorizontalHeader(Grid_cell_header(cell, StringGrid_cmp_list));
    StringGrid_cmp_list->verticalHeader()->setVisible(false);
    StringGrid_cmp_list->verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    StringGrid_cmp_list->horizontalHeader()->setFixedHeight(ROW_HEIGHT + 2);
    StringGrid_cmp_list->setItemDelegate(Grid_cell_delegate(cell, 1, StringGrid_cmp_list));
    StringGrid_cmp_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid_cmp_list->setSelectionMode(QAbstractItemView::NoSelection);
    int grid_width = 0;
    for (int c = 0; c < GRID_COLUMNS; ++c) {
        StringGrid_cmp_list->setColumnWidth(c, COLUMN_WIDTH[c]);
        grid_width += COLUMN_WIDTH[c];
    }
    StringGrid_cmp_list->setMinimumWidth(grid_width + 24);

    Panel_buttons = new QWidget(this);
    Panel_buttons->setObjectName("Panel_buttons");
    Panel_buttons->setFixedHeight(BUTTON_PANEL_HEIGHT);
    BitBtn_ok = new QPushButton(QStringLiteral("OK"), Panel_buttons);
    BitBtn_ok->setObjectName("BitBtn_ok");
    BitBtn_Close = new QPushButton(Panel_buttons);
    BitBtn_Close->setObjectName("BitBtn_Close");
    BitBtn_Close->setDefault(true);

    auto* left = new QVBoxLayout;
    left->addWidget(Panel_time);
    left->addWidget(GroupBox_channels);
    left->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(StringGrid_cmp_list, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(Panel_buttons);
}

void TForm_Oscx_Set::FormCreate()
{
    connect(BitBtn_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox_index_time_cmp, &QComboBox::activated, this, [this] { ComboBox_index_time_cmpChange(); });
    void (TForm_Oscx_Set::*const change[SCOPE_CHANNELS])() = {
        &TForm_Oscx_Set::ComboBox_CH0Change, &TForm_Oscx_Set::ComboBox_CH1Change,
        &TForm_Oscx_Set::ComboBox_CH2Change, &TForm_Oscx_Set::ComboBox_CH3Change};
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k)
        connect(ComboBox_CH[k], &QComboBox::activated, this, change[k]);
}

void TForm_Oscx_Set::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm_Oscx_Set::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layout_buttons();
}

void TForm_Oscx_Set::apply_captions()
{
    const unsigned lang = Lang_index();
    setWindowTitle(utf8(CAPTION[lang]));
    Panel_time->setTitle(utf8(TIME[lang]));
    GroupBox_channels->setTitle(utf8(SELECTION[lang]));
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k)
        GroupBox_CH[k]->setTitle(utf8(CHANNEL[lang]) + QString::number(k + 1));
    BitBtn_Close->setText(utf8(CANCEL[lang]));
    for (QPushButton* b : {BitBtn_ok, BitBtn_Close})
        b->adjustSize();  // as wide as its text
}

void TForm_Oscx_Set::FormShow()
{
    apply_captions();
    ScopeSettingsEdit = ScopeSettings;
    fill_combos();
    StringGrid_cmp_list->setRowCount(signal_count());  // plus the header row
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
        show_channel(k);
        QPalette p = Shape_CH[k]->palette();
        p.setColor(QPalette::Window, bgr(ScopeSettingsEdit.channel[k].colour));
        Shape_CH[k]->setPalette(p);
    }
    select_channels();
    layout_panels();
}

void TForm_Oscx_Set::fill_combos()
{
    QSignalBlocker time_block(ComboBox_index_time_cmp);
    ComboBox_index_time_cmp->clear();
    int selected = -1;
    for (unsigned i = 0; i < SCOPE_SAMPLE_PERIOD_COUNT; ++i) {
        ComboBox_index_time_cmp->addItem(QString::number(ScopeSamplePeriods[i]) + QStringLiteral(" ms"));
        if (ScopeSamplePeriods[i] == ScopeSettingsEdit.sample_time + 1u)
            selected = static_cast<int>(i);
    }
    ComboBox_index_time_cmp->setCurrentIndex(selected);
    for (QComboBox* combo : ComboBox_CH) {
        QSignalBlocker block(combo);
        combo->clear();
        for (int n = 0; n < signal_count(); ++n)
            combo->addItem(item_look(n, false).text);
    }
}

// The channel's name panel: its signal's name, red for signal 0 (also beyond the catalogue).
void TForm_Oscx_Set::show_channel(unsigned k)
{
    const ScopeChannel& ch = ScopeSettingsEdit.channel[k];
    const ScopeSignal* s = Scope_signal_at(ch.signal_index);
    Panel_name_CH[k]->setText(utf8(Oscx_signal_name(Oscx_channel_signal(ch))));
    Graph_set_text_colour(Panel_name_CH[k], bgr(s == nullptr || ch.signal_index == 0 ? RED : BLACK));
}

void TForm_Oscx_Set::select_channels()
{
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
        QSignalBlocker block(ComboBox_CH[k]);
        const uint16_t s = ScopeSettingsEdit.channel[k].signal_index;
        ComboBox_CH[k]->setCurrentIndex(Scope_signal_at(s) != nullptr ? s : -1);
    }
}

void TForm_Oscx_Set::layout_panels()
{
    layout()->activate();
    const auto fit = [](QWidget* panel, QComboBox* combo) {
        panel->setFixedHeight(2 * combo->geometry().top() + combo->height());
    };
    fit(Panel_time, ComboBox_index_time_cmp);
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k)
        fit(GroupBox_CH[k], ComboBox_CH[k]);
    layout_buttons();
}

void TForm_Oscx_Set::layout_buttons()
{
    const int w = Panel_buttons->width();
    const int free = std::max(0, w - BitBtn_ok->width() - BitBtn_Close->width());
    const int inset = free / BUTTON_SHARE;
    BitBtn_ok->move(inset, (Panel_buttons->height() - BitBtn_ok->height()) / 2);
    BitBtn_Close->move(w - inset - BitBtn_Close->width(), (Panel_buttons->height() - BitBtn_Close->height()) / 2);
}

void TForm_Oscx_Set::ComboBox_index_time_cmpChange()
{
    const int i = ComboBox_index_time_cmp->currentIndex();
    if (i >= 0 && i < static_cast<int>(SCOPE_SAMPLE_PERIOD_COUNT))
        ScopeSettingsEdit.sample_time = static_cast<uint16_t>(ScopeSamplePeriods[i] - 1);
}

void TForm_Oscx_Set::channel_change(unsigned k)
{
    const int s = ComboBox_CH[k]->currentIndex();
    if (s < 0)
        return;
    const int j = s != 0 ? holder(s, static_cast<int>(k)) : -1;
    bool take = true;
    if (j >= 0) {
        const std::string text = std::string(CONFLICT_TEXT) + std::to_string(j + 1) + CONFLICT_END;
        take = Msgbox_show({MsgIcon::Warning, CONFLICT_TITLE, text, MsgYes | MsgNo}) == MsgYes;
    }
    if (take) {
        Oscx_set_take_signal(ScopeSettingsEdit, k, static_cast<uint16_t>(s));
        show_channel(k);
        if (j >= 0) {
            Oscx_set_take_signal(ScopeSettingsEdit, static_cast<unsigned>(j), 0);
            show_channel(static_cast<unsigned>(j));
        }
    }
    select_channels();
    StringGrid_cmp_list->viewport()->update();
}

OscxCellLook TForm_Oscx_Set::item_look(int n, bool selected)
{
    OscxCellLook look;
    const ScopeSignal* s = Scope_signal_at(static_cast<uint16_t>(n));
    look.text = index_text(n) + QStringLiteral(" - ") + (s != nullptr ? utf8(Oscx_signal_name(*s)) : QString());
    look.colour = selected ? WHITE : holder(n) >= 0 ? BLUE : BLACK;
    look.align = AlignLeft;
    return look;
}

void TForm_Oscx_Set::draw_item(Canvas& c, int n, const DrawRect& r, bool selected)
{
    const OscxCellLook look = item_look(n, selected);
    const ScopeSignal* s = Scope_signal_at(static_cast<uint16_t>(n));
    c.font = font();
    c.font.setBold(false);
    c.font_colour = bgr(look.colour);
    c.fill_rect(r);
    const int index_width = Graph_draw_text_size(n > 99 ? QStringLiteral("[000] ") : QStringLiteral("[00] "), c.font).width();
    const int dash_width = Graph_draw_text_size(QStringLiteral("- "), c.font).width();
    DrawRect box = r;
    box.right = r.left + index_width;
    Graph_draw_text_rect(c, box, AlignCentre, index_text(n));
    box.left = box.right;
    box.right = box.left + dash_width;
    Graph_draw_text_rect(c, box, AlignLeft, QStringLiteral("-"));
    box.left = box.right;
    box.right = r.right;
    Graph_draw_text_rect(c, box, AlignLeft, s != nullptr ? utf8(Oscx_signal_name(*s)) : QString());
}

OscxCellLook TForm_Oscx_Set::cell_look(int col, int row)
{
    OscxCellLook look;
    if (col < 0 || col >= GRID_COLUMNS)
        return look;
    if (row == 0) {
        look.text = utf8(HEADER[Lang_index()][col]);
        look.colour = NAVY;
        look.bold = true;
        look.header = true;
        look.align = AlignCentre;
        return look;
    }
    const int n = row - 1;
    const ScopeSignal* s = Scope_signal_at(static_cast<uint16_t>(n));
    if (s == nullptr)
        return look;
    const int k = row > 1 ? holder(n) : -1;
    look.used = k >= 0;
    look.colour = look.used ? BLUE : BLACK;
    switch (col) {
    case 0:
        look.text = index_text(n);
        look.align = AlignCentre;
        break;
    case 1:
        look.text = look.used ? QStringLiteral("CH%1").arg(k + 1) : QString();
        look.bold = look.used;
        look.colour = BLACK;
        look.align = AlignCentre;
        break;
    case 2:
        look.text = utf8(Oscx_signal_group(*s));
        break;
    case 3:
        look.text = utf8(Oscx_signal_name(*s));
        break;
    default:
        look.text = utf8(Oscx_signal_unit(*s));
        look.colour = BLACK;
        look.align = AlignCentre;
        break;
    }
    return look;
}

void TForm_Oscx_Set::StringGrid_cmp_listDrawCell(Canvas& c, int col, int row, const DrawRect& r)
{
    const OscxCellLook look = cell_look(col, row);
    c.brush = QBrush(look.header ? clBtnFace : look.used ? bgr(USED_ROW) : palette().base().color());
    c.font = grid_font(look.bold);
    c.font_colour = bgr(look.colour);
    Graph_draw_text_rect(c, r, look.align, look.text);
}

void Oscx_register_windows(const std::function<void(OscxWindow, OscxWindowFactory)>& add)
{
    add(OscxWindow::Set, [](QWidget* parent) -> QWidget* { return new TForm_Oscx_Set(parent); });
    add(OscxWindow::LoadDat, [](QWidget* parent) -> QWidget* { return TForm_Oscx_load_dat_new(parent); });
    add(OscxWindow::PrintPreview, [](QWidget* parent) -> QWidget* { return TForm_Oscx_print_preview_new(parent); });
    Oscx_print_request = Oscx_trace_print_request;
}
