// The print selection dialog, the print dialog and the preview window.
#include "print/Print_dialogs.h"

#include <algorithm>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"
#include "print/Print_job.h"
#include "print_core/Print_preview.h"
#include "print_core/Print_render.h"
#include "print_core/Printer_data.h"
#include "shell/Toolwin.h"

namespace {

using Tr = const char* const[3];

QString tr3(Tr& t) { return QString::fromUtf8(t[Lang_index()]); }

Tr SET_CAPTION = {"Stampa", "Print", "Imprimer"};
Tr SET_PRINTER_GROUP = {"Imposta Stampante", "Printer Setting", "Configurer Imprimante"};
Tr NAME = {"Nome", "Name", "Nom"};
Tr ITEMS[3] = {
    {"Stampa dati modo controllo input/output", "Print data mode control input/output",
     "Imprimer données en mode de commande d'entrée/sortie"},
    {"Stampa dati modo controllo Modbus", "Print data mode control Modbus", "Imprimer données en mode de commande Modbus"},
    {"Stampa dati modo controllo CanOpen", "Print data mode control CanOpen",
     "Imprimer données en mode de commande CanOpen"},
};
Tr PREVIEW = {"Anteprima", "Preview", "Prévisualisation"};
Tr PRINT = {"Stampa", "Print", "Imprimer"};
Tr CANCEL = {"Annulla", "Cancel", "Annuler"};
Tr PRINTER_GROUP = {"Stampante", "Printer", "Imprimante"};
Tr RANGE_GROUP = {"Intervallo di Stampa", "Print Range", "Étendue d’Impression"};
Tr ALL = {"Tutte", "All", "Toutes"};
Tr CURRENT = {"Pagina Corrente", "Current Page", "Page Active"};
Tr RANGE = {"Pagine da:", "Pages from:", "Pages de:"};
Tr RANGE_END = {"a:", "to:", "à"};
Tr CLOSE = {"Chiudi", "Close", "Fermer"};
Tr BAD_RANGE = {"Intervallo di Stampa errato!", "Wrong Range Print!", "Étendue d’Impression Erronée!"};
Tr PAGE = {"Pagina", "Page", "Page"};
Tr OF = {"di", "of", "de"};

constexpr uint16_t SELECTION[3] = {1, 2, 4};  // PrintProfile by radio item
constexpr int PAGE_FIELD_DIGITS = 6;
constexpr int ZOOM_MIN = 10;
constexpr int ZOOM_MAX = 400;
constexpr int A4_HEIGHT_TENTHS = 2970;

QPushButton* button(QWidget* parent, QBoxLayout* layout, const char* name)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    layout->addWidget(b);
    return b;
}

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(name);
    return w;
}

// The digits of a typed or pasted text, at most six.
void keep_digits(QLineEdit* edit)
{
    QString kept;
    for (QChar c : edit->text()) {
        char key = c.unicode() < 128 ? static_cast<char>(c.unicode()) : 0;
        Utx_key_digits(&key);
        if (key >= '0' && key <= '9' && kept.size() < PAGE_FIELD_DIGITS)
            kept.append(QChar(key));
    }
    if (kept != edit->text())
        edit->setText(kept);
}

}  // namespace

// ---- selection dialog ----

TForm_Set_Print::TForm_Set_Print(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_Set_Print");
    auto* v = new QVBoxLayout(this);
    GroupBox_printer = named(new QGroupBox(this), "GroupBox_printer");
    auto* row = new QHBoxLayout(GroupBox_printer);
    Label_name = named(new QLabel(GroupBox_printer), "Label_name");
    ComboBox_list_printer = named(new QComboBox(GroupBox_printer), "ComboBox_list_printer");
    row->addWidget(Label_name);
    row->addWidget(ComboBox_list_printer, 1);
    v->addWidget(GroupBox_printer);
    RadioGroup_print_list_select = named(new QGroupBox(QStringLiteral("Selezione Stampa"), this), "RadioGroup_print_list_select");
    auto* items = new QVBoxLayout(RadioGroup_print_list_select);
    for (int i = 0; i < 3; ++i) {
        RadioItem[i] = new QRadioButton(RadioGroup_print_list_select);
        RadioItem[i]->setObjectName(QStringLiteral("RadioGroup_print_list_select_%1").arg(i));
        items->addWidget(RadioItem[i]);
    }
    v->addWidget(RadioGroup_print_list_select);
    auto* buttons = new QHBoxLayout;
    BitBtn_print = button(this, buttons, "BitBtn_print");
    BitBtn_preview = button(this, buttons, "BitBtn_preview");
    buttons->addStretch(1);
    BitBtn_cancel = button(this, buttons, "BitBtn_cancel");
    v->addLayout(buttons);
    connect(BitBtn_print, &QPushButton::clicked, this, [this] { done(1); });
    connect(BitBtn_preview, &QPushButton::clicked, this, [this] { done(1); });
    connect(BitBtn_cancel, &QPushButton::clicked, this, [this] { done(2); });
}

