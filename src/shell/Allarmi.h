#pragma once
// The system-state window (alarm list): its headline Panel_alarm, which the main window's display
// timer writes, the alarm-bit names in three languages and the list of active alarms, one grid row
// per active bit. It is created at start-up and lives for the whole run; closing it hides it.
#include <cstdint>

#include <QColor>
#include <QDialog>
#include <QString>

#include "controls/Graph_draw.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QTimer;
class QWidget;

class TForm_allarmi : public QDialog {
    Q_OBJECT
public:
    explicit TForm_allarmi(QWidget* parent = nullptr);
    ~TForm_allarmi() override;

    void FormShow();
    void Timer_monitor_serialeTimer();
    void BitBtn_chiudiClick();
    // Paints one cell; row 0 is the header row.
    void StringGrid_alarmDrawCell(Canvas& canvas, int column, int row, const DrawRect& cell);

    // Rows of the grid, the header row included.
    int RowCount() const;
    void SetRowCount(int rows);

    QGroupBox* GroupBox_Allarme = nullptr;
    QWidget* Panel_cornice_alarm0 = nullptr;
    QLabel* Panel_alarm = nullptr;  // headline: text and colour set by the display timer
    QTableWidget* StringGrid_alarm = nullptr;
    QWidget* Panel36 = nullptr;
    QPushButton* BitBtn_chiudi = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer_monitor_seriale = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm_allarmi* Form_allarmi;

// Names of the 32 bits of DriveAlarmWord: [bit][language], zero-terminated UTF-8.
constexpr int ALARM_TEXT_LEN = 32;
extern const char AlarmTexts[32][3][ALARM_TEXT_LEN];

// Active alarms in ascending bit order: bit number (0-25), plus 0x80 for an alarm.
constexpr int ALARM_LIST_MAX = 26;
constexpr uint8_t ALARM_ENTRY_ALARM = 0x80;
extern uint8_t AlarmList[ALARM_LIST_MAX];
extern uint8_t AlarmListCount;
extern uint32_t AlarmWordShown;  // the alarm word the list was built from

// Rebuilds the list when the window is visible, the link is ready and the alarm word changed.
void AlarmListRefresh();
// Builds the list from an alarm word (bits 0-25 only) and remembers the word.
void Allarmi_build_list(uint32_t alarm_word);
// Empties the list, forgets the word it was built from and resets the grid (port closed), so that
// the same word after a reconnection is listed again.
void Allarmi_clear_list();
// Captions of the window, its group box and close button in the current language; repaints the grid.
void Allarmi_set_language();

// Content of one cell as painted: text, alignment, font colour (0x00BBGGRR), bold, and for the
// type column of a data row the colour of its box (0 none).
struct AlarmCell {
    QString text;
    uint8_t align = AlignLeft;
    uint32_t colour = 0;
    bool bold = false;
    bool box = false;
    uint32_t box_colour = 0;
};
AlarmCell Allarmi_cell(int column, int row);
