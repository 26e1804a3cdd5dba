// i2t monitor window.
#include "shell/Monitor_i2t.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "shell/Main.h"

uint8_t I2tShownDriveTemp = 0;
uint8_t I2tShownMotorTemp = 0;

namespace {

constexpr int VALUE_OFFSET = 25;
constexpr uint8_t INFO_I2T = 3;

const char* const DRIVE_CAPTION[3] = {"Temperatura Drive", "Drive Temperature", "Température Variateur"};
const char* const MOTOR_CAPTION[3] = {"Temperatura Motore", "Motor Temperature", "Température Moteur"};
const char* const CLOSE_CAPTION[3] = {"Chiudi", "Close", "Fermer"};

QString degrees(const QString& value) { return value + QString::fromUtf8(" °"); }
QString no_value() { return degrees("-----"); }

QLabel* value_panel(QGroupBox* group, const char* name)
{
    auto* label = new QLabel(no_value(), group);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumSize(120, 28);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSize(12);
    label->setFont(f);
    (new QVBoxLayout(group))->addWidget(label);
    return label;
}

// Writes the panel when the value differs from the one shown.
void show_value(QLabel* panel, uint8_t value, uint8_t& shown)
{
    if (shown == value)
        return;
    shown = value;
    panel->setText(I2t_value_text(value));
}

// Dashes while the link is down; the twin is complemented so the value returns at once.
void show_no_value(QLabel* panel, uint8_t value, uint8_t& shown)
{
    if (panel->text() == no_value())
        return;
    shown = static_cast<uint8_t>(~value);
    panel->setText(no_value());
}

}  // namespace

QString I2t_value_text(uint8_t value)
{
    return degrees(QString::number(static_cast<int>(value) + VALUE_OFFSET));
}

TForm_monitor_I2t::TForm_monitor_I2t(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_monitor_I2t");
    setWindowTitle("Monitor I2t");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    GroupBox_monitor = new QGroupBox("Monitor I2t", this);
    GroupBox_monitor->setObjectName("GroupBox_monitor");
    GroupBox_I2t_drive = new QGroupBox(DRIVE_CAPTION[0], GroupBox_monitor);
    GroupBox_I2t_drive->setObjectName("GroupBox_I2t_drive");
    Panel_I2t_drive = value_panel(GroupBox_I2t_drive, "Panel_I2t_drive");
    GroupBox_I2t_motor = new QGroupBox(MOTOR_CAPTION[0], GroupBox_monitor);
    GroupBox_I2t_motor->setObjectName("GroupBox_I2t_motor");
    Panel_I2t_motore = value_panel(GroupBox_I2t_motor, "Panel_I2t_motore");
    auto* groups = new QHBoxLayout(GroupBox_monitor);
    groups->addWidget(GroupBox_I2t_drive);
    groups->addWidget(GroupBox_I2t_motor);

    BitBtn_close = new QPushButton(CLOSE_CAPTION[0], this);
    BitBtn_close->setObjectName("BitBtn_close");
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { BitBtn_closeClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_close);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox_monitor);
    layout->addLayout(buttons);

    Timer_check_i2t = new QTimer(this);
    Timer_check_i2t->setObjectName("Timer_check_i2t");
    Timer_check_i2t->setInterval(I2T_POLL_MS);
    connect(Timer_check_i2t, &QTimer::timeout, this, [this] { Timer_check_i2tTimer(); });
    Timer_check_i2t->start();
}

TForm_monitor_I2t::~TForm_monitor_I2t()
{
    if (Form_monitor_I2t == this)
        Form_monitor_I2t = nullptr;
}

void TForm_monitor_I2t::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_monitor_I2t::FormShow()
{
    const unsigned l = Lang_index();
    GroupBox_I2t_drive->setTitle(QString::fromUtf8(DRIVE_CAPTION[l]));
    GroupBox_I2t_motor->setTitle(QString::fromUtf8(MOTOR_CAPTION[l]));
    BitBtn_close->setText(QString::fromUtf8(CLOSE_CAPTION[l]));
    I2tShownDriveTemp = static_cast<uint8_t>(~InfoDriveTemp);
    I2tShownMotorTemp = static_cast<uint8_t>(~InfoMotorTemp);
}

void TForm_monitor_I2t::Timer_check_i2tTimer()
{
    if (Ser_link_flags.load() & LinkFlag::Ready) {
        if (isVisible() && Seriale_count() < I2T_QUEUE_LIMIT)
            Sertx_read_info(INFO_I2T);
        show_value(Panel_I2t_drive, InfoDriveTemp, I2tShownDriveTemp);
        show_value(Panel_I2t_motore, InfoMotorTemp, I2tShownMotorTemp);
    } else {
        show_no_value(Panel_I2t_drive, InfoDriveTemp, I2tShownDriveTemp);
        show_no_value(Panel_I2t_motore, InfoMotorTemp, I2tShownMotorTemp);
    }
}

void TForm_monitor_I2t::BitBtn_closeClick()
{
    close();
}
