#pragma once
// The sending half of the "NMEA Standard" page: "Send String" writes the
// text with CR LF, "Send Bytes" writes the "#byte1#byte2..." list, and the
// key filter of the byte list lets only digits and "#" be typed.

#include <QObject>

class QKeyEvent;
class TNmeaStandardPage;
class TWindowSender;

class TNmeaStandardSending : public QObject {
    Q_OBJECT
public:
    TNmeaStandardSending(TNmeaStandardPage* page, TWindowSender& sender);

    void btnSendStrClick();
    void btnSendBytesClick();
    // True when the key's character is to be discarded: every character but
    // "0"–"9" and "#", control characters (Backspace, Enter, Ctrl+letter)
    // included. Keys without a character (Delete, arrows) and Tab pass.
    static bool edSentBytesKeyPress(const QKeyEvent& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TNmeaStandardPage* page_;
    TWindowSender& sender_;
};
