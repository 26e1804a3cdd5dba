#include <QApplication>

#include "shell/Main.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pendrix");
    TForm_main form_main;
    form_main.show();
    return app.exec();
}
