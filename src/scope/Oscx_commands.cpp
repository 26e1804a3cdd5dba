// The scope window's commands, trigger controls and timers.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "scope/Diagramx.h"
#include "scope/Oscx.h"
#include "scope/Oscx_file.h"
#include "scope/Oscx_panes.h"
#include "scope_core/Oscx_signals_core.h"
#include "scope/Oscx_texts.h"
#include "shell/Colordlg.h"
#include "shell/Terminal.h"
#include "shell/Toolwin.h"

namespace {

constexpr uint32_t BLINK_MS = 500;
constexpr uint8_t FLAG_SHOWN = 0x01, FLAG_FIXED = 0x02;
constexpr uint16_t POWER_ENABLED = StatusBit::State5;

void warn(const char* const text[3])
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text[Lang_index()], MsgOk});
}

// Sets the enabled state only when it differs.
template <typename W>
void enable(W* w, bool on)
{
    if (w != nullptr && w->isEnabled() != on)
        w->setEnabled(on);
}

// A window of the registry shown modelessly, created when none is open.
void show_tool(ToolWin kind)
{
    QWidget* w = Toolwin_open(kind);
    if (w == nullptr)
        w = Toolwin_create(kind, nullptr);
    if (w == nullptr)
        return;
    w->show();
    w->raise();
}

}  // namespace

// ---- sampling ----

void TForm_Oscx::capture_start()
{
    Scope_capture_arm();
    chart_->Clear();
    ScopeDisplayFlags &= static_cast<uint8_t>(~ScopeDisplay::OverflowAsked);
    ScopeCaptureOn.store(1);
    follow_capture();
    Sertx_scope_start();
}

void TForm_Oscx::BitBtn_cmp_startClick()
{
    if (Oscx_link_usable() && !ScopeCaptureOn.load())
        capture_start();
    repaint_status();
}

void TForm_Oscx::BitBtn_cmp_stopClick()
{
    if (Oscx_link_usable() && ScopeCaptureOn.load()) {
        Timer_diagramxTimer();  // what the ring holds reaches the chart
        ScopeCaptureOn.store(0);
        follow_capture();
    }
    repaint_status();
}

// ---- trigger controls ----

void TForm_Oscx::BitBtn_retriggerClick()
{
    if (Scope_trigger_rearm())
        repaint_status();
}

void TForm_Oscx::BitBtn_forza_triggerClick()
{
    Scope_trigger_force();
    chart_->Clear();
    repaint_status();
}

void TForm_Oscx::ComboBox_trigger_typeChange()
{
    const int type = ComboBox_trigger_type->currentIndex();
    if (type < 0 || !Scope_trigger_set_type(static_cast<uint8_t>(type)))
        return;
    chart_->Clear();
    Oscx_trigger_controls();
    repaint_status();
}

void TForm_Oscx::ComboBox_trigger_pendenzaChange()
{
    uint8_t& f = ScopeSettings.trigger_flags;
    f = static_cast<uint8_t>(ComboBox_trigger_pendenza->currentIndex() == 1 ? f | ScopeTrigger::FlagRising
                                                                              : f & ~ScopeTrigger::FlagRising);
}

void TForm_Oscx::CheckBox_trigger_dynamicClick()
{
    uint8_t& f = ScopeSettings.trigger_flags;
    f = static_cast<uint8_t>(CheckBox_trigger_dynamic->isChecked() ? f | ScopeTrigger::FlagLive
                                                                     : f & ~ScopeTrigger::FlagLive);
}

void TForm_Oscx::CheckBox_trigger_showClick()
{
    uint8_t& f = ScopeSettings.trigger_flags;
    const bool on = CheckBox_trigger_show->isChecked();
    f = static_cast<uint8_t>(on ? f | ScopeTrigger::FlagShow : f & ~ScopeTrigger::FlagShow);
    chart_->trigger_shown = on ? 1 : 0;
    chart_->Redraw();
}

void TForm_Oscx::ComboBox_trigger_chChange()
{
    const int ch = ComboBox_trigger_ch->currentIndex();
    if (ch < 0)
        return;
    ScopeSettingsRec& st = ScopeSettings;
    st.trigger_channel = static_cast<uint8_t>(ch);
    chart_->trigger_channel = st.trigger_channel;
    const ScopeSignal& s = Oscx_channel_signal(st.channel[ch]);
    st.trigger_scale_max = s.default_max;
    st.trigger_scale_min = s.default_min;
    st.trigger_decimals = static_cast<uint8_t>(s.decimals);
    set_trigger_ranges();
    Oscx_scale_bindings().trigger_max.Setup_updown(Memo_trigger_y_max, UpDown_trigger_y_max);
    Oscx_scale_bindings().trigger_min.Setup_updown(Memo_trigger_y_min, UpDown_trigger_y_min);
    Scope_trigger_recompute();
    Oscx_draw_level();
    chart_->Redraw();
}