void TForm_Set_Print::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm_Set_Print::FormShow()
{
    PrintPage.printer_count = static_cast<uint16_t>(Print_printer_count());
    const int current = Print_default_printer();
    PrintPage.printer_index = static_cast<uint16_t>(std::max(0, current));
    ComboBox_list_printer->clear();
    ComboBox_list_printer->addItems(Print_printer_names());
    ComboBox_list_printer->setCurrentIndex(current);
    const uint16_t bus = Rec_get<uint16_t>(DriveRecordBank[PageContext.load() & 1], RecOfs::BusType);
    const int item = bus <= 2 ? bus : 0;
    PrintPage.profile = SELECTION[item];
    RadioItem[item]->setChecked(true);
    setWindowTitle(tr3(SET_CAPTION));
    GroupBox_printer->setTitle(tr3(SET_PRINTER_GROUP));
    Label_name->setText(tr3(NAME));
    for (int i = 0; i < 3; ++i)
        RadioItem[i]->setText(tr3(ITEMS[i]));
    BitBtn_print->setText(tr3(PRINT));
    BitBtn_preview->setText(tr3(PREVIEW));
    BitBtn_cancel->setText(tr3(CANCEL));
    const bool preview = PrintPage.preview_mode == 1;
    BitBtn_print->setVisible(!preview);
    BitBtn_preview->setVisible(preview);
    adjustSize();
}

int TForm_Set_Print::selected_item() const
{
    for (int i = 0; i < 3; ++i)
        if (RadioItem[i]->isChecked())
            return i;
    return 0;
}

void TForm_Set_Print::done(int result)
{
    if (result == 1) {
        PrintPage.printer_index = static_cast<uint16_t>(std::max(0, ComboBox_list_printer->currentIndex()));
        PrintPage.profile = SELECTION[selected_item()];
    }
    QDialog::done(result);
}

// ---- print dialog ----

TForm_printer_data::TForm_printer_data(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_printer_data");
    auto* v = new QVBoxLayout(this);
    GroupBox_printer = named(new QGroupBox(this), "GroupBox_printer");
    auto* row = new QHBoxLayout(GroupBox_printer);
    Label_name = named(new QLabel(GroupBox_printer), "Label_name");
    Panel_printer = named(new QLabel(GroupBox_printer), "Panel_printer");
    row->addWidget(Label_name);
    row->addWidget(Panel_printer, 1);
    v->addWidget(GroupBox_printer);
    GroupBox_range = named(new QGroupBox(this), "GroupBox_range");
    auto* range = new QVBoxLayout(GroupBox_range);
    RadioButton_pages_all = named(new QRadioButton(GroupBox_range), "RadioButton_pages_all");
    RadioButtonl_page_current = named(new QRadioButton(GroupBox_range), "RadioButtonl_page_current");
    RadioButtonl_page_interval = named(new QRadioButton(GroupBox_range), "RadioButtonl_page_interval");
    Memo_page_start = named(new QLineEdit(GroupBox_range), "Memo_page_start");
    Memo_page_end = named(new QLineEdit(GroupBox_range), "Memo_page_end");
    Label_to = named(new QLabel(GroupBox_range), "Label_to");
    range->addWidget(RadioButton_pages_all);
    range->addWidget(RadioButtonl_page_current);
    auto* interval = new QHBoxLayout;
    interval->addWidget(RadioButtonl_page_interval);
    interval->addWidget(Memo_page_start);
    interval->addWidget(Label_to);
    interval->addWidget(Memo_page_end);
    range->addLayout(interval);
    v->addWidget(GroupBox_range);
    auto* buttons = new QHBoxLayout;
    BitBtn_print = button(this, buttons, "BitBtn_print");
    buttons->addStretch(1);
    BitBtn_cancel = button(this, buttons, "BitBtn_cancel");
    v->addLayout(buttons);
    for (QLineEdit* e : {Memo_page_start, Memo_page_end}) {
        e->setMaxLength(PAGE_FIELD_DIGITS);
        connect(e, &QLineEdit::textEdited, this, [e] { keep_digits(e); });
    }
    connect(RadioButton_pages_all, &QRadioButton::clicked, this, [this] { set_fields_enabled(false); });
    connect(RadioButtonl_page_current, &QRadioButton::clicked, this, [this] { set_fields_enabled(false); });
    connect(RadioButtonl_page_interval, &QRadioButton::clicked, this, [this] { set_fields_enabled(true); });
    connect(BitBtn_print, &QPushButton::clicked, this, &TForm_printer_data::BitBtn_printClick);
    connect(BitBtn_cancel, &QPushButton::clicked, this, [this] { done(2); });
}

