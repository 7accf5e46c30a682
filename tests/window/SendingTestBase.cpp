#include "tests/window/SendingTestBase.h"

#include "tests/window/WindowTestSupport.h"
#include "window/ComPortPage.h"
#include "window/TextPane.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

void SendingTestBase::createForm(bool openPort) {
    WriteStore({});
    form_ = std::make_unique<TMainForm>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    if (!openPort)
        return;
    form_->pcZEPOMonitor->setCurrentWidget(form_->tabComPort);
    QVERIFY(ClickListItem(form_->tabComPort->lstPorts, "COM7"));
    clickOnPage(form_->tabComPort->btnOpen);
    QCOMPARE(form_->portSerial.IsConnected(), MakeCommPort(7));
}

std::string SendingTestBase::written() {
    // Writes are synchronous: what a click wrote is on the line when it returns.
    return peer_.readUntilQuiet(100);
}

QStringList SendingTestBase::portLog() const {
    return PaneLines(form_->tabComPort->moComPort);
}

void SendingTestBase::clickOnPage(QPushButton* button) {
    for (int index = 0; index < form_->pcZEPOMonitor->count(); ++index) {
        QWidget* page = form_->pcZEPOMonitor->widget(index);
        if (page->isAncestorOf(button))
            form_->pcZEPOMonitor->setCurrentWidget(page);
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

QPushButton* SendingTestBase::button(const char* name) const {
    return form_->findChild<QPushButton*>(name);
}
