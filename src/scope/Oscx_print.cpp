// Printing and previewing a chart.
#include "scope/Oscx_print.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <QComboBox>
#include <QCursor>
#include <QDate>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QScrollBar>
#include <QSlider>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Versoftw.h"
#include "platform/Msgbox.h"
#include "print_core/Print_preview.h"
#include "print_core/Print_printers.h"
#include "print_core/Print_render.h"
#include "scope/Diagramx.h"
#include "scope/Oscx_texts.h"
#include "shell/Filedlg.h"
#include "shell/Main.h"
#include "shell/Toolwin.h"

PrintPageRec PrwDat;
uint8_t TracePrintMode = 0;
uint16_t PreviewBasePpi = 1;
TracePrintChartRef TracePrintChart;
std::optional<QSize> TForm_Oscx_print_preview::fixed_panel;

namespace {

OscxText CAPTION = {"Stampa", "Print", "Imprimer"};
OscxText PRINTER_GROUP = {"Imposta Stampante", "Printer Setting", "Configurer Imprimante"};
OscxText NAME = {"Nome", "Name", "Nom"};
OscxText MODE = {"Modo", "Mode", "Mode"};
OscxText DISPLAYED = {"Grafico Visulizzato", "Graphic Displayed", "Graphique Affiché"};
OscxText COMPLETE = {"Grafico Completo", "Graphic Complete", "Graphique Complet"};
OscxText PREVIEW = {"Anteprima", "Preview", "Prévisualisation"};
OscxText CANCEL = {"Annulla", "Cancel", "Annuler"};
OscxText CLOSE = {"Chiudi", "Close", "Fermer"};
OscxText TIME = {"Ore", "Time", "Heure"};
OscxText DATE = {"Data", "Date", "Date"};
const char* const DOCUMENT_NAME = "Pendrix Data Print";

constexpr uint16_t MARGIN_MM = 13;
constexpr uint16_t PREVIEW_PPI = 96;
constexpr int ZOOM_MIN = 20, ZOOM_MAX = 400, ZOOM_STEP = 5, ZOOM_PAGE = 20;
constexpr int BAR = 20;
constexpr int BUTTON_WIDTH = 90, BUTTON_HEIGHT = 28;  // the dialog's buttons, wider for a longer caption
constexpr int A4_HEIGHT_TENTHS = 2970;
constexpr uint32_t GREY = 0x808080;
constexpr uint32_t WHITE = 0xFFFFFF;

void warn(const char* const text[3])
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text[Lang_index()], MsgOk});
}

QFont font_of(const PrintFont& f)
{
    QFont font(QString::fromLatin1(f.face));
    font.setPointSize(f.points);
    const PrintFontStyle s = Fz_print_font_style(f.style);
    font.setBold(s.bold);
    font.setItalic(s.italic);
    return font;
}

int text_height(QPainter& p) { return QFontMetrics(p.font(), p.device()).height(); }
int text_width(QPainter& p, const QString& t) { return QFontMetrics(p.font(), p.device()).horizontalAdvance(t); }

void rule(QPainter& p, uint32_t colour, int x0, int x1, int y)
{
    p.setPen(QPen(bgr(colour), 0));
    p.drawLine(x0, y, x1, y);
}

