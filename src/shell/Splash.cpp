// Splash window.
#include "shell/Splash.h"

#include <QTimer>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"

namespace {
constexpr int PICTURE_WIDTH = 420;
constexpr int PICTURE_HEIGHT = 260;
}  // namespace

uint32_t SplashDurationMs = 2000;

TForm_Splash::TForm_Splash(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_Splash");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    Image_about = new ImageBox(this);
    Image_about->setObjectName("Image_about");
    Image_about->setFixedSize(PICTURE_WIDTH, PICTURE_HEIGHT);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image_about);
    Timer_check = new QTimer(this);
    Timer_check->setTimerType(Qt::PreciseTimer);  // a coarse timer may end up to 5 % early
    Timer_check->setObjectName("Timer_check");
    Timer_check->setSingleShot(true);
    connect(Timer_check, &QTimer::timeout, this, [this] { Timer_checkTimer(); });
}

void TForm_Splash::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_Splash::FormShow()
{
    Graph_draw_jpeg_from_memory(Image_about, AboutPicture, AboutPictureSize);
    Timer_check->start(static_cast<int>(SplashDurationMs));
}

void TForm_Splash::Timer_checkTimer()
{
    close();
}
