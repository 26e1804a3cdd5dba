#pragma once
// The scope's channel settings dialog: the sampling period and the signal of each of the four
// channels, edited in ScopeSettingsEdit (copied from ScopeSettings at every show). The scope
// window commits the copy after OK (Oscx_set_commit_edit).
#include <cstdint>
#include <functional>

#include <QDialog>
#include <QString>

#include "scope_core/Oscx_signals_core.h"

class Canvas;
struct DrawRect;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

// What an owner-drawn combo item or grid cell shows.
struct OscxCellLook {
    QString text;          // combo items: index, "-" and name joined by blanks
    uint32_t colour = 0;   // text colour, 0x00BBGGRR
    bool bold = false;
    bool header = false;   // the grid's fixed row
    bool used = false;     // a grid row of a signal a channel holds (background 0xC6FCFD)
    uint8_t align = 0;     // AlignLeft, AlignRight, AlignCentre
};

class TForm_Oscx_Set : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Oscx_Set(QWidget* parent = nullptr);
    ~TForm_Oscx_Set() override;

    void FormCreate();
    void FormShow();
    void ComboBox_index_time_cmpChange();
    void ComboBox_CH0Change() { channel_change(0); }
    void ComboBox_CH1Change() { channel_change(1); }
    void ComboBox_CH2Change() { channel_change(2); }
    void ComboBox_CH3Change() { channel_change(3); }
    void ComboBox_CH0DrawItem(Canvas& c, int n, const DrawRect& r, bool selected) { draw_item(c, n, r, selected); }
    void ComboBox_CH1DrawItem(Canvas& c, int n, const DrawRect& r, bool selected) { draw_item(c, n, r, selected); }
    void ComboBox_CH2DrawItem(Canvas& c, int n, const DrawRect& r, bool selected) { draw_item(c, n, r, selected); }
    void ComboBox_CH3DrawItem(Canvas& c, int n, const DrawRect& r, bool selected) { draw_item(c, n, r, selected); }
    void StringGrid_cmp_listDrawCell(Canvas& c, int col, int row, const DrawRect& r);

    // Test seam: the looks the draw handlers paint.
    static OscxCellLook item_look(int n, bool selected);
    static OscxCellLook cell_look(int col, int row);

    QGroupBox* Panel_time = nullptr;
    QComboBox* ComboBox_index_time_cmp = nullptr;
    QGroupBox* GroupBox_channels = nullptr;
    QGroupBox* GroupBox_CH[SCOPE_CHANNELS] = {};
    QComboBox* ComboBox_CH[SCOPE_CHANNELS] = {};  // ComboBox_CH0 .. ComboBox_CH3
    QLabel* Panel_name_CH[SCOPE_CHANNELS] = {};   // the channel's signal name
    QFrame* Shape_CH[SCOPE_CHANNELS] = {};        // the channel's colour
    QTableWidget* StringGrid_cmp_list = nullptr;
    QWidget* Panel_buttons = nullptr;
    QPushButton* BitBtn_ok = nullptr;
    QPushButton* BitBtn_Close = nullptr;  // Cancel, the default button

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void apply_captions();
    void fill_combos();
    void show_channel(unsigned k);
    void select_channels();
    void channel_change(unsigned k);
    void draw_item(Canvas& c, int n, const DrawRect& r, bool selected);
    void layout_panels();
    void layout_buttons();
};

// The windows of this layer, handed with their factories to the main window's registry; also
// fills the trace print's request (Oscx_print_request).
enum class OscxWindow { Set, LoadDat, PrintPreview };
using OscxWindowFactory = QWidget* (*)(QWidget* parent);
void Oscx_register_windows(const std::function<void(OscxWindow, OscxWindowFactory)>& add);
