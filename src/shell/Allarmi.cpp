// System-state window: layout, alarm-bit names, the list of active alarms and its painted grid.
#include "shell/Allarmi.h"

#include <cstring>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Grid_cells.h"
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

constexpr int REFRESH_MS = 300;
constexpr int ROW_HEIGHT = 23;
constexpr int COLUMN_WIDTHS[4] = {33, 222, 71, 95};
constexpr int LISTED_BITS = 26;
constexpr uint32_t RED = 0x0000FF;
constexpr uint32_t YELLOW = 0x00FFFF;
constexpr uint32_t NAVY = 0x800000;
constexpr uint32_t BLACK = 0x000000;

const char* const SYSTEM_STATE_TEXT[3] = {"STATO SISTEMA", "SYSTEM STATE", "ÉTAT SYSTÈME"};
const char* const CLOSE_TEXT[3] = {"Chiudi", "Close", "Fermer"};
const char* const HEADER_TEXT[3][4] = {
    {"N°", "Allarme", "Codice", "Tipo"},
    {"N°", "Alarm", "Code", "Type"},
    {"N°", "Alarme", "Code", "Type"},
};
const char* const ALARM_TYPE_TEXT[3] = {"Allarme", "Alarm", "Alarme"};
const char* const WARNING_TYPE_TEXT[3] = {"Warning", "Warning", "Warning"};

QString utf8(const char* text) { return QString::fromUtf8(text); }

// "FA - [01]" for an alarm, "F  - [15]" for a warning.
QString code_text(bool alarm, int bit)
{
    const int n = bit + 1;
    return QString(alarm ? "FA -" : "F  -") + (n <= 9 ? " [0" : " [") + QString::number(n) + "]";
}

void repaint_grid()
{
    if (!Form_allarmi)
        return;
    Form_allarmi->StringGrid_alarm->horizontalHeader()->viewport()->update();
    Form_allarmi->StringGrid_alarm->viewport()->update();
}

}  // namespace

// ---- window ----

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

    StringGrid_alarm = new QTableWidget(1, 4, GroupBox_Allarme);
    StringGrid_alarm->setObjectName("StringGrid_alarm");
    const GridCellPaint cell = [this](Canvas& canvas, const DrawRect& rect, int row, int column, bool) {
        StringGrid_alarmDrawCell(canvas, column, row, rect);
    };
    StringGrid_alarm->setHorizontalHeader(Grid_cell_header(cell, StringGrid_alarm));
    StringGrid_alarm->setItemDelegate(Grid_cell_delegate(cell, 1, StringGrid_alarm));
    StringGrid_alarm->verticalHeader()->hide();
    StringGrid_alarm->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid_alarm->verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    StringGrid_alarm->horizontalHeader()->setFixedHeight(ROW_HEIGHT);
    StringGrid_alarm->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < 4; ++c)
        StringGrid_alarm->setColumnWidth(c, COLUMN_WIDTHS[c]);
    StringGrid_alarm->setShowGrid(true);
    StringGrid_alarm->setFocusPolicy(Qt::NoFocus);
    StringGrid_alarm->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid_alarm->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont grid_font = StringGrid_alarm->font();
    grid_font.setBold(false);
    StringGrid_alarm->setFont(grid_font);

    auto* group_layout = new QVBoxLayout(GroupBox_Allarme);
    group_layout->addWidget(Panel_cornice_alarm0);
    group_layout->addWidget(StringGrid_alarm, 1);

    Panel36 = new QWidget(this);
    Panel36->setObjectName("Panel36");
    Panel36->setFixedHeight(56);
    BitBtn_chiudi = new QPushButton("Chiudi", Panel36);
    BitBtn_chiudi->setObjectName("BitBtn_chiudi");
    StatusBar1 = new QStatusBar(Panel36);
    StatusBar1->setObjectName("StatusBar1");
    auto* bottom = new QVBoxLayout(Panel36);
    bottom->setContentsMargins(0, 4, 0, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_chiudi);
    buttons->addStretch(1);
    bottom->addLayout(buttons);
    bottom->addWidget(StatusBar1);
    connect(BitBtn_chiudi, &QPushButton::clicked, this, [this] { BitBtn_chiudiClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox_Allarme);
    layout->addStretch(1);
    layout->addWidget(Panel36);

    Timer_monitor_seriale = new QTimer(this);
    Timer_monitor_seriale->setObjectName("Timer_monitor_seriale");
    Timer_monitor_seriale->setInterval(REFRESH_MS);
    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { Timer_monitor_serialeTimer(); });
    Timer_monitor_seriale->start();

    if (!Form_allarmi)
        Form_allarmi = this;
    SetRowCount(AlarmListCount == 0 && AlarmWordShown == 0 ? 2 : AlarmListCount + 1);
}

TForm_allarmi::~TForm_allarmi()
{
    if (Form_allarmi == this)
        Form_allarmi = nullptr;
}

