#pragma once
// The two EEPROM error dialogs the control timer opens while the drive reports a damaged
// parameter memory: the checksum dialog, which writes a new whole parameter image (defaults of a
// drive size or a drive data file), and the offset dialog, which only tells what is wrong.
//
// Both are modal and may be closed by the display timer when the link is lost, also while one of
// their own file dialogs, message boxes or the send dialog is open: the inner window is closed
// first, and a command whose inner window was closed that way does not go on.
#include <cstdint>

#include <QDialog>
#include <QString>

#include "controls/Graph_draw.h"
#include "shell/Filedlg.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;
struct DriveSizeTable;

// Tick counts of the last blink step, and the offset dialog's message.
extern uint32_t E2pChksBlinkTime;
extern uint32_t E2pOffsetBlinkTime;
extern QString E2pOffsetMessage;

constexpr uint32_t E2P_BLINK_MS = 1000;
constexpr const char* E2P_SERVICE_PASSWORD = "QWT4821";

// The maker's frame both dialogs carry: address, "Internet Site:" and the web label.
struct E2pSupportFrame {
    QGroupBox* GroupBox_assistenza = nullptr;
    QPlainTextEdit* Memo_indirizzo_ditta = nullptr;
    QLabel* Label_sito_internet = nullptr;
};

class TForm_e2p_chks : public QDialog {
    Q_OBJECT
public:
    explicit TForm_e2p_chks(QWidget* parent = nullptr);
    ~TForm_e2p_chks() override;

    void FormShow();
    void Timer_comTimer();
    // Paints one cell of the size grid; row 0 is the header row.
    void StringGrid_taglia_correnteDrawCell(Canvas& canvas, int column, int row, const DrawRect& cell,
                                            bool selected);
    void BitBtn_verificaClick();
    void BitBtn_conferma_tagliaClick();
    void BitBtn_carica_defaultClick();
    void BitBtn_load_dati_driveClick();
    void BitBtn_closeClick();
    void FormClose();
    void Label_sito_internetClick();

    // Grid rows with the header row, and the selected row (0: none).
    int GridRowCount() const;
    int SelectedRow() const;
    void SelectRow(int row);

    bool SizeKnown = true;   // the drive's size is taken as read; else the engineer chooses it
    int ConfirmedRow = 0;    // grid row confirmed with "Conferma taglia" (0: none)
    const DriveSizeTable* Table = nullptr;

    QGroupBox* GroupBox_attenzione = nullptr;
    QLabel* Panel_str_e2p_chk_er = nullptr;
    E2pSupportFrame Support;
    QGroupBox* GroupBox_parametri = nullptr;
    QGroupBox* GroupBox_password_parametri = nullptr;
    QLineEdit* Edit_Password = nullptr;
    QPushButton* BitBtn_verifica = nullptr;
    QGroupBox* GroupBox_lista_taglia_correnti = nullptr;
    QWidget* Panel_taglia_corrente = nullptr;
    QTableWidget* StringGrid_taglia_corrente = nullptr;
    QLabel* Panel_taglia_impostata = nullptr;
    QLabel* Panel_num_taglia_impostata = nullptr;
    QLabel* Panel_nome_taglia_impostata = nullptr;
    QPushButton* BitBtn_conferma_taglia = nullptr;
    QPushButton* BitBtn_load_dati_drive = nullptr;
    QPushButton* BitBtn_carica_default = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QTimer* Timer_com = nullptr;
    FileDialogSpec OpenDialog_open_drive;
    FileDialogSpec SaveDialog_dati_drive;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply_language();
    void choose_table();
    void show_known_size();
    void update_load_buttons();
    // Size code and voltage class of the image to write; false after a warning.
    bool size_for_write(bool with_class, uint8_t& code, uint8_t& voltage_class);
    void whole_image_write(const QString& caption);
    void close_inner_modals();
    // Runs an inner modal step; false when the dialog was closed meanwhile.
    template <typename F>
    bool inner(F&& step);

    int inner_depth_ = 0;
    bool closing_ = false;
    bool closed_ = false;
    bool size_shown_ = false;  // the known size was shown from this connection's image
};

class TForm_e2p_offset_er : public QDialog {
    Q_OBJECT
public:
    explicit TForm_e2p_offset_er(QWidget* parent = nullptr);
    ~TForm_e2p_offset_er() override;

    void FormShow();
    void Timer_comTimer();
    void BitBtn_closeClick();
    void FormClose();

    QGroupBox* GroupBox_attenzione = nullptr;
    QLabel* Panel_str_e2p_chk_er_line1 = nullptr;
    QLabel* Panel_str_e2p_chk_er_line2 = nullptr;
    E2pSupportFrame Support;
    QPushButton* BitBtn_close = nullptr;
    QTimer* Timer_com = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool closed_ = false;
};

// Completion of the whole-image write: the image becomes the working copy and the drive's content,
// pages and monitor show it anew and the alarm memory is read again.
void E2pChksAdoptImage();
// Set by E2pChksAdoptImage; cleared when a whole-image write is prepared.
extern uint8_t E2pImageAdopted;

// The offset dialog's message for an alarm word in a language.
QString E2p_offset_message(uint32_t alarm_word, unsigned language);

// Content of a size-grid cell for the current size table and a voltage class.
struct E2pSizeCell {
    QString text;
    uint8_t align = AlignRight;
    bool bold = false;
    bool blue = false;
};
E2pSizeCell E2p_size_cell(const DriveSizeTable& table, int column, int row, uint8_t voltage_class);

// Registers both dialogs as the factories of ToolWin::E2pChks and ToolWin::E2pOffsetEr.
void Main_register_eeprom_dialogs();
