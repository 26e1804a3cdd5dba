#pragma once
// The recording viewer: shows a scope recording (*.dmg) offline on a chart of its own with the
// names, units, colours, scales, axes and sampling period the recording carries, and prints or
// previews it. Modal; created by its opener and deleted after it closes.
#include <cstdint>
#include <memory>

#include <QDialog>

#include "link/Scope_link.h"
#include "scope/Fz_cmp.h"

class Diagramx;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QToolButton;
class Stbarx;
class UpDownButton;
struct StbarPane;

// The viewer's settings: the defaults until a file is loaded, then the file's.
extern ScopeSettingsRec ViewerSettings;
// Full path of the loaded file; empty until one is.
extern QString ViewerFilePath;
// The eight bindings on the scale maxima and minima of ViewerSettings.
struct ViewerScaleBindingsRec {
    Dato_long max[SCOPE_CHANNELS];
    Dato_long min[SCOPE_CHANNELS];
};
ViewerScaleBindingsRec& ViewerScaleBindings();
// Test seam: the texts last painted in the period and file panes, pieces joined by blanks.
extern QString ViewerPaneText[2];

// ViewerSettings to the defaults of the current catalogue.
void Oscx_load_dat_defaults();

class TForm_Oscx_load_dat : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Oscx_load_dat(QWidget* parent = nullptr);
    ~TForm_Oscx_load_dat() override;

    // ---- handlers ----
    void FormShow();
    void FormClose();
    void BitBtn_openClick();
    void BitBtn_printClick();
    void BitBtn_previewClick();
    void BitBtn_unzoomClick();
    void SpeedButton_CHClick(unsigned c);
    void SpeedButton_color_CHClick(unsigned c);
    void CheckBox_cursor_asseYClick();
    void CheckBox_cursor_asseTClick();
    void ComboBox_index_asse_yChange(bool right);
    void RadioButton_scalaClick(unsigned c, bool fixed);
    void TabSheet_scalaShow();

    // ---- operations ----
    void Oscx_load_dat_set_caption(uint8_t family_code);
    void Oscx_load_dat_apply_settings();
    void Oscx_load_dat_link_readouts();
    void Oscx_load_dat_show_level_readouts();
    void Oscx_load_dat_show_time_readouts();
    void Oscx_load_dat_language();

    Diagramx* chart() const { return ViewerChart.get(); }
    std::unique_ptr<Diagramx> ViewerChart;

    // ---- components ----
    QAction* Menu_open = nullptr;
    QAction* Menu_Chiudi = nullptr;
    QAction* Menu_Printx = nullptr;
    QAction* Menu_Stampa = nullptr;
    QAction* Menu_AnteprimadiStampa = nullptr;
    QToolButton* BitBtn_open = nullptr;
    QToolButton* BitBtn_print = nullptr;
    QToolButton* BitBtn_preview = nullptr;
    QToolButton* BitBtn_unzoom = nullptr;
    QToolButton* SpeedButton_CH[SCOPE_CHANNELS] = {};
    QToolButton* SpeedButton_color_CH[SCOPE_CHANNELS] = {};
    QFrame* Shape_color_CH[SCOPE_CHANNELS] = {};
    QLabel* Panel_nome_CH[SCOPE_CHANNELS] = {};
    QTabWidget* PageControl_scope = nullptr;
    QWidget* TabSheet_cursori = nullptr;
    QWidget* TabSheet_scala = nullptr;
    QCheckBox* CheckBox_cursor_asseY = nullptr;
    QCheckBox* CheckBox_cursor_asseT = nullptr;
    QFrame* Shape_cursor[SCOPE_CHANNELS] = {};
    QLabel* Panel_cursor_nome[SCOPE_CHANNELS] = {};
    QLabel* Panel_cursor_y[SCOPE_CHANNELS][3] = {};  // Panel_cursor<c>_y1, _y2, _dy
    QLabel* Panel_cursor_time_nome = nullptr;
    QLabel* Panel_cursor_time[3] = {};               // Panel_cursor_time_t1, _t2, _dt
    QFrame* Shape_scala[SCOPE_CHANNELS] = {};
    QLabel* Panel_scala_nome[SCOPE_CHANNELS] = {};
    QRadioButton* RadioButton_scala_aut[SCOPE_CHANNELS] = {};
    QRadioButton* RadioButton_scala_fix[SCOPE_CHANNELS] = {};
    QLineEdit* Memo_scala_max[SCOPE_CHANNELS] = {};
    QLineEdit* Memo_scala_min[SCOPE_CHANNELS] = {};
    UpDownButton* UpDown_scala_max[SCOPE_CHANNELS] = {};
    UpDownButton* UpDown_scala_min[SCOPE_CHANNELS] = {};
    QLabel* Panel_left_axis = nullptr;
    QLabel* Panel_right_axis = nullptr;
    QComboBox* ComboBox_index_asse_y_left = nullptr;
    QComboBox* ComboBox_index_asse_y_right = nullptr;
    QWidget* Panel_graph = nullptr;
    QWidget* Panel_Oscx_Load_SBar = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void build();
    QWidget* build_channel_bar();
    QWidget* build_cursor_tab();
    QWidget* build_scale_tab();
    FzScaleEdits scale_edits(unsigned c);
    void set_colour(unsigned c, uint32_t colour);
    void load(const QString& file);
    void print_command(uint8_t preview);

    Stbarx* stb_ = nullptr;
    std::unique_ptr<StbarPane> panes_[2];
    StbarPane* pane_list_[3] = {};
    bool closed_ = false;
    bool placed_ = false;  // sized at its first showing (placed by the window rule)
};

TForm_Oscx_load_dat* TForm_Oscx_load_dat_new(QWidget* parent);
