#pragma once
// The regulator panel beside the scope: seven regulator gains of the connected drive (slot 0),
// each written once confirmed, and the drive's signal generator with its simulated power,
// operative and alarm-reset inputs. The generator's waveform, period and amplitudes are the
// settings' values; each change is handed to the link (SignalGenerator) before its request.
// Opened by the scope window through the window registry (ToolWin::OscxPID). GUI thread only.
#include <array>
#include <cstdint>
#include <memory>

#include <QWidget>

#include "scope/Dato_user.h"

class FlowPanel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class Stbarx;
struct StbarPane;

extern uint8_t OscxPidHandlersOn;   // 0 while the panel rebinds its edits: their events do nothing
extern uint8_t OscxPidGainWritten;  // a gain was written; cleared when the main window's page was refreshed

// The panel's edits: seven gains, then the generator's period and amplitudes.
enum class OscxPidEdit : uint8_t {
    CorKp, CorKi, CorKd, SpeedKp, SpeedKi, SpeedKd, PosKp, Period, AmpCor, AmpVel, Count
};
constexpr std::size_t OSCX_PID_EDITS = static_cast<std::size_t>(OscxPidEdit::Count);

// The five handlers of one edit, named after its memo and up-down.
#define OSCX_PID_EDIT_HANDLERS(stem, edit)                                                   \
    void Memo_##stem##Change() { MemoChange(OscxPidEdit::edit); }                           \
    void Memo_##stem##Enter() { MemoEnter(OscxPidEdit::edit); }                             \
    void Memo_##stem##Exit() { MemoExit(OscxPidEdit::edit); }                               \
    void Memo_##stem##KeyPress(char& key) { MemoKeyPress(OscxPidEdit::edit, key); }         \
    void UpDown_##stem##ChangingEx(int direction) { UpDownChangingEx(OscxPidEdit::edit, direction); }

class TForm_Oscx_PID : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Oscx_PID(QWidget* parent = nullptr);
    ~TForm_Oscx_PID() override;  // FormDestroy

    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void Timer_monitorTimer();
    void BitBtn_CloseClick();
    void TabSheet_pid_corShow();
    void TabSheet_pid_velShow();
    void TabSheet_pid_posShow();
    void ComboBox_waveg_typeChange();
    void CheckBox_waveg_enableClick();
    void SpeedButton_wvg_powerClick();
    void SpeedButton_wvg_operativeClick();
    void BitBtn_wvg_reset_alarmClick();
    void ControlBar_mainResize();

    OSCX_PID_EDIT_HANDLERS(PID_corr_kp, CorKp)
    OSCX_PID_EDIT_HANDLERS(PID_corr_ki, CorKi)
    OSCX_PID_EDIT_HANDLERS(PID_corr_kd, CorKd)
    OSCX_PID_EDIT_HANDLERS(PID_speed_kp, SpeedKp)
    OSCX_PID_EDIT_HANDLERS(PID_speed_ki, SpeedKi)
    OSCX_PID_EDIT_HANDLERS(PID_speed_kd, SpeedKd)
    OSCX_PID_EDIT_HANDLERS(PID_kp_pos, PosKp)
    OSCX_PID_EDIT_HANDLERS(periodo, Period)
    OSCX_PID_EDIT_HANDLERS(ampz_cor, AmpCor)
    OSCX_PID_EDIT_HANDLERS(ampz_vel, AmpVel)

    // The edits' handlers by edit.
    void MemoChange(OscxPidEdit e);
    void MemoEnter(OscxPidEdit e);
    void MemoExit(OscxPidEdit e);
    void MemoKeyPress(OscxPidEdit e, char& key);
    void UpDownChangingEx(OscxPidEdit e, int direction);

    QWidget* ControlBar_main = nullptr;
    QToolBar* ToolBar_input = nullptr;
    QGroupBox* GroupBox_pid = nullptr;
    QTabWidget* PageControl_pid = nullptr;
    QWidget* TabSheet_pid_cor = nullptr;
    QWidget* TabSheet_pid_vel = nullptr;
    QWidget* TabSheet_pid_pos = nullptr;
    QGroupBox* GroupBox_waveg = nullptr;
    QCheckBox* CheckBox_waveg_enable = nullptr;
    FlowPanel* FlowPanel_waveg_type = nullptr;
    QComboBox* ComboBox_waveg_type = nullptr;
    QWidget* Panel_ampz = nullptr;
    QToolButton* SpeedButton_wvg_power = nullptr;
    QToolButton* SpeedButton_wvg_operative = nullptr;
    QToolButton* BitBtn_wvg_reset_alarm = nullptr;
    QPushButton* BitBtn_Close = nullptr;
    QWidget* PanelOscxPIDStb = nullptr;
    QTimer* Timer_monitor = nullptr;
    // By OscxPidEdit.
    std::array<FlowPanel*, OSCX_PID_EDITS> panel{};
    std::array<QLineEdit*, OSCX_PID_EDITS> memo{};
    std::array<UpDownButton*, OSCX_PID_EDITS> updown{};

    Stbarx* status_bar() const { return stb_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void build_gains();
    void build_generator();
    void build_status();
    void connect_edits();
    void set_language();
    void rebind(std::initializer_list<OscxPidEdit> edits);
    void after_confirm(OscxPidEdit e);
    void layout_amplitude();
    void generator_off_in_panel();
    void release_inputs();
    // Ends the input simulation: mask 0 sent, buttons released.
    void inputs_off();
    // Sets or clears a simulated input and sends the mask.
    void set_input(uint8_t bit, bool on);
    void apply_levels(bool link_ok, bool status5);
    void refresh_main_page();
    Dato_usn_short& binding(OscxPidEdit e) { return *bindings_[static_cast<std::size_t>(e)]; }

    std::array<std::unique_ptr<Dato_usn_short>, OSCX_PID_EDITS> bindings_;
    StbarPane* pane_list_[4] = {};
    std::unique_ptr<StbarPane> panes_[3];
    Stbarx* stb_ = nullptr;
    uint8_t applied_link_ = 0xFF;  // link level last applied; 0xFF: apply at the next tick
    uint8_t applied_status5_ = 0;
};