void TForm_allarmi::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_allarmi::FormShow()
{
    Allarmi_set_language();
    AlarmListRefresh();
}

void TForm_allarmi::Timer_monitor_serialeTimer()
{
    AlarmListRefresh();
}

void TForm_allarmi::BitBtn_chiudiClick()
{
    hide();
}

int TForm_allarmi::RowCount() const
{
    return StringGrid_alarm->rowCount() + 1;
}

void TForm_allarmi::SetRowCount(int rows)
{
    StringGrid_alarm->setRowCount(rows > 1 ? rows - 1 : 0);
}

// ---- cells ----

AlarmCell Allarmi_cell(int column, int row)
{
    const unsigned l = Lang_index();
    AlarmCell cell;
    if (column < 0 || column > 3)
        return cell;
    if (row == 0) {
        cell.text = utf8(HEADER_TEXT[l][column]);
        cell.align = AlignCentre;
        cell.colour = BLACK;
        return cell;
    }
    if (AlarmListCount == 0 || row < 1 || row > AlarmListCount)
        return cell;
    const uint8_t entry = AlarmList[row - 1];
    const bool alarm = entry & ALARM_ENTRY_ALARM;
    const int bit = entry & 0x3F;
    cell.bold = true;
    switch (column) {
    case 0:
        cell.text = QString::number(row);
        cell.align = AlignCentre;
        cell.colour = BLACK;
        break;
    case 1:
        cell.text = utf8(AlarmTexts[bit][l]);
        cell.colour = NAVY;
        break;
    case 2:
        cell.text = code_text(alarm, bit);
        cell.align = AlignCentre;
        cell.colour = RED;
        break;
    default:
        cell.text = utf8((alarm ? ALARM_TYPE_TEXT : WARNING_TYPE_TEXT)[l]);
        cell.colour = NAVY;
        cell.box = true;
        cell.box_colour = alarm ? RED : YELLOW;
        break;
    }
    return cell;
}

void TForm_allarmi::StringGrid_alarmDrawCell(Canvas& canvas, int column, int row, const DrawRect& cell)
{
    const AlarmCell content = Allarmi_cell(column, row);
    QFont font = StringGrid_alarm->font();
    font.setBold(content.bold);
    canvas.font = font;
    canvas.font_colour = bgr(content.colour);
    if (row == 0) {
        canvas.brush = QBrush(clBtnFace, Qt::SolidPattern);
        Graph_draw_text_rect(canvas, cell, AlignCentre, content.text);
        return;
    }
    canvas.brush = QBrush(clWhite, Qt::SolidPattern);
    Graph_draw_text_rect(canvas, cell, AlignLeft, QString());
    if (content.text.isEmpty())
        return;
    Graph_draw_text_rect(canvas, {cell.left + 2, cell.top, cell.right - 2, cell.bottom}, content.align, content.text);
    if (content.box) {
        canvas.pen = QPen(clBlack, 1, Qt::SolidLine);
        canvas.brush = QBrush(bgr(content.box_colour), Qt::SolidPattern);
        canvas.rectangle({cell.right - 12, cell.top + 1, cell.right - 1, cell.bottom - 1});
    }
}

// ---- list ----

void Allarmi_build_list(uint32_t alarm_word)
{
    AlarmWordShown = alarm_word;
    std::memset(AlarmList, 0, sizeof AlarmList);
    AlarmListCount = 0;
    for (int bit = 0; bit < LISTED_BITS; ++bit) {
        const uint32_t mask = 1u << bit;
        if (alarm_word & mask)
            AlarmList[AlarmListCount++] = static_cast<uint8_t>(bit | ((DRIVE_ALARM_MASK & mask) ? ALARM_ENTRY_ALARM : 0));
    }
    if (Form_allarmi)
        Form_allarmi->SetRowCount(AlarmListCount + 1);
    repaint_grid();
}

void Allarmi_clear_list()
{
    std::memset(AlarmList, 0, sizeof AlarmList);
    AlarmListCount = 0;
    AlarmWordShown = 0;
    if (Form_allarmi)
        Form_allarmi->SetRowCount(2);
    repaint_grid();
}

void AlarmListRefresh()
{
    if (!Form_allarmi || !Form_allarmi->isVisible() || !(Ser_link_flags.load() & LinkFlag::Ready))
        return;
    const uint32_t word = Drive_status_get().alarm_word;
    if (word != 0 && word != AlarmWordShown)
        Allarmi_build_list(word);
    else if (word == 0 && AlarmWordShown != 0)
        Allarmi_clear_list();
}

void Allarmi_set_language()
{
    if (!Form_allarmi)
        return;
    const unsigned lang = Lang_index();
    Form_allarmi->setWindowTitle(utf8(SYSTEM_STATE_TEXT[lang]));
    Form_allarmi->GroupBox_Allarme->setTitle(utf8(SYSTEM_STATE_TEXT[lang]));
    Form_allarmi->BitBtn_chiudi->setText(utf8(CLOSE_TEXT[lang]));
    repaint_grid();
}