void frame(QPainter& p, const QRect& r)
{
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void set_resolution(QImage& image, int ppi)
{
    const int dpm = static_cast<int>(std::lround(ppi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
}

// The chart on the page: the screen's view (the whole record in complete mode) on white, inset 3 mm.
void paint_chart(QPainter& painter, Diagramx& chart, const QRect& box, int r)
{
    Canvas canvas(&painter);
    chart.print_view = chart.view;
    if (TracePrintMode == 1)
        chart.print_view.automatic = 1;
    chart.print_view.background = WHITE;
    const int inset = Fz_print_mm_to_px(3, r);
    ChartRegion& t = chart.print_target;
    t.canvas = &canvas;
    t.left = box.left() + inset;
    t.top = box.top() + inset;
    t.width = box.width() - 2 * inset;
    t.height = box.height() - 2 * inset;
    // The screen's window stays as it is whatever the print computes.
    const uint32_t start = chart.window_start, end = chart.window_end;
    chart.Paint(&t, &chart.print_view);
    chart.window_start = start;
    chart.window_end = end;
    t.canvas = nullptr;
    frame(painter, box);
}

void paint_legend(QPainter& p, const Diagramx& chart, int x0, int y, int w, int r)
{
    const PrintFont legend{"Arial", 10, 0, 0x000000, 0, 0, 0};
    QFont regular = font_of(legend);
    QFont bold = regular;
    bold.setBold(true);
    p.setFont(regular);
    const int column = (w - Fz_print_mm_to_px(2, r)) / 2;
    const int t = text_height(p);
    const int pad = t / 3;
    int x = x0;
    for (unsigned c = 0; c < 4; ++c) {
        frame(p, QRect(x, y, column, t + 2 * pad));
        {
            Canvas canvas(&p);
            const DrawRect square{x + pad, y + pad, x + pad + t, y + pad + t};
            Graph_draw_button(canvas, square, bgr(chart.colours[c]), static_cast<uint8_t>(Fz_print_tenth_mm_to_px(7, r)),
                              1, 1, AlignCentre, QString());
        }
        const QString ch = QStringLiteral("CH %1").arg(c + 1);
        p.setFont(bold);
        p.setPen(Qt::black);
        const int cell_left = x + pad + t + pad;
        const int cell_w = text_width(p, ch) + pad;
        p.drawText(QRect(cell_left, y + pad, cell_w, t), Qt::AlignCenter, ch);
        p.setFont(regular);
        const ChartChannelView& v = chart.view.channels[c];
        const QString text = QString::fromLatin1(v.name) + " [" + QString::fromLatin1(v.unit) + "]";
        const int text_left = cell_left + cell_w + Fz_print_mm_to_px(1, r);
        p.drawText(QRect(text_left, y + pad, x + column - text_left, t), Qt::AlignLeft | Qt::AlignVCenter, text);
        if (c == 0 || c == 2) {
            x += column + Fz_print_mm_to_px(2, r);
        } else {
            x = x0;
            y += t + 2 * pad + Fz_print_mm_to_px(2, r);
        }
    }
}

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void set_texts(PrintPageRec& p)
{
    p.time_text = Fz_print_time_text(QTime::currentTime());
    p.date_text = Main_date_text(QDate::currentDate());
    p.margin_left = p.margin_top = MARGIN_MM;
}

}  // namespace

// ---- chart guard ----

void TracePrintChartRef::set(Diagramx* chart)
{
    chart_ = chart;
    alive_ = chart != nullptr ? chart->plot_image : nullptr;
}

Diagramx* TracePrintChartRef::get() const
{
    return alive_ ? chart_ : nullptr;
}

// ---- request ----

void Oscx_trace_print_request(QWidget* parent, Diagramx* chart, uint8_t preview)
{
    PrwDat.printer_count = static_cast<uint16_t>(Print_printer_count());
    if (PrwDat.printer_count != 0)
        PrwDat.printer_index = static_cast<uint16_t>(Print_default_printer());
    if (PrwDat.printer_count == 0) {
        warn(OSCX_NO_PRINTER);
        return;
    }
    if (chart == nullptr || chart->Sample_count() == 0) {
        warn(OSCX_NO_PRINT_DATA);
        return;
    }
    TracePrintChartRef guard;
    guard.set(chart);
    PrwDat.preview_mode = preview;
    QPointer<TForm_Oscx_Set_Print> dialog = TForm_Oscx_Set_Print_new(parent);
    const int result = dialog->exec();
    delete dialog.data();
    if (result != QDialog::Accepted || guard.get() == nullptr)
        return;
    if (preview == 1) {
        Oscx_print_preview_open(parent, chart);
        return;
    }
    set_texts(PrwDat);
    Oscx_print_job(&PrwDat, chart);
}

void Oscx_print_preview_open(QWidget* parent, Diagramx* chart)
{
    PrwDat.density = PREVIEW_PPI;
    set_texts(PrwDat);
    TracePrintChart.set(chart);
    if (Toolwin_available(ToolWin::OscxPrintPreview)) {
        Toolwin_run_modal(ToolWin::OscxPrintPreview, parent);
        return;
    }
    QPointer<TForm_Oscx_print_preview> w = TForm_Oscx_print_preview_new(parent);
    w->exec();
    delete w.data();
}

// ---- job ----

void Oscx_print_job(PrintPageRec* p, Diagramx* chart)
{
    if (chart == nullptr)
        return;
    TracePrintChartRef guard;
    guard.set(chart);
    const int entry = Print_printer_entry(p->printer_index);
    PrintJobDevice job(entry, QString::fromLatin1(DOCUMENT_NAME), [] { return Filedlg_save_pdf(nullptr); });
    if (job.device() == nullptr || guard.get() == nullptr)
        return;
    WaitCursor wait;
    QPainter painter;
    if (!job.begin(painter))
        return;
    // The page record's target and printer are given back however the page ends.
    struct Restore {
        PrintPageRec* p;
        PrintPageRec saved;
        ~Restore()
        {
            p->canvas = saved.canvas;
            p->canvas_is_printer = saved.canvas_is_printer;
            p->printer_index = saved.printer_index;
        }
    } restore{p, *p};
    p->printer_index = static_cast<uint16_t>(entry);
    p->canvas = job.device();
    p->canvas_is_printer = true;
    TracePrintChart.set(chart);
    Oscx_print_page(p, chart, &painter);
    job.end(painter);
}

// ---- page ----

void Oscx_print_page(PrintPageRec* p, Diagramx* chart, QPainter* printer_painter)
{
    if (chart == nullptr || p->canvas == nullptr)
        return;
    const bool printer = p->canvas_is_printer;
    const int r = printer ? Fz_print_device_caps(p->printer_index, DeviceCap::LogPixelsX) : p->density;
    if (r <= 0)
        return;
    std::unique_ptr<QPainter> own;
    QPainter* painter = printer_painter;
    int ox = 0, oy = 0;
    if (!printer) {
        if (auto* image = dynamic_cast<QImage*>(p->canvas))
            set_resolution(*image, r);
        own = std::make_unique<QPainter>(p->canvas);
        painter = own.get();
        ox = static_cast<int>(p->origin_x);
        oy = static_cast<int>(p->origin_y);
    }
    if (painter == nullptr || !painter->isActive())
        return;
    painter->setRenderHint(QPainter::TextAntialiasing);
    if (printer)
        painter->fillRect(painter->viewport(), Qt::white);
    Fz_print_page_geometry(r, p);
    const int W = static_cast<int>(p->usable_width);
    const int H = static_cast<int>(p->usable_height);
    int L = static_cast<int>(p->left);
    int T = static_cast<int>(p->top);
    if (printer) {
        L -= static_cast<int>(p->offset_x);
        T -= static_cast<int>(p->offset_y);
    }
    const int x = L + ox;
    int y = T + oy;
    y += Oscx_print_time_line(*painter, p, x, y, r);
    Oscx_print_footer(*painter, p, x, T + oy + H, r);
    y += Oscx_print_drive_box(*painter, p, x, y, r);
    y += Fz_print_mm_to_px(1, r);
    const int G = H * 60 / 100;
    paint_chart(*painter, *chart, QRect(x, y, W, G), r);
    y += Fz_print_mm_to_px(3, r) + G;
    paint_legend(*painter, *chart, x, y, W, r);
}

int Oscx_print_time_line(QPainter& p, const PrintPageRec* page, int x, int y, int r)
{
    p.setBrush(Qt::white);
    p.setFont(font_of(PrintFonts[FontHead]));
    p.setPen(Qt::black);
    const int w = static_cast<int>(page->usable_width);
    const int h = text_height(p) + 2 * Fz_print_mm_to_px(1, r);
    const QString left = Oscx_text(TIME) + ": " + page->time_text;
    const QString right = Oscx_text(DATE) + ": " + page->date_text;
    p.drawText(QRect(x, y, text_width(p, left), h), Qt::AlignCenter, left);
    const int rw = text_width(p, right);
    p.drawText(QRect(x + w - rw, y, rw, h), Qt::AlignCenter, right);
    rule(p, GREY, x, x + w, y + h);
    return h + Fz_print_mm_to_px(1, r);
}

void Oscx_print_footer(QPainter& p, const PrintPageRec* page, int x, int yb, int r)
{
    p.setFont(font_of(PrintFonts[FontFoot]));
    const int h = text_height(p) + 2 * Fz_print_mm_to_px(1, r);
    rule(p, GREY, x, x + static_cast<int>(page->usable_width), yb - h);
}

int Oscx_print_drive_box(QPainter& p, const PrintPageRec* page, int x, int y, int r)
{
    const PrintFont& f = PrintFonts[FontDriveBox];
    p.setFont(font_of(f));
    const int h = text_height(p) + 2 * Fz_print_mm_to_px(f.margin_mm, r);
    const QRect box(x, y, static_cast<int>(page->usable_width), h);
    const bool second = CurrentFamily != nullptr && CurrentFamily->code != FAMILY_CODE_ORVEL;
    p.setPen(bgr(f.colour));
    p.drawText(box, Qt::AlignCenter, second ? "DRIVE PELSAN" : "DRIVE ORVEL");
    frame(p, box);
    p.setBrush(Qt::white);
    return h;
}

// ---- print dialog ----

TForm_Oscx_Set_Print::TForm_Oscx_Set_Print(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_Oscx_Set_Print");
    auto* v = new QVBoxLayout(this);
    GroupBox_printer = new QGroupBox(this);
    GroupBox_printer->setObjectName("GroupBox_printer");
    auto* gp = new QHBoxLayout(GroupBox_printer);
    Panel_nome = new QLabel(GroupBox_printer);
    Panel_nome->setObjectName("Panel_nome");
    ComboBox_list_printer = new QComboBox(GroupBox_printer);
    ComboBox_list_printer->setObjectName("ComboBox_list_printer");
    gp->addWidget(Panel_nome);
    gp->addWidget(ComboBox_list_printer, 1);
    v->addWidget(GroupBox_printer);
    GroupBox_mode = new QGroupBox(this);
    GroupBox_mode->setObjectName("GroupBox_mode");
    auto* gm = new QVBoxLayout(GroupBox_mode);
    RadioButton_grafico_visualiz = new QRadioButton(GroupBox_mode);
    RadioButton_grafico_visualiz->setObjectName("RadioButton_grafico_visualiz");
    RadioButton_grafico_completo = new QRadioButton(GroupBox_mode);
    RadioButton_grafico_completo->setObjectName("RadioButton_grafico_completo");
    gm->addWidget(RadioButton_grafico_visualiz);
    gm->addWidget(RadioButton_grafico_completo);
    v->addWidget(GroupBox_mode);
    Panel_button = new QWidget(this);
    Panel_button->setObjectName("Panel_button");
    Panel_button->setFixedHeight(44);
    for (auto [b, name] : {std::pair{&BitBtn_print, "BitBtn_print"}, std::pair{&BitBtn_preview, "BitBtn_preview"},
                           std::pair{&BitBtn_cancel, "BitBtn_cancel"}}) {
        *b = new QPushButton(Panel_button);
        (*b)->setObjectName(name);
        (*b)->setAutoDefault(false);
        (*b)->resize(BUTTON_WIDTH, BUTTON_HEIGHT);
    }
    v->addWidget(Panel_button);
    connect(RadioButton_grafico_visualiz, &QRadioButton::clicked, this, [] { TracePrintMode = 0; });
    connect(RadioButton_grafico_completo, &QRadioButton::clicked, this, [] { TracePrintMode = 1; });
    connect(BitBtn_print, &QPushButton::clicked, this, &TForm_Oscx_Set_Print::BitBtn_printClick);
    connect(BitBtn_preview, &QPushButton::clicked, this, &TForm_Oscx_Set_Print::BitBtn_printClick);
    connect(BitBtn_cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(380, 220);
}

TForm_Oscx_Set_Print* TForm_Oscx_Set_Print_new(QWidget* parent)
{
    return new TForm_Oscx_Set_Print(parent);
}

void TForm_Oscx_Set_Print::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_Oscx_Set_Print::FormShow()
{
    PrwDat.printer_count = static_cast<uint16_t>(Print_printer_count());
    PrwDat.printer_index = static_cast<uint16_t>(std::max(0, Print_default_printer()));
    ComboBox_list_printer->clear();
    ComboBox_list_printer->addItems(Print_printer_names());
    ComboBox_list_printer->setCurrentIndex(PrwDat.printer_index);
    TracePrintMode = 0;
    RadioButton_grafico_visualiz->setChecked(true);
    RadioButton_grafico_completo->setChecked(false);
    Oscx_set_print_language(this);
    const bool preview = PrwDat.preview_mode == 1;
    QPushButton* shown = preview ? BitBtn_preview : BitBtn_print;
    (preview ? BitBtn_print : BitBtn_preview)->hide();
    shown->show();
    // Each button at least as wide as its caption needs.
    for (QPushButton* b : {BitBtn_print, BitBtn_preview, BitBtn_cancel})
        b->resize(std::max(BUTTON_WIDTH, b->sizeHint().width()), BUTTON_HEIGHT);
    const int h = Panel_button->height();
    shown->move(BitBtn_print->width() / 3, (h - shown->height()) / 2);
    BitBtn_cancel->move(Panel_button->width() - BitBtn_cancel->width() - BitBtn_cancel->width() / 3,
                        (h - BitBtn_cancel->height()) / 2);
}

void TForm_Oscx_Set_Print::BitBtn_printClick()
{
    PrwDat.printer_index = static_cast<uint16_t>(Print_printer_entry(ComboBox_list_printer->currentIndex()));
    accept();
}

void Oscx_set_print_language(TForm_Oscx_Set_Print* f)
{
    f->setWindowTitle(Oscx_text(CAPTION));
    f->GroupBox_printer->setTitle(Oscx_text(PRINTER_GROUP));
    f->Panel_nome->setText(Oscx_text(NAME));
    f->GroupBox_mode->setTitle(Oscx_text(MODE));
    f->RadioButton_grafico_visualiz->setText(Oscx_text(DISPLAYED));
    f->RadioButton_grafico_completo->setText(Oscx_text(COMPLETE));
    f->BitBtn_preview->setText(Oscx_text(PREVIEW));
    f->BitBtn_print->setText(Oscx_text(CAPTION));
    f->BitBtn_cancel->setText(Oscx_text(CANCEL));
}

// ---- preview ----

TForm_Oscx_print_preview::TForm_Oscx_print_preview(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_Oscx_print_preview");
    setWindowTitle(QStringLiteral("Print Preview"));
    auto* v = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    TrackBar_px_inchx = new QSlider(Qt::Horizontal, this);
    TrackBar_px_inchx->setObjectName("TrackBar_px_inchx");
    TrackBar_px_inchx->setRange(ZOOM_MIN, ZOOM_MAX);
    TrackBar_px_inchx->setSingleStep(ZOOM_STEP);
    TrackBar_px_inchx->setPageStep(ZOOM_PAGE);
    TrackBar_px_inchx->setToolTip(QStringLiteral("Zoom"));
    bar->addWidget(TrackBar_px_inchx, 1);
    Panel_px_inchx = new QLabel(this);
    Panel_px_inchx->setObjectName("Panel_px_inchx");
    bar->addWidget(Panel_px_inchx);
    for (auto [b, name, text] : {std::tuple{&BitBtn_width, "BitBtn_width", "<->"},
                                 std::tuple{&BitBtn_height, "BitBtn_height", "^v"},
                                 std::tuple{&BitBtn_print, "BitBtn_print", "Print"},
                                 std::tuple{&BitBtn_close, "BitBtn_close", ""}}) {
        *b = new QPushButton(QString::fromUtf8(text), this);
        (*b)->setObjectName(name);
        (*b)->setAutoDefault(false);
        bar->addWidget(*b);
    }
    v->addLayout(bar);
    Panel_Img_preview = new QWidget(this);
    Panel_Img_preview->setObjectName("Panel_Img_preview");
    Panel_Img_preview->setMinimumSize(20, 20);
    Image_preview = new QLabel(Panel_Img_preview);
    Image_preview->setObjectName("Image_preview");
    Panel_scroll_pg_y = new QWidget(Panel_Img_preview);
    Panel_scroll_pg_y->setObjectName("Panel_scroll_pg_y");
    ScrollBar_Y = new QScrollBar(Qt::Vertical, Panel_scroll_pg_y);
    ScrollBar_Y->setObjectName("ScrollBar_Y");
    Panel_scroll_pg_x = new QWidget(Panel_Img_preview);
    Panel_scroll_pg_x->setObjectName("Panel_scroll_pg_x");
    ScrollBar_X = new QScrollBar(Qt::Horizontal, Panel_scroll_pg_x);
    ScrollBar_X->setObjectName("ScrollBar_X");
    ScrollBar_X->setMaximum(100000);
    Panel_scroll_pg_xy = new QWidget(Panel_Img_preview);
    Panel_scroll_pg_xy->setObjectName("Panel_scroll_pg_xy");
    for (QWidget* w : {Panel_scroll_pg_x, Panel_scroll_pg_y, Panel_scroll_pg_xy})
        w->hide();
    v->addWidget(Panel_Img_preview, 1);
    StatusBar_status = new QLabel(this);
    StatusBar_status->setObjectName("StatusBar_status");
    StatusBar_status->setFixedWidth(130);
    v->addWidget(StatusBar_status);
    Timer_monitor = new QTimer(this);
    Timer_monitor->setObjectName("Timer_monitor");
    Timer_monitor->setInterval(50);
    Panel_Img_preview->installEventFilter(this);

    connect(TrackBar_px_inchx, &QSlider::valueChanged, this, &TForm_Oscx_print_preview::TrackBar_px_inchxChange);
    connect(BitBtn_width, &QPushButton::clicked, this, &TForm_Oscx_print_preview::BitBtn_widthClick);
    connect(BitBtn_height, &QPushButton::clicked, this, &TForm_Oscx_print_preview::BitBtn_heightClick);
    connect(ScrollBar_X, &QScrollBar::valueChanged, this, [this] { Oscx_print_preview_layout(this); });
    connect(ScrollBar_Y, &QScrollBar::valueChanged, this, [this] { Oscx_print_preview_layout(this); });
    connect(BitBtn_print, &QPushButton::clicked, this, &TForm_Oscx_print_preview::BitBtn_printClick);
    connect(BitBtn_close, &QPushButton::clicked, this, &QDialog::close);
    connect(Timer_monitor, &QTimer::timeout, this, [this] { Oscx_print_preview_refresh(this); });

    // FormCreate
    PrwDat.canvas = &image_;
    PrwDat.canvas_is_printer = false;
    PrwDat.current_page = 1;
    resize(800, 700);
}

TForm_Oscx_print_preview::~TForm_Oscx_print_preview()
{
    if (PrwDat.canvas == &image_)
        PrwDat.canvas = nullptr;
}

TForm_Oscx_print_preview* TForm_Oscx_print_preview_new(QWidget* parent)
{
    return new TForm_Oscx_print_preview(parent);
}

QSize TForm_Oscx_print_preview::panel_size() const
{
    return fixed_panel ? *fixed_panel : Panel_Img_preview->size();
}

void TForm_Oscx_print_preview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    Timer_monitor->start();
}

void TForm_Oscx_print_preview::FormShow()
{
    Oscx_print_preview_language(this);
    PreviewBasePpi = static_cast<uint16_t>(Print_preview_full_width_ppi(panel_size().width()));
    if (TrackBar_px_inchx->value() == 100)
        TrackBar_px_inchxChange();
    else
        TrackBar_px_inchx->setValue(100);
    drawn_ = {};
    StatusBar_status->setText(PrwDat.printer_count != 0
                                  ? QStringLiteral(" Printer: ") + Print_printer_names().value(PrwDat.printer_index)
                                  : QStringLiteral(" No Printer"));
}

void TForm_Oscx_print_preview::TrackBar_px_inchxChange()
{
    const int position = TrackBar_px_inchx->value();
    PrwDat.density = static_cast<uint16_t>(std::max(1, position * PreviewBasePpi / 100));
    Panel_px_inchx->setText(QString::number(position) + " %");
    Oscx_print_preview_layout(this);
}

void TForm_Oscx_print_preview::BitBtn_widthClick()
{
    TrackBar_px_inchx->setValue(Print_preview_full_width_ppi(panel_size().width()) * 100 / std::max<int>(1, PreviewBasePpi));
    TrackBar_px_inchxChange();
}

void TForm_Oscx_print_preview::BitBtn_heightClick()
{
    const int ppi = panel_size().height() * 254 / A4_HEIGHT_TENTHS;
    TrackBar_px_inchx->setValue(ppi * 100 / std::max<int>(1, PreviewBasePpi));
    TrackBar_px_inchxChange();
}

void TForm_Oscx_print_preview::BitBtn_printClick()
{
    QPointer<TForm_Oscx_print_preview> self(this);
    Oscx_print_job(&PrwDat, TracePrintChart.get());
    if (self)
        PrwDat.canvas = &image_;
}

void TForm_Oscx_print_preview::done(int result)
{
    Timer_monitor->stop();
    QDialog::done(result);
}

bool TForm_Oscx_print_preview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel_Img_preview && event->type() == QEvent::Resize)
        Oscx_print_preview_layout(this);
    return QDialog::eventFilter(watched, event);
}

