#pragma once
// Base of the sending tests: a main window whose port COM7 is a pseudo-
// terminal, what the window wrote to its far end, the port log, and clicks
// on buttons of any page.

#include "tests/support/PtyPeer.h"
#include "tests/support/ScratchEnvironment.h"
#include "window/MainForm.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <string>

class QPushButton;

class SendingTestBase : public QObject {
protected:
    SendingTestBase() { peer_.announce("COM7"); }

    // A fresh window; with openPort, COM7 chosen in the list and opened.
    void createForm(bool openPort);
    // Everything written to the line since the last call.
    std::string written();
    QStringList portLog() const;
    // Shows the button's page and clicks the button as a user does.
    void clickOnPage(QPushButton* button);
    QPushButton* button(const char* name) const;

    ScratchEnvironment scratch_;
    PtyPeer peer_;
    std::unique_ptr<TMainForm> form_;
};
