#pragma once
// The oscilloscope window: starts and stops sampling, moves the samples to its chart through the
// trigger, hosts the trigger, channel, scale and cursor controls, saves recordings and shows the
// link load and the drive's buffer state. One at a time; it deletes itself when closed.
#include <cstdint>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "link/Scope_link.h"
#include "scope/Fz_cmp.h"
#include "scope_core/Oscx_trigger.h"

class Diagramx;
class ImageBox;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class Stbarx;
class UpDownButton;
struct StbarPane;

// ScopeDisplayFlags bits.
namespace ScopeDisplay {
constexpr uint8_t Blink = 0x01;         // blink phase, toggled every 500 ms
constexpr uint8_t OverflowAsked = 0x02; // the overflow question is open
}  // namespace ScopeDisplay
extern uint8_t ScopeDisplayFlags;

// Print or preview (flag 1) of the chart; null until the trace printing fills it, and the print
// commands stay disabled meanwhile.
extern void (*Oscx_print_request)(QWidget* parent, Diagramx* chart, uint8_t preview);

class TForm_Oscx : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm_Oscx(QWidget* parent = nullptr);
    ~TForm_Oscx() override;

    // ---- handlers ----
    void FormCreate();
    void FormShow();
    void FormClose();
    void BitBtn_cmp_startClick();
    void BitBtn_cmp_stopClick();
    void BitBtn_retriggerClick();
    void BitBtn_forza_triggerClick();
    void BitBtn_channels_setClick();
    void BitBtn_PIDClick();
    void BitBtn_pos_testClick();
    void BitBtn_clearClick();
    void BitBtn_unzoomClick();
    void BitBtn_saveClick();
    void BitBtn_openClick();
    void BitBtn_printClick();
    void BitBtn_previewClick();
    void BitBtn_terminalClick();
    void SpeedButton_CHClick(unsigned c);
    void SpeedButton_color_CHClick(unsigned c);
    void ComboBox_index_asse_yChange(bool right);
    void CheckBox_cursorClick(bool time_axis);
    void RadioButton_scalaClick(unsigned c, bool fixed);
    void ScrollBar_time_data_setChange();
    void ComboBox_trigger_typeChange();
    void ComboBox_trigger_pendenzaChange();
    void CheckBox_trigger_dynamicClick();
    void CheckBox_trigger_showClick();
    void ComboBox_trigger_chChange();
    void Image_time_setMouse(int x, bool down, bool up);
    void Image_trigger_asse_yMouse(int y, bool down, bool up);
    void Timer_diagramxTimer();
    void Timer_monitorTimer();
    void Timer_buffer_overflowTimer();

    // ---- operations ----
    void Oscx_apply_channels();
    void Oscx_refresh_controls();
    void Oscx_trigger_controls();
    void Oscx_set_language();
    void Oscx_draw_cmp_status(uint8_t active);
    void Oscx_draw_time_set();
    void Oscx_draw_level();
    void Oscx_draw_record_time();

    Diagramx* chart() const { return chart_.get(); }
    Stbarx* status_bar() const { return stb_; }

    // ---- components ----
    QAction* Menu_open = nullptr;
    QAction* Menu_Save = nullptr;
    QAction* Menu_Stampa = nullptr;
    QAction* Menu_AnteprimadiStampa = nullptr;
    QAction* Menu_Chiudi = nullptr;
    QAction* Menu_cmp_start = nullptr;
    QAction* Menu_cmp_stop = nullptr;
    QAction* Menu_Retrigger = nullptr;
    QAction* Menu_ImpostaCanali = nullptr;
    QAction* Menu_Regolatori = nullptr;
    QAction* Menu_clear = nullptr;
    QAction* Menu_unzoom = nullptr;
    QToolButton* BitBtn_open = nullptr;
    QToolButton* BitBtn_save = nullptr;
    QToolButton* BitBtn_print = nullptr;
    QToolButton* BitBtn_preview = nullptr;
    QToolButton* BitBtn_cmp_start = nullptr;
    QToolButton* BitBtn_cmp_stop = nullptr;
    QToolButton* BitBtn_retrigger = nullptr;
    QToolButton* BitBtn_forza_trigger = nullptr;
    QToolButton* BitBtn_channels_set = nullptr;
    QToolButton* BitBtn_PID = nullptr;
    QToolButton* BitBtn_pos_test = nullptr;
    QToolButton* BitBtn_clear = nullptr;
    QToolButton* BitBtn_unzoom = nullptr;
    QToolButton* BitBtn_terminal = nullptr;
    QWidget* Panel_graph = nullptr;
    QWidget* PanelOscxStb = nullptr;
    ImageBox* Image_stato_cmp = nullptr;
    ImageBox* Image_buf_cmp = nullptr;
    ImageBox* Image_trigger_state = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* TabSheet_cursori = nullptr;
    QWidget* TabSheet_scala = nullptr;
    QWidget* TabSheet_trigger = nullptr;
    QToolButton* SpeedButton_CH[SCOPE_CHANNELS] = {};
    QToolButton* SpeedButton_color_CH[SCOPE_CHANNELS] = {};
    QFrame* Shape_CH[SCOPE_CHANNELS] = {};
    QLabel* Panel_name_CH[SCOPE_CHANNELS] = {};
    QLabel* Panel_scala_CH[SCOPE_CHANNELS] = {};
    QLabel* Panel_cursor_CH[SCOPE_CHANNELS] = {};
    QLabel* Panel_cursor_y[SCOPE_CHANNELS][3] = {};  // Panel_cursor<c>_y1, _y2, _dy
    QLabel* Panel_cursor_time[3] = {};               // Panel_cursor_time_t1, _t2, _dt
    QCheckBox* CheckBox_cursor_asseY = nullptr;
    QCheckBox* CheckBox_cursor_asseT = nullptr;
    QComboBox* ComboBox_index_asse_y_left = nullptr;
    QComboBox* ComboBox_index_asse_y_right = nullptr;
    QRadioButton* RadioButton_scala_aut[SCOPE_CHANNELS] = {};
    QRadioButton* RadioButton_scala_fix[SCOPE_CHANNELS] = {};
    QLineEdit* Memo_scala_max[SCOPE_CHANNELS] = {};
    QLineEdit* Memo_scala_min[SCOPE_CHANNELS] = {};
    UpDownButton* UpDown_scala_max[SCOPE_CHANNELS] = {};
    UpDownButton* UpDown_scala_min[SCOPE_CHANNELS] = {};
    QComboBox* ComboBox_trigger_type = nullptr;
    QComboBox* ComboBox_trigger_pendenza = nullptr;
    QComboBox* ComboBox_trigger_ch = nullptr;
    QCheckBox* CheckBox_trigger_dynamic = nullptr;
    QCheckBox* CheckBox_trigger_show = nullptr;
    ImageBox* Image_time_set = nullptr;
    ImageBox* Image_trigger_asse_y = nullptr;
    QLabel* Panel_time_pre_pct = nullptr;      // "25.0 %"
    QLabel* Panel_time_pre_s = nullptr;        // "20.000 s"
    QLabel* Panel_trigger_level = nullptr;     // "5.00 A"
    QLabel* Panel_trigger_level_pct = nullptr; // "75.0 %"
    QLabel* Label_trigger_asse = nullptr;      // "CH [A]"
    QLineEdit* Memo_trigger_y_max = nullptr;
    QLineEdit* Memo_trigger_y_min = nullptr;
    UpDownButton* UpDown_trigger_y_max = nullptr;
    UpDownButton* UpDown_trigger_y_min = nullptr;
    QScrollBar* ScrollBar_time_data_set = nullptr;
    QLabel* Panel_record_time = nullptr;
    QTimer* Timer_diagramx = nullptr;
    QTimer* Timer_monitor = nullptr;
    QTimer* Timer_buffer_overflow = nullptr;

    // Test seam: the last drawn sampling indicator (0 "--", 1 "On", 2 blank, 3 "Off").
    uint8_t indicator_shown = 255;
    QString indicator_text;
    QString status_text;  // the status pane's type name and box text, for tests

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void build_menus();
    void build_toolbar();
    void wrap_tool_bars();
    void build_cursor_tab();
    void build_scale_tab();
    void build_trigger_tab();
    void build_status();
    void create_chart();
    void connect_edits();
    void free_status_bar();
    bool alive(const QPointer<TForm_Oscx>& self) const;
    void capture_start();
    void follow_capture();
    void repaint_status();
    FzScaleEdits scale_edits(unsigned c);
    FzScaleEdits trigger_edits();
    void trigger_edit_changed();
    void set_trigger_ranges();
    void set_scale_ranges();
    void channel_colour(unsigned c);
    void draw_indicator();
    void draw_load();
    void monitor_buttons();
    void print_command(uint8_t preview);
    void slider_mouse(int which, int pos, bool down, bool up);

    std::vector<QToolBar*> tool_bars_;
    std::unique_ptr<Diagramx> chart_;
    std::unique_ptr<ScopeChart> port_;
    Stbarx* stb_ = nullptr;
    std::unique_ptr<StbarPane> panes_[5];
    StbarPane* pane_list_[6] = {};
    int drag_ = 0;  // 1 pre-trigger marker, 2 level marker
    uint32_t blink_tick_ = 0;
    bool sampling_ = false;  // the capture state the timers follow
    bool placed_ = false;    // sized at its first showing (placed by the window rule)
};

// Registers the scope window's factory and installs its entries (ScopeEntries) for the main window.
void Oscx_register_window();
// The open scope window, null while none is.
TForm_Oscx* Oscx_open_window();
