#pragma once
// The "Messages" page: every message cut from the receiver's stream in a list
// (time received, protocol, name, length, checksum, summary), newest at the
// bottom; the selected message's decoded fields and its bytes in hex beside
// ASCII; a filter by name, pause and resume, clear; and a table per message
// type with its count, rate, last time seen and checksum errors. The list of
// messages is the window's: it fills while the page is not built yet.

#include "window/pages/MessageListModel.h"
#include "window/parts/ReceiverFeed.h"

#include <QWidget>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;

class TMessagesPage : public QWidget {
    Q_OBJECT
public:
    TMessagesPage(QWidget* parent, TMessageListModel& messages);

    TMessageListModel& Messages() { return *messages_; }

    // Shows what arrived since the last call, and the message types as given.
    // The list follows the newest row until the user picks a row or scrolls
    // up, and again once they scroll to the end or press End.
    void Refresh(const std::vector<TMessageTypeRow>& types);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();
    void ShowChanges(const std::function<void()>& change);
    void FollowNewest();
    void CurrentMoved();
    void ShowSelected();
    void PauseClicked(bool paused);
    // The list was emptied, by Clear or by the window.
    void Cleared();
    void ShowTypes(const std::vector<TMessageTypeRow>& types);

    TMessageListModel* messages_;
    QSortFilterProxyModel* filtered_;
    QLineEdit* edMessageFilter;
    QPushButton* btnMessagesPause;
    QPushButton* btnMessagesClear;
    QTableView* tvMessages;
    QTableWidget* tvMessageFields;
    QPlainTextEdit* moMessageBytes;
    QTableWidget* tvMessageTypes;
    bool following_ = true;  // the newest row kept in view
    bool reshaping_ = false; // the rows change under the view, not by the user
};
