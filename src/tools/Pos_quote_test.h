#pragma once
// Positioning test bench: turns the connected drive into a Modbus positioner with units of its
// own, runs its position table, jogs and sets home while showing speed, position and current,
// and restores the drive's parameters when it closes.
#include <cstdint>
#include <memory>

#include <QDialog>

#include "controls/MemoUpDwx.h"
#include "shell/Stbar.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

// Record offsets of the fields the bench changes and restores (slot 0).
namespace PosTestOfs {
constexpr std::size_t BusType = 110;
constexpr std::size_t Table = 304;          // 5 rows of 5 x 32 bits, registers 0900h..0931h
constexpr std::size_t Threshold = 404;      // 0932h
constexpr std::size_t TableFlags = 408;     // 0934h
constexpr std::size_t ControlType = 466;    // 0401h
constexpr std::size_t VelocityNum = 476;    // 0406h
constexpr std::size_t VelocityDen = 480;    // 0408h
constexpr std::size_t AccelNum = 484;       // 040Ah
constexpr std::size_t AccelDen = 488;       // 040Ch
constexpr std::size_t MaxPosError = 492;    // 040Eh
constexpr std::size_t PosErrorTime = 496;   // 0410h
constexpr std::size_t Target = 616;         // 0601h: the 84 bytes up to the homing block
constexpr std::size_t Acceleration = 620;   // 0603h
constexpr std::size_t Deceleration = 624;   // 0605h
constexpr std::size_t Jerk = 628;           // 0607h
constexpr std::size_t PositionNum = 632;    // 0609h
constexpr std::size_t PositionDen = 636;    // 060Bh
constexpr std::size_t HomeOffset = 640;     // 060Dh
constexpr std::size_t PositionMin = 644;    // 0618h
constexpr std::size_t PositionMax = 648;    // 061Ah
constexpr std::size_t JogAcc = 652;         // 0614h
constexpr std::size_t JogDec = 656;         // 0616h
constexpr std::size_t JogVelocity2 = 660;   // 060Fh
constexpr std::size_t JogVelocity = 664;    // 0612h
constexpr std::size_t JogType = 668;        // 0611h
constexpr std::size_t CommandWord = 670;    // 0600h
constexpr std::size_t PositionBlockEnd = 700;
constexpr std::size_t HomingMethod = 712;   // 0640h
}  // namespace PosTestOfs

constexpr int POS_TABLE_ROWS = 5;
constexpr int POS_TABLE_COLUMNS = 5;

// What the bench changes, saved when it is shown.
struct PositionTestBackupRec {
    uint16_t bus_type;
    uint16_t control_type;
    uint8_t position_block[PosTestOfs::PositionBlockEnd - PosTestOfs::Target];  // 84 bytes from 0601h
    int16_t homing_method;
    uint32_t factors[4];  // velocity and acceleration numerators and denominators
    int32_t max_pos_error;
    uint16_t pos_error_time;
    uint8_t remote;  // the main window's remote button was down
};
extern PositionTestBackupRec PositionTestBackup;

// Units of the motor type of slot 0.
struct PosTestUnits {
    bool linear;
    uint32_t position_num, position_den;
    uint32_t factor_num, factor_den;  // velocity and acceleration
};
// Rotary: 1/1 and 16384/15; linear: 655360 and 6553600 over the pole pitch (0: not usable).
PosTestUnits Pos_quote_test_units();
// Rows in use: table flags bits 0-2, taken into 2..5.
int Pos_quote_test_rows();
// The port is open and the send thread runs.
bool Pos_quote_test_port_usable();

// Opens nothing and warns when the bench cannot run (a linear motor without pole pitch).
bool Pos_quote_test_allowed();

// Entering and leaving the test set-up (every write not stored permanently); each ends waiting
// for the queue to drain below 4 requests.
void Pos_quote_test_save();
void Pos_quote_test_enter();
void Pos_quote_test_leave();
// When the bench exists: marks a drive write as pending and deletes the bench (which restores
// the drive and then ends the pending write).
void Pos_quote_test_close();

class TForm_pos_quote_test : public QDialog {
    Q_OBJECT
public:
    explicit TForm_pos_quote_test(QWidget* parent = nullptr);
    ~TForm_pos_quote_test() override;  // FormDestroy

