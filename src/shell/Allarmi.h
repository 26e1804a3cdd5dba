#pragma once
// The system-state window (alarm list): its headline Panel_alarm, which the main window's display
// timer writes, the alarm-bit names in three languages and the list of active alarms.
// It is created at start-up and lives for the whole run; closing it hides it.
#include <cstdint>

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

class TForm_allarmi : public QDialog {
    Q_OBJECT
public:
    explicit TForm_allarmi(QWidget* parent = nullptr);
    ~TForm_allarmi() override;

    void BitBtn_chiudiClick();

    QGroupBox* GroupBox_Allarme = nullptr;
    QWidget* Panel_cornice_alarm0 = nullptr;
    QLabel* Panel_alarm = nullptr;  // headline: text and colour set by the display timer
    QWidget* Panel36 = nullptr;
    QPushButton* BitBtn_chiudi = nullptr;
};

extern TForm_allarmi* Form_allarmi;

// Names of the 32 bits of DriveAlarmWord: [bit][language], zero-terminated.
constexpr int ALARM_TEXT_LEN = 32;
extern const char AlarmTexts[32][3][ALARM_TEXT_LEN];

// Active alarms in ascending bit order: bit number (0-25), plus 0x80 for an alarm.
constexpr int ALARM_LIST_MAX = 26;
extern uint8_t AlarmList[ALARM_LIST_MAX];
extern uint8_t AlarmListCount;
extern uint32_t AlarmWordShown;  // the alarm word the list was built from

// Empties the list of active alarms (port closed).
void Allarmi_clear_list();
// Captions of the window, its group box and close button in the current language.
void Allarmi_set_language();
