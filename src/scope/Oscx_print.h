#pragma once
// Printing of a chart: one portrait page with a head (time and date), the drive family box, the
// chart painted by the chart engine and a legend of the four channels. The print dialog picks the
// printer and the mode (displayed or complete graph); the preview shows the page with a zoom.
// Geometry, fonts, time text and the preview paper are the printout's (pendrix_print_core).
#include <cstdint>
#include <optional>

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QSize>

#include "print_core/Printer_data.h"

class Diagramx;
class ImageBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPainter;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTimer;

// The trace print's page record; its strings empty at start.
extern PrintPageRec PrwDat;
// 0 the displayed graph, 1 the complete graph; 0 each time the dialog opens.
extern uint8_t TracePrintMode;
// Resolution of the preview at 100 %, at least 1.
extern uint16_t PreviewBasePpi;

// The chart the preview draws and its print button prints, held through a guard: null once the
// window that owns the chart has destroyed it.
class TracePrintChartRef {
public:
    void set(Diagramx* chart);
    Diagramx* get() const;

private:
    Diagramx* chart_ = nullptr;
    QPointer<ImageBox> alive_;
};
extern TracePrintChartRef TracePrintChart;

// The request of both windows: printer, empty chart, dialog, then preview or print. A chart that
// goes away while the dialog is open ends the request quietly.
void Oscx_trace_print_request(QWidget* parent, Diagramx* chart, uint8_t preview);
void Oscx_print_preview_open(QWidget* parent, Diagramx* chart);
// Prints the page on the page record's printer entry ("PDF file" asks for the file first).
void Oscx_print_job(PrintPageRec* p, Diagramx* chart);
// One page on p's canvas: the printer's through `printer_painter` when p->canvas_is_printer,
// else an image at p's pixels per inch with its origin.
void Oscx_print_page(PrintPageRec* p, Diagramx* chart, QPainter* printer_painter = nullptr);
// Parts of the page at resolution r; heights returned.
int Oscx_print_time_line(QPainter& painter, const PrintPageRec* p, int x, int y, int r);
void Oscx_print_footer(QPainter& painter, const PrintPageRec* p, int x, int yb, int r);
int Oscx_print_drive_box(QPainter& painter, const PrintPageRec* p, int x, int y, int r);

class TForm_Oscx_Set_Print : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Oscx_Set_Print(QWidget* parent = nullptr);

    QGroupBox* GroupBox_printer = nullptr;
    QLabel* Panel_nome = nullptr;
    QComboBox* ComboBox_list_printer = nullptr;
    QGroupBox* GroupBox_mode = nullptr;
    QRadioButton* RadioButton_grafico_visualiz = nullptr;
    QRadioButton* RadioButton_grafico_completo = nullptr;
    QWidget* Panel_button = nullptr;
    QPushButton* BitBtn_print = nullptr;
    QPushButton* BitBtn_preview = nullptr;
    QPushButton* BitBtn_cancel = nullptr;

    void FormShow();
    void BitBtn_printClick();

protected:
    void showEvent(QShowEvent* event) override;
};
TForm_Oscx_Set_Print* TForm_Oscx_Set_Print_new(QWidget* parent);
void Oscx_set_print_language(TForm_Oscx_Set_Print* form);

class TForm_Oscx_print_preview : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Oscx_print_preview(QWidget* parent = nullptr);
    ~TForm_Oscx_print_preview() override;

    QSlider* TrackBar_px_inchx = nullptr;
    QLabel* Panel_px_inchx = nullptr;
    QPushButton* BitBtn_width = nullptr;
    QPushButton* BitBtn_height = nullptr;
    QPushButton* BitBtn_print = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QWidget* Panel_Img_preview = nullptr;
    QLabel* Image_preview = nullptr;
    QWidget* Panel_scroll_pg_y = nullptr;
    QScrollBar* ScrollBar_Y = nullptr;
    QWidget* Panel_scroll_pg_x = nullptr;
    QScrollBar* ScrollBar_X = nullptr;
    QWidget* Panel_scroll_pg_xy = nullptr;
    QLabel* StatusBar_status = nullptr;
    QTimer* Timer_monitor = nullptr;

    void FormShow();
    void TrackBar_px_inchxChange();
    void BitBtn_widthClick();
    void BitBtn_heightClick();
    void BitBtn_printClick();
    const QImage& image() const { return image_; }

    // Test seam: the preview image's panel size in place of the window's.
    static std::optional<QSize> fixed_panel;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend void Oscx_print_preview_layout(TForm_Oscx_print_preview* form);
    friend void Oscx_print_preview_refresh(TForm_Oscx_print_preview* form);
    QSize panel_size() const;
    struct Drawn {
        QSize image;
        int origin_x = 0, origin_y = 0;
        uint16_t ppi = 0;
        uint32_t page = 0;
        bool operator==(const Drawn&) const = default;
    };
    QImage image_;
    Drawn drawn_;
};
TForm_Oscx_print_preview* TForm_Oscx_print_preview_new(QWidget* parent);
void Oscx_print_preview_language(TForm_Oscx_print_preview* form);
void Oscx_print_preview_layout(TForm_Oscx_print_preview* form);
void Oscx_print_preview_refresh(TForm_Oscx_print_preview* form);
