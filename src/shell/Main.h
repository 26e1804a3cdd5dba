#pragma once
#include <QMainWindow>

// The main window of the application.
class TForm_main : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm_main(QWidget* parent = nullptr);
};
