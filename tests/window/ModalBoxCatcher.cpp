#include "tests/window/ModalBoxCatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

ModalBoxCatcher::ModalBoxCatcher() {
    connect(&timer_, &QTimer::timeout, this, [this] { closeActiveBox(); });
    timer_.start(20);
}

void ModalBoxCatcher::closeActiveBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->property("caught").toBool())
        return;
    box->setProperty("caught", true);
    boxes_.push_back(
        {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())});
    box->buttons().first()->click();
}

bool ModalBoxCatcher::waitFor(size_t count, int timeoutMs) {
    return QTest::qWaitFor([&] { return boxes_.size() >= count; }, timeoutMs);
}
