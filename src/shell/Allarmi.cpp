// System-state window: layout, alarm-bit names, list of active alarms.
#include "shell/Allarmi.h"

#include <cstring>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"

TForm_allarmi* Form_allarmi = nullptr;

const char AlarmTexts[32][3][ALARM_TEXT_LEN] = {
    {"E2prom", "E2prom", "E2prom"},
    {"Offset Corrente", "Offset Current", "Offset Curren"},
    {"Sovracorrente", "Overcurrent", "Surintensité"},
    {"Sovratensione", "Overvoltage", "Surtension"},
    {"-----", "-----", "-----"},
    {"-----", "-----", "-----"},
    {"Errore Sonde Hall", "Hall Probes Error", "Hall Sondes Encodeur"},
    {"Secure Disable", "Secure Disable", "Secure Désactiver"},
    {"Sovrat. Motore", "Overtemp. motor", "Surchauffe Moteur"},
    {"Res. Frenatura", "Braking Res.", "Résist. Freinage"},
    {"-----", "-----", "-----"},
    {"Sottotensione", "Undervoltage", "Sous-tension"},
    {"Errore Posiz.", "Position Error", "Erreur Position"},
    {"Ricerca Home", "Home Position", "Posit. Initiale"},
    {"I2t Drive", "I2t Drive", "I2t Variateur"},
    {"I2t Motore", "I2t motor", "I2t Moteur"},
    {"Sovravelocità", "Overspeed", "Survitesse"},
    {"Er. Secure Dis.1", "Er. Secure Dis.1", "Er. Secure Dés.1"},
    {"-----", "-----", "-----"},
    {"Node Guard", "Node Guard", "Node Guard"},
    {"Errore Memoria", "Error Memory", "Erreur de Mémoire"},
    {"Fasi Motore", "Motor Phases", "Phases Moteur"},
    {"Er. Secure Dis.2", "Er. Secure Dis.2", "Er. Secure Dés.2"},
    {"Sovratemperatura", "Overtemperature", "Surchauffe"},
    {"Seq. Sonde Hall", "Hall Probes Seq.", "Hall Sondes Séq."},
    {"Errore Velocità", "Error Speed", "Vitesse d'erreur"},
    {"-----", "-----", "-----"},
    {"-----", "-----", "-----"},
    {"-----", "-----", "-----"},
    {"-----", "-----", "-----"},
    {"-----", "-----", "-----"},
    {"-----", "-----", "-----"},
};

uint8_t AlarmList[ALARM_LIST_MAX] = {};
uint8_t AlarmListCount = 0;
uint32_t AlarmWordShown = 0;

namespace {

const char* const SYSTEM_STATE_TEXT[3] = {"STATO SISTEMA", "SYSTEM STATE", "ÉTAT SYSTÈME"};
const char* const CLOSE_TEXT[3] = {"Chiudi", "Close", "Fermer"};

unsigned language()
{
    return LanguageIndex < 3 ? LanguageIndex : 1;
}

}  // namespace

TForm_allarmi::TForm_allarmi(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_allarmi");
    setWindowTitle("Stato Sistema");
    setWindowFlags(Qt::Tool);
    resize(457, 401);

    GroupBox_Allarme = new QGroupBox("STATO SISTEMA", this);
    GroupBox_Allarme->setObjectName("GroupBox_Allarme");
    GroupBox_Allarme->setFixedHeight(325);
    QFont group_font("Arial");
    group_font.setPixelSize(13);
    group_font.setBold(true);
    GroupBox_Allarme->setFont(group_font);
    Graph_set_text_colour(GroupBox_Allarme, clNavy);

    Panel_cornice_alarm0 = new QWidget(GroupBox_Allarme);
    Panel_cornice_alarm0->setObjectName("Panel_cornice_alarm0");
    Panel_cornice_alarm0->setFixedHeight(35);
    Panel_alarm = new QLabel(Panel_cornice_alarm0);
    Panel_alarm->setObjectName("Panel_alarm");
    Panel_alarm->setAlignment(Qt::AlignCenter);
    Panel_alarm->setFrameShape(QFrame::Panel);
    Panel_alarm->setFrameShadow(QFrame::Sunken);
    Panel_alarm->setAutoFillBackground(true);
    QPalette pal = Panel_alarm->palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));  // info background
    Panel_alarm->setPalette(pal);
    QFont headline_font("Arial");
    headline_font.setPixelSize(16);
    headline_font.setBold(true);
    Panel_alarm->setFont(headline_font);
    Graph_set_text_colour(Panel_alarm, clRed);
    auto* frame_layout = new QVBoxLayout(Panel_cornice_alarm0);
    frame_layout->setContentsMargins(4, 4, 4, 4);
    frame_layout->addWidget(Panel_alarm);

    auto* group_layout = new QVBoxLayout(GroupBox_Allarme);
    group_layout->addWidget(Panel_cornice_alarm0);
    group_layout->addStretch(1);

    Panel36 = new QWidget(this);
    Panel36->setObjectName("Panel36");
    Panel36->setFixedHeight(56);
    BitBtn_chiudi = new QPushButton("Chiudi", Panel36);
    BitBtn_chiudi->setObjectName("BitBtn_chiudi");
    auto* bottom = new QHBoxLayout(Panel36);
    bottom->addStretch(1);
    bottom->addWidget(BitBtn_chiudi);
    bottom->addStretch(1);
    connect(BitBtn_chiudi, &QPushButton::clicked, this, [this] { BitBtn_chiudiClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox_Allarme);
    layout->addStretch(1);
    layout->addWidget(Panel36);

    if (!Form_allarmi)
        Form_allarmi = this;
}

TForm_allarmi::~TForm_allarmi()
{
    if (Form_allarmi == this)
        Form_allarmi = nullptr;
}

void TForm_allarmi::BitBtn_chiudiClick()
{
    hide();
}

void Allarmi_clear_list()
{
    std::memset(AlarmList, 0, sizeof AlarmList);
    AlarmListCount = 0;
}

void Allarmi_set_language()
{
    if (!Form_allarmi)
        return;
    const unsigned lang = language();
    Form_allarmi->setWindowTitle(QString::fromUtf8(SYSTEM_STATE_TEXT[lang]));
    Form_allarmi->GroupBox_Allarme->setTitle(QString::fromUtf8(SYSTEM_STATE_TEXT[lang]));
    Form_allarmi->BitBtn_chiudi->setText(QString::fromUtf8(CLOSE_TEXT[lang]));
}
