#pragma once
// The about box: the program's picture, its version, the maker's address and web page.
#include <cstddef>
#include <cstdint>

#include <QDialog>
#include <QString>

class ImageBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The program's picture (JPEG, res/about.jpg built in), shown by the about box and the splash window.
extern const uint8_t AboutPicture[];
extern const std::size_t AboutPictureSize;

class TForm_AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TForm_AboutBox(QWidget* parent = nullptr);

    void FormShow();
    void BitBtn_okClick();
    void Label_sito_internetClick();

    ImageBox* Image_about = nullptr;
    QLabel* Panel_ver = nullptr;
    QPlainTextEdit* Memo_indirizzo_ditta = nullptr;
    QLabel* Label_internet = nullptr;
    QLabel* Label_sito_internet = nullptr;
    QPushButton* BitBtn_ok = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// "Software Release Version: " + major + "." + minor in two digits.
QString About_version_text(uint8_t major, uint8_t minor);

// The maker's address lines and web page text (the label shows it; a click opens "https://" + it).
extern const char* const MAKER_ADDRESS;
extern const char* const MAKER_WEB_PAGE;