void TForm_printer_data::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm_printer_data::set_fields_enabled(bool on)
{
    Memo_page_start->setEnabled(on);
    Memo_page_end->setEnabled(on);
}

void TForm_printer_data::FormShow()
{
    Panel_printer->setText(Print_printer_names().value(PrintPage.printer_index));
    RadioButton_pages_all->setChecked(true);
    Memo_page_start->setText(QStringLiteral("1"));
    Memo_page_end->setText(QString::number(PrintPage.page_count));
    set_fields_enabled(false);
    PrintPage.first_page = 1;
    PrintPage.last_page = PrintPage.page_count;
    setWindowTitle(tr3(PRINT));
    GroupBox_printer->setTitle(tr3(PRINTER_GROUP));
    Label_name->setText(tr3(NAME) + ":");
    GroupBox_range->setTitle(tr3(RANGE_GROUP));
    RadioButton_pages_all->setText(tr3(ALL));
    RadioButtonl_page_current->setText(tr3(CURRENT));
    RadioButtonl_page_interval->setText(tr3(RANGE));
    Label_to->setText(tr3(RANGE_END));
    BitBtn_print->setText(tr3(PRINT));
    BitBtn_cancel->setText(tr3(CANCEL));
    // The current page exists only while the preview shows one.
    RadioButtonl_page_current->setVisible(PrintPage.preview_mode == 1);
    adjustSize();
}

void TForm_printer_data::BitBtn_printClick()
{
    if (RadioButton_pages_all->isChecked()) {
        PrintPage.first_page = 1;
        PrintPage.last_page = PrintPage.page_count;
        done(1);
        return;
    }
    if (RadioButtonl_page_current->isChecked()) {
        PrintPage.first_page = PrintPage.last_page = PrintPage.current_page;
        done(1);
        return;
    }
    const uint32_t start = Memo_page_start->text().toUInt();  // empty or bad: 0
    const uint32_t end = Memo_page_end->text().toUInt();
    const uint32_t count = PrintPage.page_count;
    if (start <= end && start >= 1 && start <= count && end >= 1 && end <= count) {
        PrintPage.first_page = start;
        PrintPage.last_page = end;
        done(1);
        return;
    }
    const unsigned l = Lang_index();
    Msgbox_show({MsgIcon::Warning, Msgbox_title(l), BAD_RANGE[l], MsgOk});
}

// ---- preview ----

