#pragma once
// Cogging table view: the cogging table of the data set the pages show (PageContext) as a grid
// and a curve, with zoom in, zoom out and back to the whole table. Changes and sends nothing.
#include <memory>

#include "tools/Formx_tar_cog.h"
#include "tools/Tool_common.h"

class QGroupBox;
class QPushButton;
class QToolBar;

class TForm_cog_dat : public ToolDialog {
    Q_OBJECT
public:
    explicit TForm_cog_dat(QWidget* parent = nullptr);
    ~TForm_cog_dat() override;

    void FormShow() override;
    void BitBtn_unzoomClick();
    void done(int result) override;

    QWidget* ControlBar_main;
    QToolBar* ToolBar_uno;
    QPushButton* BitBtn_unzoom;
    QPushButton* BitBtn2_zoom_in;
    QPushButton* BitBtn1;
    QGroupBox* GroupBox_cam_table;
    CoggingGrid* StringGrid_cog;
    QWidget* Panel_graph;
    QPushButton* BitBtn_close;
    QWidget* Panel_Stb;
    std::unique_ptr<DiagramxLt> chart;

private:
    std::unique_ptr<ToolStatusBar> status_;
    bool closed_ = false;
};

// Fills the view's chart from the table of its slot.
void Formx_cog_dat_fill_chart(TForm_cog_dat& window);
// Widens (step > 0) or narrows (step <= 0) channel 0's range by step x half its span: the fixed
// pair in the automatic view, the zoom pair after a mouse zoom; within +-127 when widening, never
// closer than 0.01 to the centre when narrowing; redrawn only when it changed.
void Formx_cog_dat_zoom(DiagramxLt& chart, double step);
