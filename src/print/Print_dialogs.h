#pragma once
// The windows of the printout: the print selection dialog, the print dialog (printer and page
// range) and the preview with zoom and page navigation. All three read and write PrintPage.
#include <cstdint>

#include <QDialog>
#include <QImage>
#include <QSize>

#include "print_core/Print_preview.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTimer;
class QWidget;
struct PrintPageRec;

// ---- selection dialog: result 1 print or preview, 2 cancel ----
class TForm_Set_Print : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Set_Print(QWidget* parent = nullptr);

    QGroupBox* GroupBox_printer = nullptr;
    QLabel* Label_name = nullptr;
    QComboBox* ComboBox_list_printer = nullptr;
    QGroupBox* RadioGroup_print_list_select = nullptr;
    QRadioButton* RadioItem[3] = {};
    QPushButton* BitBtn_print = nullptr;
    QPushButton* BitBtn_preview = nullptr;
    QPushButton* BitBtn_cancel = nullptr;

    void FormShow();
    void done(int result) override;  // FormClose
    int selected_item() const;

protected:
    void showEvent(QShowEvent* event) override;
};

// ---- print dialog: result 1 to print PrintPage.first_page..last_page ----
class TForm_printer_data : public QDialog {
    Q_OBJECT
public:
    explicit TForm_printer_data(QWidget* parent = nullptr);

    QGroupBox* GroupBox_printer = nullptr;
    QLabel* Label_name = nullptr;
    QLabel* Panel_printer = nullptr;
    QGroupBox* GroupBox_range = nullptr;
    QRadioButton* RadioButton_pages_all = nullptr;
    QRadioButton* RadioButtonl_page_current = nullptr;
    QRadioButton* RadioButtonl_page_interval = nullptr;
    QLabel* Label_to = nullptr;
    QLineEdit* Memo_page_start = nullptr;
    QLineEdit* Memo_page_end = nullptr;
    QPushButton* BitBtn_print = nullptr;
    QPushButton* BitBtn_cancel = nullptr;

    void FormShow();
    void BitBtn_printClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void set_fields_enabled(bool on);
};

// ---- preview ----
class TForm_print_preview : public QDialog {
    Q_OBJECT
public:
    explicit TForm_print_preview(QWidget* parent = nullptr);
    ~TForm_print_preview() override;

    QWidget* Panel_Img_preview = nullptr;
    QLabel* Image_preview = nullptr;
    QScrollBar* ScrollBar_X = nullptr;
    QScrollBar* ScrollBar_Y = nullptr;
    QSlider* TrackBar_px_inchx = nullptr;
    QLabel* Label_zoom = nullptr;
    QPushButton* BitBtn_width = nullptr;
    QPushButton* BitBtn_height = nullptr;
    QPushButton* BitBtn_prn_first_pg = nullptr;
    QPushButton* BitBtn_prn_prior_pg = nullptr;
    QPushButton* BitBtn_prn_next_pg = nullptr;
    QPushButton* BitBtn_prn_last_pg = nullptr;
    QPushButton* BitBtn_print = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QLabel* StatusBar_printer = nullptr;
    QLabel* StatusBar_page = nullptr;
    QTimer* Timer_monitor = nullptr;

    void FormShow();
    void TrackBar_px_inchxChange();
    void BitBtn_widthClick();
    void BitBtn_heightClick();
    void relayout();  // ScrollBar_XChange, ScrollBar_YChange, Panel_Img_previewResize
    void BitBtn_printClick();
    void Timer_monitorTimer();
    int full_width_ppi() const { return full_width_ppi_; }
    const QImage& image() const { return image_; }
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // FormShortCut
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Drawn {
        QSize image;
        uint32_t page = 0;
        float origin_x = 0, origin_y = 0;
        uint16_t ppi = 0;
        int scroll_x = -1;
        bool operator==(const Drawn&) const = default;
    };
    void go_to(uint32_t page);
    void free_list();

    QImage image_;
    int full_width_ppi_ = 1;
    Drawn drawn_;
    bool closed_ = false;
};
