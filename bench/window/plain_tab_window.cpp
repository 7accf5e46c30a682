// The yardstick of the start-up benchmark: a plain Qt window holding one tab
// widget with one empty page, started the way the monitor is.

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget(tabs), "Page");
    window.setCentralWidget(tabs);
    window.resize(917, 602);
    window.show();
    return application.exec();
}