    void FormShow();
    void BitBtn_CloseClick();
    void SpeedButton_power_on_offClick();
    void SpeedButton_test_on_offClick();
    void BitBtn_pos_test_resetClick();
    void SpeedButton_jog_piuClick();
    void SpeedButton_jog_menoClick();
    void BitBtn_set_homeClick();
    void BitBtn_insClick();
    void BitBtn_cancClick();
    void CheckBox_enable_pos_flyClick();
    void ComboBox_jerk_timeChange(int index);
    void ComboBox_type_profiloChange(int index);
    void StringGrid_pos_datiSelectCell(int row, int column);
    // The 10 ms test tick and the 30 ms monitor tick.
    void Timer_testTimer();
    void Timer_monitorTimer();

    void Pos_quote_test_set_texts();
    void Pos_quote_test_refresh_table();
    void Pos_quote_test_apply_profile();
    void Pos_quote_test_place_editor(int row, int column);
    void Pos_quote_test_show_monitor();
    void Pos_quote_test_set_home();
    // The grid's texts and the row marker.
    void Pos_quote_test_draw_grid();

    QWidget* Panel_service;
    QWidget* Panel_ctrl;
    QPushButton* SpeedButton_power_on_off;
    QPushButton* SpeedButton_test_on_off;
    QPushButton* BitBtn_pos_test_reset;
    QPushButton* SpeedButton_jog_piu;
    QPushButton* SpeedButton_jog_meno;
    QPushButton* BitBtn_set_home;
    QPushButton* BitBtn_Close;

    QGroupBox* GroupBox_monitor;
    QLabel* Panel_str_posizione;
    QLabel* Panel_str_velocita;
    QLabel* Panel_str_corrente;
    QLabel* Panel_giri;
    QLabel* Panel_offset_giro;
    QLabel* Panel_speed;
    QLabel* Panel_corr;
    QLabel* Panel_unit_posizione;
    QLabel* Panel_unit_velocita;
    QLabel* Panel_unit_corrente;
    QLabel* Panel_str_counts_rev;
    QLabel* Panel_counts_rev;

    QGroupBox* GroupBox_pos_settings;
    QLabel* Panel_str_tipo;
    QComboBox* ComboBox_type_profilo;
    QLabel* Panel_str_jerk_time;
    QComboBox* ComboBox_jerk_time;
    QCheckBox* CheckBox_enable_pos_fly;
    FlowPanel* FlowPanel_dpos_fly;
    QPushButton* BitBtn_ins;
    QPushButton* BitBtn_canc;
    QLabel* Panel_numq;
    QLabel* Panel_numq_max;
    QTableWidget* StringGrid_pos_dati;
    FlowPanel* FlowPanel_dat_grid;

    QGroupBox* GroupBox_jog;
    FlowPanel* FlowPanel_pos_jog_rif;
    FlowPanel* FlowPanel_pos_jog_acc;
    FlowPanel* FlowPanel_pos_jog_dec;
    FlowPanel* FlowPanel_error_max;
    FlowPanel* FlowPanel_error_time;

    QWidget* PanelPosTestStb;
    QTimer* Timer_test;
    QTimer* Timer_monitor;

    uint8_t LinkSeen = 0;
    uint16_t CurrentRow = 0;
    uint8_t Ready = 0;

    MemoUpDwx<int32_t>* cell_editor() const { return cell_.get(); }
    int editor_row() const { return cell_row_; }
    int editor_column() const { return cell_column_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // FormClose
    // Escape closes (and so deletes and restores) like every other way out.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void spread_columns();
    void cover_cell();
    void create_edits();
    void layout_monitor();
    void show_jog_edits();
    void set_power(bool down);
    void set_rows(int rows);
    void write_flags();
    void set_flag_bit(uint16_t bit, bool on);
    void jog(QPushButton* button, uint16_t bit, uint16_t other);
    void release_jog(QPushButton* button, uint16_t bit);

    std::unique_ptr<MemoUpDwx<int32_t>> cell_;
    std::unique_ptr<MemoUpDwx<int32_t>> threshold_;
    std::unique_ptr<MemoUpDwx<uint32_t>> error_max_;
    std::unique_ptr<MemoUpDwx<int16_t>> jog_speed_;
    std::unique_ptr<MemoUpDwx<uint32_t>> jog_acc_;
    std::unique_ptr<MemoUpDwx<uint32_t>> jog_dec_;
    std::unique_ptr<MemoUpDwx<uint16_t>> error_time_;
    int cell_row_ = 1;
    int cell_column_ = 1;
    StbarPane panes_[3];
    StbarPane* pane_list_[4];
    Stbarx* stb_ = nullptr;
    bool shown_ = false;
    bool busy_ = false;  // entering or leaving the set-up (its queue wait runs an event loop)
};
