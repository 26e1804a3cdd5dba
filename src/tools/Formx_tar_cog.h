#pragma once
// Cogging acquisition: the confirmation dialog, and the acquisition window that starts the
// measurement in the drive, follows its phases on the rotor dial and takes the table bytes as
// they arrive into slot 0's cogging table, its grid and its curve. The grid and the curve fill are
// shared with the table view.
#include <cstdint>
#include <memory>

#include <QTableWidget>

#include "tools/Diagramxlt.h"
#include "tools/Tool_common.h"

class ImageBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;

constexpr int COGGING_ENTRIES = 256;

// The cogging table (256 signed bytes) of a DriveRecordBank slot.
int8_t* Cogging_table(uint8_t slot);

// Grid of a cogging table: header row "Dati", the index in column 0, the entry right-aligned.
class CoggingGrid : public QTableWidget {
    Q_OBJECT
public:
    CoggingGrid(QWidget* parent, uint8_t slot);
    uint8_t slot() const { return slot_; }
    // The text of a cell as it is drawn.
    QString cell_text(int row, int column) const;

private:
    uint8_t slot_;
};

// Appends the table to the chart as 256 samples, fixed scale 1.5 x the largest magnitude, both
// band flags off, and redraws.
void Cogging_fill_chart(DiagramxLt& chart, const int8_t* table);

class TForm_tar_cog_ck : public ToolDialog {
    Q_OBJECT
public:
    explicit TForm_tar_cog_ck(QWidget* parent = nullptr);
    void FormShow() override;

    QGroupBox* GroupBox_attenzione;
    QTextEdit* RichEdit_dialog;
    QPushButton* BitBtn_close;
    QPushButton* BitBtn_continua;
};

class TForm_tar_cog : public ToolDialog {
    Q_OBJECT
public:
    explicit TForm_tar_cog(QWidget* parent = nullptr);
    ~TForm_tar_cog() override;

    void FormShow() override;
    void BitBtn_startClick();
    void BitBtn_stopClick();
    void Timer_ctrlTimer();
    // One monitor tick at time now (ms).
    void CoggingMonitorTick(uint32_t now);
    void done(int result) override;

    QGroupBox* GroupBox_taratura_pos_sensor;
    ImageBox* Image_rotor;
    QLabel* Panel_str_position;
    QLabel* Panel_posizione;
    QGroupBox* GroupBox_cam_table;
    CoggingGrid* StringGrid_cog;
    QWidget* Panel_graph;
    QProgressBar* ProgressBar_tar_sensor;
    QTextEdit* RichEdit_taratura;
    QPushButton* BitBtn_start;
    QPushButton* BitBtn_stop;
    QPushButton* BitBtn_terminal;
    QPushButton* BitBtn_close;
    QWidget* PanelTar_Pos_SensorStb;
    QTimer* Timer_monitor_seriale;
    QTimer* Timer_ctrl;
    std::unique_ptr<DiagramxLt> chart;

    // Window state.
    bool running = false;
    bool link_seen = false;
    bool blink = false;
    uint8_t last_mode = 0;
    uint8_t last_phase = 0;
    uint32_t progress_tick = 0;
    uint32_t blink_tick = 0;
    ToolLinkWatch link;

private:
    void follow_reply(uint32_t now);
    void finish(uint16_t position);
    void take_table();
    void show_dial(uint8_t phase, uint16_t position, uint32_t now);
    void phase_words(uint8_t phase, uint8_t mode);
    void incomplete();

    std::unique_ptr<ToolStatusBar> status_;
    bool closed_ = false;
};

// The chart fill of the acquisition window (slot 0).
void Formx_tar_cog_fill_chart(TForm_tar_cog& window);
