#include "window/NmeaStandardSending.h"

#include "protocol/ByteList.h"
#include "window/ErrorBox.h"
#include "window/NmeaStandardPage.h"
#include "window/SendableText.h"
#include "window/WindowSender.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

TNmeaStandardSending::TNmeaStandardSending(TNmeaStandardPage* page, TWindowSender& sender)
    : QObject(page), page_(page), sender_(sender) {
    connect(page->btnSendStr, &QPushButton::clicked, this,
            Guarded(page, [this] { btnSendStrClick(); }));
    connect(page->btnSendBytes, &QPushButton::clicked, this,
            Guarded(page, [this] { btnSendBytesClick(); }));
    page->edSentBytes->installEventFilter(this);
}

void TNmeaStandardSending::btnSendStrClick() {
    sender_.SendString(SendableText(page_->edSentStr->text() + "\r\n"));
}

void TNmeaStandardSending::btnSendBytesClick() {
    // Pasted text may hold characters the key filter keeps out; they never
    // read as digits, so Latin-1's "?" for them changes nothing.
    sender_.SendChars(ParseByteList(page_->edSentBytes->text().toLatin1().toStdString()));
}

bool TNmeaStandardSending::edSentBytesKeyPress(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    if (key.modifiers().testFlag(Qt::ControlModifier) && key.key() >= Qt::Key_A &&
        key.key() <= Qt::Key_Z)
        return true;
    const QString typed = key.text();
    if (typed.isEmpty())
        return false;
    const QChar character = typed.front();
    const bool allowed =
        typed.size() == 1 && ((character >= u'0' && character <= u'9') || character == u'#');
    return !allowed;
}

bool TNmeaStandardSending::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the filter also sees the events of the page's teardown.
    if (event->type() == QEvent::KeyPress && watched == page_->edSentBytes)
        return edSentBytesKeyPress(*static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}
