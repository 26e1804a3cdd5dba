#pragma once
// The link-incompatible dialog: the connected drive answers but its firmware's major version is not
// the program's. It says which side must be updated, shows both versions in its status bar and
// offers to disconnect; closing it in any way while the drive answers disconnects.
#include <cstdint>

#include <QDialog>
#include <QString>

#include "shell/Stbar.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;

class TForm_com_off : public QDialog {
    Q_OBJECT
public:
    explicit TForm_com_off(QWidget* parent = nullptr);
    ~TForm_com_off() override;

    void FormCreate();
    void FormShow();
    void BitBtn_disconnectClick();
    void FormClose();
    void Label_sito_internetClick();

    QGroupBox* GroupBox_attenzione = nullptr;
    QTextEdit* RichEdit_dialog = nullptr;
    QWidget* Panel_exit = nullptr;
    QPushButton* BitBtn_disconnect = nullptr;
    QTextEdit* RichEdit_indirizzo_ditta = nullptr;
    QLabel* Label_sito_internet = nullptr;
    QWidget* PanelCom_off_Stb = nullptr;
    Stbarx* Stb = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Every way of closing ends here (OK, Cancel, Escape, the close box).
    void done(int result) override;

private:
    StbarPane panes_[2];
    StbarPane* pane_list_[3] = {&panes_[0], &panes_[1], nullptr};
    bool closed_ = false;
};

// The dialog's message in the current language: which side must be updated, from the program's
// and the drive's major versions.
QString ComOffBuildText(uint8_t program_major, uint8_t drive_major);

// The value of a version pane: the major version followed by ".xx" while the link runs and the
// drive answers (active), else "-----".
struct ComOffVersion {
    QString text;
    bool active;
};
ComOffVersion ComOffPaneValue(bool firmware);

// Status-bar panes (StbarPaint).
void ComOffPaneSoftware(ImageBox* picture, StbarPane* const* panes, uint16_t index);
void ComOffPaneFirmware(ImageBox* picture, StbarPane* const* panes, uint16_t index);

// The maker's web address that the "Internet Site:" label opens.
constexpr const char* COM_OFF_WEB_ADDRESS = "https://www.pendrix.example/";
