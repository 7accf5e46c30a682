#pragma once
// Closes every modal message box that opens while it lives, pressing its
// first button, and records what each box showed.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

struct CaughtBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    int buttonCount;
};

class ModalBoxCatcher : public QObject {
public:
    ModalBoxCatcher();
    const std::vector<CaughtBox>& boxes() const { return boxes_; }
    // Waits (processing events) until count boxes were caught.
    bool waitFor(size_t count, int timeoutMs = 10000);

private:
    void closeActiveBox();

    QTimer timer_;
    std::vector<CaughtBox> boxes_;
};
