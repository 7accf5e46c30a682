#include "window/ErrorBox.h"
#include "window/HeadlessRecorder.h"
#include "window/MainForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const std::optional<int> recorded = RunHeadlessRecorderIfAsked(argc, argv))
        return *recorded;
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    TMainForm MainForm;
    MainForm.show();
    return QApplication::exec();
}