void Oscx_print_preview_language(TForm_Oscx_print_preview* f)
{
    f->BitBtn_close->setText(Oscx_text(CLOSE));
}

void Oscx_print_preview_layout(TForm_Oscx_print_preview* f)
{
    const PreviewLayout l = Print_preview_layout(f->panel_size(), Print_preview_paper_size(PrwDat), BAR,
                                                 f->ScrollBar_X->value(), f->ScrollBar_Y->value());
    if (f->image_.size() != l.image)
        f->image_ = QImage(l.image.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    f->Image_preview->setGeometry(0, 0, l.image.width(), l.image.height());
    const QSignalBlocker bx(f->ScrollBar_X);
    const QSignalBlocker by(f->ScrollBar_Y);
    f->Panel_scroll_pg_x->setVisible(l.bar_x);
    f->Panel_scroll_pg_y->setVisible(l.bar_y);
    f->Panel_scroll_pg_xy->setVisible(l.bar_y);
    f->Panel_scroll_pg_x->setGeometry(0, l.image.height(), l.image.width(), BAR);
    f->Panel_scroll_pg_y->setGeometry(l.image.width(), 0, BAR, l.image.height());
    f->Panel_scroll_pg_xy->setGeometry(l.image.width(), l.image.height(), BAR, BAR);
    f->ScrollBar_X->setGeometry(0, 0, l.image.width(), BAR);
    f->ScrollBar_Y->setGeometry(0, 0, BAR, l.image.height());
    f->ScrollBar_X->setRange(0, l.max_x);
    f->ScrollBar_X->setPageStep(std::max(1, l.image.width()));
    f->ScrollBar_X->setValue(l.pos_x);
    f->ScrollBar_Y->setRange(0, l.max_y);
    f->ScrollBar_Y->setPageStep(std::max(1, l.image.height()));
    f->ScrollBar_Y->setValue(l.pos_y);
    PrwDat.origin_x = static_cast<float>(l.origin_x);
    PrwDat.origin_y = static_cast<float>(l.origin_y);
}

void Oscx_print_preview_refresh(TForm_Oscx_print_preview* f)
{
    const TForm_Oscx_print_preview::Drawn now{f->image_.size(), static_cast<int>(PrwDat.origin_x),
                                              static_cast<int>(PrwDat.origin_y), PrwDat.density, PrwDat.current_page};
    if (now == f->drawn_)
        return;
    f->drawn_ = now;
    Print_preview_draw_paper(f->image_, PrwDat);
    PrwDat.canvas = &f->image_;
    PrwDat.canvas_is_printer = false;
    Oscx_print_page(&PrwDat, TracePrintChart.get());
    f->Image_preview->setPixmap(QPixmap::fromImage(f->image_));
}
