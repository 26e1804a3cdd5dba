// Main window control timer: opens the window a drive state calls for (link-incompatible window,
// EEPROM offset and checksum windows, firmware window) and closes the tool windows that must not
// stay open under the link-incompatible window. Each window opens modally with Timer_ctrl stopped.
#include <algorithm>
#include <vector>

#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include "drivedata/Globvar.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Tick.h"
#include "shell/Allarmi.h"
#include "shell/Form_com_off.h"
#include "shell/Form_send_drive.h"
#include "shell/Form_send_motor.h"
#include "shell/Load_data_drive.h"
#include "shell/Main.h"
#include "shell/Password.h"
#include "shell/Stbar.h"
#include "shell/Toolwin.h"

namespace {

constexpr uint32_t ALARM_EEPROM_CHECKSUM = 1u << 0;
constexpr uint32_t ALARM_CURRENT_OFFSETS = 1u << 1;
constexpr uint32_t ALARM_EEPROM = 1u << 20;
constexpr uint32_t FLASH_WINDOW_DELAY_MS = 1001;  // after the last identification answer

// Link ready at the last tick (for the drive-lost transition).
bool was_ready = false;
// Counted windows that refused to close: not asked again while they stay open.
std::vector<QPointer<QWidget>> refused;

bool link_running() { return Ser_tx_state.load() == LinkState::Run; }
bool link_bits(uint8_t bits) { return (Ser_link_flags.load() & bits) == bits; }

bool is_open(const QWidget* w) { return w != nullptr && w->isVisible(); }

bool has_refused(const QWidget* w)
{
    const auto gone = [](const QPointer<QWidget>& p) { return !is_open(p); };
    refused.erase(std::remove_if(refused.begin(), refused.end(), gone), refused.end());
    return std::find(refused.begin(), refused.end(), w) != refused.end();
}

// Shows the window modally and returns when it is closed (a dialog through exec).
void exec_modal(QWidget* w)
{
    if (auto* d = qobject_cast<QDialog*>(w)) {
        d->exec();
        return;
    }
    QPointer<QWidget> guard(w);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!is_open(guard))
            loop.quit();
    });
    poll.start(10);
    loop.exec();
}

// Opens a window of the registry modally (nothing when its subsystem registered no factory),
// deletes it afterwards and clears the pointer that held it.
template <typename Ptr>
bool open_registered(ToolWin kind, QWidget* parent, Ptr& pointer)
{
    QWidget* w = Toolwin_create(kind, parent);
    if (w == nullptr)
        return false;
    QPointer<QWidget> guard(w);
    pointer = w;
    exec_modal(w);
    delete guard.data();
    pointer = nullptr;
    return true;
}

// The counted windows, in the order they are closed.
std::vector<QWidget*> counted_windows()
{
    return {Toolwin_open(ToolWin::OscxLoadDat),   Toolwin_open(ToolWin::OscxPrintPreview),
            Toolwin_open(ToolWin::OscxSet),       Toolwin_open(ToolWin::Oscx),
            Form_Oscx.data(),                     Form_Password.data(),
            Toolwin_open(ToolWin::PrinterData),   Toolwin_open(ToolWin::SetPrint),
            Toolwin_open(ToolWin::PrintPreview),  Form_send_drive,
            Form_send_motor,                      Toolwin_open(ToolWin::TarPosSensor)};
}

}  // namespace

// ---- the tick ----

void TForm_main::Timer_ctrlTimer()
{
    Timer_ctrl->stop();
    QPointer<TForm_main> self(this);
    const bool ready = link_running() && link_bits(LinkFlag::Ready);
    if (was_ready && !ready)
        Main_ctrl_link_lost();
    was_ready = ready;
    Main_ctrl_drive_dialogs();
    if (self)
        Main_ctrl_flash_window();
    if (self && isVisible())
        Timer_ctrl->start();
}

void TForm_main::Main_ctrl_drive_dialogs()
{
    if (!link_running() || !link_bits(LinkFlag::Answers) || Ser_link_mode.load() != LinkMode::Normal) {
        Drive_status st = Drive_status_get();
        if (st.alarm_word != 0) {
            st.alarm_word = 0;
            Drive_status_publish(st);
        }
        return;
    }
    if (!link_bits(LinkFlag::Ready) && !Form_com_off) {
        // The identification decides: a boot-loader drive gets the firmware window instead.
        if (!link_bits(LinkFlag::IdentReceived) || (Drive_ident_get().flags & IdentFlag::BootLoader))
            return;
        if (Main_close_tool_windows())
            return;
        if (MainStb != nullptr)
            Stbarx_repaint(MainStb);
        Main_repaint_other_bars();
        QPointer<TForm_com_off> dialog = new TForm_com_off(this);
        Form_com_off = dialog.data();
        dialog->exec();
        delete dialog.data();
        Form_com_off = nullptr;
        return;
    }
    const uint32_t alarms = Drive_status_get().alarm_word;
    if (alarms & (ALARM_CURRENT_OFFSETS | ALARM_EEPROM)) {
        Main_family_from_drive();
        open_registered(ToolWin::E2pOffsetEr, this, Form_e2p_offset_er);
    } else if (alarms & ALARM_EEPROM_CHECKSUM) {
        Main_family_from_drive();
        open_registered(ToolWin::E2pChks, this, Form_e2p_chks);
    }
}

void TForm_main::Main_ctrl_flash_window()
{
    const uint16_t status = Drive_status_word();
    if (Ser_link_mode.load() != LinkMode::Normal || !link_bits(LinkFlag::Answers | LinkFlag::IdentReceived) ||
        !(status & StatusBit::Boot) || (status & StatusBit::BootState))
        return;
    if (Form_FlashSH || Tick_diff(Tick_ms(), Ser_last_answer_ms.load()) < FLASH_WINDOW_DELAY_MS)
        return;
    if (open_registered(ToolWin::FlashSH, this, Form_FlashSH))
        Ser_last_answer_ms.store(Tick_ms());
}

bool TForm_main::Main_close_tool_windows()
{
    if (Form_allarmi != nullptr)
        Form_allarmi->close();
    if (Form_monitor_I2t)
        delete Form_monitor_I2t.data();
    bool counted = false;
    const auto close_counted = [&counted](QWidget* w) {
        if (!is_open(w))
            return;
        counted = true;
        if (has_refused(w))
            return;
        w->close();
        if (is_open(w))
            refused.emplace_back(w);
    };
    close_counted(Form_load_data_drive);
    if (QWidget* pid = Toolwin_open(ToolWin::OscxPID))
        delete pid;
    for (QWidget* w : counted_windows())
        close_counted(w);
    return counted;
}
