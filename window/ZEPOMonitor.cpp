#include "window/ErrorBox.h"
#include "window/MainForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    TMainForm MainForm;
    MainForm.show();
    return QApplication::exec();
}