TForm_print_preview::TForm_print_preview(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_print_preview");
    setWindowTitle(QStringLiteral("Print Preview"));
    auto* v = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    BitBtn_prn_first_pg = button(this, bar, "BitBtn_prn_first_pg");
    BitBtn_prn_prior_pg = button(this, bar, "BitBtn_prn_prior_pg");
    BitBtn_prn_next_pg = button(this, bar, "BitBtn_prn_next_pg");
    BitBtn_prn_last_pg = button(this, bar, "BitBtn_prn_last_pg");
    BitBtn_prn_first_pg->setText("|<");
    BitBtn_prn_prior_pg->setText("<");
    BitBtn_prn_next_pg->setText(">");
    BitBtn_prn_last_pg->setText(">|");
    TrackBar_px_inchx = named(new QSlider(Qt::Horizontal, this), "TrackBar_px_inchx");
    TrackBar_px_inchx->setRange(ZOOM_MIN, ZOOM_MAX);
    bar->addWidget(TrackBar_px_inchx, 1);
    Label_zoom = named(new QLabel(this), "Label_zoom");
    bar->addWidget(Label_zoom);
    BitBtn_width = button(this, bar, "BitBtn_width");
    BitBtn_height = button(this, bar, "BitBtn_height");
    BitBtn_width->setText("<->");
    BitBtn_height->setText("^v");
    BitBtn_print = button(this, bar, "BitBtn_print");
    BitBtn_print->setText(QStringLiteral("Print"));
    BitBtn_close = button(this, bar, "BitBtn_close");
    v->addLayout(bar);
    Panel_Img_preview = named(new QWidget(this), "Panel_Img_preview");
    Panel_Img_preview->setMinimumSize(20, 20);
    Image_preview = named(new QLabel(Panel_Img_preview), "Image_preview");
    ScrollBar_X = named(new QScrollBar(Qt::Horizontal, Panel_Img_preview), "ScrollBar_X");
    ScrollBar_Y = named(new QScrollBar(Qt::Vertical, Panel_Img_preview), "ScrollBar_Y");
    ScrollBar_X->hide();
    ScrollBar_Y->hide();
    v->addWidget(Panel_Img_preview, 1);
    auto* status = new QHBoxLayout;
    StatusBar_printer = named(new QLabel(this), "StatusBar_printer");
    StatusBar_page = named(new QLabel(this), "StatusBar_page");
    status->addWidget(StatusBar_printer, 1);
    status->addWidget(StatusBar_page, 1);
    v->addLayout(status);
    Timer_monitor = named(new QTimer(this), "Timer_monitor");
    Timer_monitor->setInterval(50);
    Panel_Img_preview->installEventFilter(this);

    connect(TrackBar_px_inchx, &QSlider::valueChanged, this, &TForm_print_preview::TrackBar_px_inchxChange);
    connect(BitBtn_width, &QPushButton::clicked, this, &TForm_print_preview::BitBtn_widthClick);
    connect(BitBtn_height, &QPushButton::clicked, this, &TForm_print_preview::BitBtn_heightClick);
    connect(ScrollBar_X, &QScrollBar::valueChanged, this, &TForm_print_preview::relayout);
    connect(ScrollBar_Y, &QScrollBar::valueChanged, this, &TForm_print_preview::relayout);
    connect(BitBtn_prn_first_pg, &QPushButton::clicked, this, [this] { go_to(1); });
    connect(BitBtn_prn_prior_pg, &QPushButton::clicked, this, [this] {
        if (PrintPage.current_page > 1)
            go_to(PrintPage.current_page - 1);
    });
    connect(BitBtn_prn_next_pg, &QPushButton::clicked, this, [this] {
        if (PrintPage.current_page < PrintPage.page_count)
            go_to(PrintPage.current_page + 1);
    });
    connect(BitBtn_prn_last_pg, &QPushButton::clicked, this, [this] { go_to(std::max<uint32_t>(1, PrintPage.page_count)); });
    connect(BitBtn_print, &QPushButton::clicked, this, &TForm_print_preview::BitBtn_printClick);
    connect(BitBtn_close, &QPushButton::clicked, this, &QDialog::close);
    connect(Timer_monitor, &QTimer::timeout, this, &TForm_print_preview::Timer_monitorTimer);

    // FormCreate
    PrintPage.canvas = &image_;
    PrintPage.canvas_is_printer = false;
    PrintPage.current_page = 1;
    resize(800, 700);
}

TForm_print_preview::~TForm_print_preview()
{
    if (PrintPage.canvas == &image_)
        PrintPage.canvas = nullptr;
}

void TForm_print_preview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
    Timer_monitor->start();
}

void TForm_print_preview::FormShow()
{
    full_width_ppi_ = Print_preview_full_width_ppi(Panel_Img_preview->width());
    if (TrackBar_px_inchx->value() == 100)
        TrackBar_px_inchxChange();
    else
        TrackBar_px_inchx->setValue(100);
    drawn_ = {};
    StatusBar_printer->setText(PrintPage.printer_count != 0
                                   ? QStringLiteral("Printer: ") + Print_printer_names().value(PrintPage.printer_index)
                                   : QStringLiteral("No Printer"));
    BitBtn_close->setText(tr3(CLOSE));
}

