// The link-wait dialog.
#include "shell/Linkwait.h"

#include <algorithm>
#include <climits>

#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "link/Flash_seams.h"
#include "link/Seriale_port.h"
#include "platform/Tick.h"

QPointer<TForm_DatChk> Form_DatChk;

namespace {
constexpr int TICK_MS = 30;
constexpr uint32_t GRACE_MS = 1000;  // beyond the maximum, by the dialog's own clock
constexpr int CLIENT_WIDTH = 300;
constexpr int CLIENT_HEIGHT = 40;

// The link check is no longer running: its flag dropped, the link stopped or left the check mode.
bool check_abandoned()
{
    return !(FlashProgressFlags.load() & FlashProgressFlag::Waiting) || Ser_tx_state.load() != LinkState::Run ||
           Ser_link_mode.load() != LinkMode::Check || Ser_link_mode_req.load() != LinkMode::Check;
}
}  // namespace

TForm_DatChk::TForm_DatChk(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_DatChk");
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint);
    setFixedSize(CLIENT_WIDTH, CLIENT_HEIGHT);
    ProgressBar_DatChk = new QProgressBar(this);
    ProgressBar_DatChk->setObjectName("ProgressBar_DatChk");
    ProgressBar_DatChk->setMinimum(0);
    ProgressBar_DatChk->setTextVisible(false);
    (new QVBoxLayout(this))->addWidget(ProgressBar_DatChk);
    Timer_com = new QTimer(this);
    Timer_com->setObjectName("Timer_com");
    Timer_com->setInterval(TICK_MS);
    connect(Timer_com, &QTimer::timeout, this, [this] { Timer_comTimer(); });
}

TForm_DatChk::~TForm_DatChk() = default;

void TForm_DatChk::Timer_comTimer()
{
    const uint32_t waited = Ser_wait_ms.load();
    const uint32_t maximum = static_cast<uint32_t>(ProgressBar_DatChk->maximum());
    ProgressBar_DatChk->setValue(static_cast<int>(waited < maximum ? waited : maximum));
    const bool over = maximum <= waited || check_abandoned() || Tick_diff(Tick_ms(), OpenedMs) > maximum + GRACE_MS;
    if (!over)
        return;
    Timer_com->stop();
    close();
}

void ShowLinkWait(uint32_t maximum_ms, const QString& caption)
{
    if (Form_DatChk)
        return;
    auto* dialog = new TForm_DatChk(nullptr);
    Form_DatChk = dialog;
    dialog->setWindowTitle(caption);
    dialog->ProgressBar_DatChk->setMaximum(static_cast<int>(std::min<uint32_t>(maximum_ms, INT_MAX)));
    dialog->OpenedMs = Tick_ms();
    dialog->Timer_com->start();
    dialog->exec();
    delete Form_DatChk.data();  // unless something deleted it while it was open
    Form_DatChk = nullptr;
}

bool LinkWaitOpen()
{
    return !Form_DatChk.isNull();
}