void TForm_Oscx::ScrollBar_time_data_setChange()
{
    ScopeSettings.record_length = static_cast<uint32_t>(ScrollBar_time_data_set->value());
    Oscx_draw_record_time();
    chart_->view.automatic = 1;
    Scope_trigger_recompute();
    Oscx_draw_time_set();
}

// ---- channels ----

void TForm_Oscx::BitBtn_channels_setClick()
{
    QPointer<TForm_Oscx> self(this);
    QPointer<QWidget> dialog = Toolwin_create(ToolWin::OscxSet, this);
    int result = 0;
    if (auto* d = qobject_cast<QDialog*>(dialog.data()))
        result = d->exec();
    delete dialog.data();
    if (!alive(self))
        return;
    if (result == QDialog::Accepted && Oscx_set_commit_edit())
        Oscx_apply_channels();
    repaint_status();
}

void TForm_Oscx::SpeedButton_CHClick(unsigned c)
{
    uint8_t& f = ScopeSettings.channel[c].flags;
    const bool on = SpeedButton_CH[c]->isChecked();
    f = static_cast<uint8_t>(on ? f | FLAG_SHOWN : f & ~FLAG_SHOWN);
    chart_->Set_channel_show(on ? 1 : 0, static_cast<uint8_t>(c));
}

void TForm_Oscx::SpeedButton_color_CHClick(unsigned c)
{
    QPointer<TForm_Oscx> self(this);
    const std::optional<uint32_t> colour = Colordlg_run(this, ScopeSettings.channel[c].colour);
    if (!colour || !alive(self))
        return;
    ScopeSettings.channel[c].colour = *colour;
    channel_colour(c);
    chart_->colours[c] = *colour;
    chart_->Redraw();
}

void TForm_Oscx::ComboBox_index_asse_yChange(bool right)
{
    QComboBox* box = right ? ComboBox_index_asse_y_right : ComboBox_index_asse_y_left;
    const uint8_t ch = static_cast<uint8_t>(std::max(0, box->currentIndex()));
    (right ? ScopeSettings.axis_right : ScopeSettings.axis_left) = ch;
    (right ? chart_->view.right_channel : chart_->view.left_channel) = ch;
    chart_->Redraw();
}

void TForm_Oscx::CheckBox_cursorClick(bool time_axis)
{
    const bool on = (time_axis ? CheckBox_cursor_asseT : CheckBox_cursor_asseY)->isChecked();
    (time_axis ? chart_->time_cursors_shown : chart_->level_cursors_shown) = on ? 1 : 0;
    std::vector<QLabel*> panels;
    if (time_axis)
        panels.assign(std::begin(Panel_cursor_time), std::end(Panel_cursor_time));
    else
        for (auto& row : Panel_cursor_y)
            panels.insert(panels.end(), std::begin(row), std::end(row));
    Oscx_readouts_look(panels, on);
    chart_->Redraw();
}

void TForm_Oscx::RadioButton_scalaClick(unsigned c, bool fixed)
{
    uint8_t& f = ScopeSettings.channel[c].flags;
    f = static_cast<uint8_t>(fixed ? f | FLAG_FIXED : f & ~FLAG_FIXED);
    chart_->view.channels[c].fixed = fixed ? 1 : 0;
    FzScaleEdits e = scale_edits(c);
    Fz_cmp_scale_mode(e, fixed);
    chart_->Rescale();
}

// ---- chart and files ----

void TForm_Oscx::BitBtn_clearClick()
{
    chart_->Clear();
    chart_->Redraw();
}

void TForm_Oscx::BitBtn_unzoomClick()
{
    chart_->view.automatic = 1;
    chart_->Redraw();
}

void TForm_Oscx::BitBtn_saveClick()
{
    QPointer<TForm_Oscx> self(this);
    ScopeSaveFile(this, [self]() -> Diagramx* { return self ? self->chart() : nullptr; });
}

void TForm_Oscx::BitBtn_openClick()
{
    QPointer<TForm_Oscx> self(this);
    Toolwin_run_modal(ToolWin::OscxLoadDat, this);
    if (alive(self))
        repaint_status();
}

