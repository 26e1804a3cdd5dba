#include "shell/Main.h"

TForm_main::TForm_main(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("TForm_main");
    setWindowTitle("Pendrix");
    resize(1024, 720);
}
