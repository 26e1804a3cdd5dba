#pragma once
// Splash window shown modally at the first showing of the main window: the program's picture,
// closed by its own timer after SplashDurationMs; it deletes itself when it closes, so nothing
// may touch it after exec() returned.
#include <cstdint>

#include <QDialog>

#include "shell/About.h"

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

// How long the splash stays (ms): 2000; tests shorten it.
extern uint32_t SplashDurationMs;