void TForm_Oscx::print_command(uint8_t preview)
{
    if (Oscx_print_request != nullptr)
        Oscx_print_request(this, chart_.get(), preview);
}

void TForm_Oscx::BitBtn_printClick()
{
    print_command(0);
}

void TForm_Oscx::BitBtn_previewClick()
{
    print_command(1);
}

// ---- other windows ----

void TForm_Oscx::BitBtn_PIDClick()
{
    show_tool(ToolWin::OscxPID);
}

void TForm_Oscx::BitBtn_pos_testClick()
{
    if (Drive_status_word() & POWER_ENABLED) {
        warn(OSCX_POWER_ON);
        return;
    }
    ScopeCaptureOn.store(0);
    if (QWidget* pid = Toolwin_open(ToolWin::OscxPID))
        delete pid;
    show_tool(ToolWin::PosQuoteTest);
    repaint_status();
}

void TForm_Oscx::BitBtn_terminalClick()
{
    Terminal_show();
}

// ---- timers ----

void TForm_Oscx::monitor_buttons()
{
    const bool usable = Oscx_link_usable();
    const bool sampling = ScopeCaptureOn.load() != 0;
    const bool pid = usable && Toolwin_available(ToolWin::OscxPID);
    enable(BitBtn_PID, pid);
    enable(Menu_Regolatori, pid);
    enable(BitBtn_pos_test, usable && Toolwin_available(ToolWin::PosQuoteTest));
    const bool start = usable && !sampling;
    enable(BitBtn_cmp_start, start);
    enable(Menu_cmp_start, start);
    enable(BitBtn_cmp_stop, usable && sampling);
    enable(Menu_cmp_stop, usable && sampling);
    enable(BitBtn_forza_trigger, usable && sampling);
    const bool rearm = usable && sampling && ScopeSettings.trigger_type == ScopeTrigger::OneShot &&
                       ScopeTriggerState.state == ScopeTrigger::Complete;
    enable(BitBtn_retrigger, rearm);
    enable(Menu_Retrigger, rearm);
    const bool channels = !usable || !sampling;
    enable(BitBtn_channels_set, channels);
    enable(Menu_ImpostaCanali, channels);
    const bool open = Toolwin_available(ToolWin::OscxLoadDat);
    enable(BitBtn_open, open);
    enable(Menu_open, open);
    const bool print = Oscx_print_request != nullptr;
    for (QToolButton* b : {BitBtn_print, BitBtn_preview})
        enable(b, print);
    for (QAction* a : {Menu_Stampa, Menu_AnteprimadiStampa})
        enable(a, print);
}

void TForm_Oscx::Timer_monitorTimer()
{
    follow_capture();
    monitor_buttons();
    const uint32_t now = Tick_ms();
    if (Tick_diff(now, blink_tick_) >= BLINK_MS) {
        blink_tick_ = now;
        ScopeDisplayFlags ^= ScopeDisplay::Blink;
        const uint8_t state = ScopeTriggerState.state;
        const uint8_t type = ScopeSettings.trigger_type;
        if (type == ScopeTrigger::Automatic || (type == ScopeTrigger::OneShot && state != ScopeTrigger::Complete) ||
            Oscx_overflow_pending())
            repaint_status();
    }
    draw_indicator();
    draw_load();
    if (Oscx_overflow_pending() && !(ScopeDisplayFlags & ScopeDisplay::OverflowAsked) &&
        !Timer_buffer_overflow->isActive())
        Timer_buffer_overflow->start();
}

void TForm_Oscx::Timer_buffer_overflowTimer()
{
    Timer_buffer_overflow->stop();
    if (!Oscx_overflow_pending() || (ScopeDisplayFlags & ScopeDisplay::OverflowAsked))
        return;
    ScopeDisplayFlags |= ScopeDisplay::OverflowAsked;
    QPointer<TForm_Oscx> self(this);
    const MsgButton answer = Msgbox_show({MsgIcon::Question, Msgbox_title(Lang_index()),
                                          OSCX_OVERFLOW_QUESTION[Lang_index()], MsgYes | MsgNo});
    ScopeDisplayFlags &= static_cast<uint8_t>(~ScopeDisplay::OverflowAsked);
    ScopeStream.reply_flags.fetch_and(static_cast<uint8_t>(~ScopeReply::Overflow));
    ScopeLoadShown.store(65535);
    if (!alive(self))
        return;
    chart_->Clear();
    chart_->Redraw();
    if (answer == MsgYes && Oscx_link_usable())
        capture_start();
    repaint_status();
}