void TForm_print_preview::TrackBar_px_inchxChange()
{
    const int position = TrackBar_px_inchx->value();
    PrintPage.density = static_cast<uint16_t>(std::max(1, position * full_width_ppi_ / 100));
    Label_zoom->setText(QString::number(position) + " %");
    relayout();
}

void TForm_print_preview::BitBtn_widthClick()
{
    const int ppi = Print_preview_full_width_ppi(Panel_Img_preview->width());
    TrackBar_px_inchx->setValue(ppi * 100 / full_width_ppi_);
    TrackBar_px_inchxChange();
}

void TForm_print_preview::BitBtn_heightClick()
{
    const int ppi = Panel_Img_preview->height() * 254 / A4_HEIGHT_TENTHS;
    TrackBar_px_inchx->setValue(ppi * 100 / full_width_ppi_);
    TrackBar_px_inchxChange();
}

void TForm_print_preview::relayout()
{
    const QSize panel = Panel_Img_preview->size();
    const int thickness = ScrollBar_Y->sizeHint().width();
    const PreviewLayout l =
        Print_preview_layout(panel, Print_preview_paper_size(PrintPage), thickness, ScrollBar_X->value(), ScrollBar_Y->value());
    if (image_.size() != l.image)
        image_ = QImage(l.image.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    Image_preview->setGeometry(0, 0, l.image.width(), l.image.height());
    const QSignalBlocker bx(ScrollBar_X);
    const QSignalBlocker by(ScrollBar_Y);
    ScrollBar_X->setVisible(l.bar_x);
    ScrollBar_Y->setVisible(l.bar_y);
    ScrollBar_X->setGeometry(0, l.image.height(), l.image.width(), thickness);
    ScrollBar_Y->setGeometry(l.image.width(), 0, thickness, l.image.height());
    ScrollBar_X->setRange(0, l.max_x);
    ScrollBar_X->setPageStep(std::max(1, l.image.width()));
    ScrollBar_X->setValue(l.pos_x);
    ScrollBar_Y->setRange(0, l.max_y);
    ScrollBar_Y->setPageStep(std::max(1, l.image.height()));
    ScrollBar_Y->setValue(l.pos_y);
    PrintPage.origin_x = static_cast<float>(l.origin_x);
    PrintPage.origin_y = static_cast<float>(l.origin_y);
}

bool TForm_print_preview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel_Img_preview && event->type() == QEvent::Resize)
        relayout();
    return QDialog::eventFilter(watched, event);
}

void TForm_print_preview::Timer_monitorTimer()
{
    const Drawn now{image_.size(), PrintPage.current_page, PrintPage.origin_x, PrintPage.origin_y, PrintPage.density,
                    ScrollBar_X->value()};
    if (now == drawn_)
        return;
    drawn_ = now;
    PrintPage.canvas = &image_;
    PrintPage.canvas_is_printer = false;
    Print_preview_draw_paper(image_, PrintPage);
    PrintParameterPages(&PrintPage, PrintPage.current_page, PrintMode::Page);
    Image_preview->setPixmap(QPixmap::fromImage(image_));
    StatusBar_page->setText(tr3(PAGE) + ": " + QString::number(PrintPage.current_page) + " " + tr3(OF) + " " +
                            QString::number(PrintPage.page_count));
}

void TForm_print_preview::go_to(uint32_t page)
{
    PrintPage.current_page = page;
}

void TForm_print_preview::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp: BitBtn_prn_prior_pg->click(); break;
    case Qt::Key_PageDown: BitBtn_prn_next_pg->click(); break;
    case Qt::Key_End: BitBtn_prn_last_pg->click(); break;
    case Qt::Key_Home: BitBtn_prn_first_pg->click(); break;
    default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

void TForm_print_preview::BitBtn_printClick()
{
    QPointer<TForm_print_preview> self(this);
    if (Toolwin_run_modal(ToolWin::PrinterData, this) != 1 || !self || closed_)
        return;
    Fz_print_job(&PrintPage);
    if (closed_)
        free_list();  // closed while the job ran: the list was kept until it returned
    else if (self)
        PrintPage.canvas = &image_;
}

void TForm_print_preview::free_list()
{
    Print_list_clear_lines();
    Print_list_clear_marks();
}

void TForm_print_preview::done(int result)
{
    Timer_monitor->stop();
    closed_ = true;
    if (Fz_print_job_running())
        Fz_print_job_cancel();
    else
        free_list();
    QDialog::done(result);
}
