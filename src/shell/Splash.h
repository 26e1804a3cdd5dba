#pragma once
// Splash window shown modally at the first showing of the main window: the program's picture,
// closed by its own timer after SPLASH_MS; it deletes itself when it closes.
#include <cstddef>
#include <cstdint>

#include <QDialog>

class ImageBox;
class QTimer;

class TForm_Splash : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Splash(QWidget* parent = nullptr);

    void FormShow();
    void Timer_checkTimer();

    ImageBox* Image_about = nullptr;
    QTimer* Timer_check = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

// The program's picture (JPEG), shown by the splash and the about box.
extern const uint8_t AboutPicture[];
extern const std::size_t AboutPictureSize;

// How long the splash stays (ms); tests shorten it.
extern uint32_t SplashDurationMs;
