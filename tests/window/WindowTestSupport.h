#pragma once
// Helpers of the window tests: the settings store file, clicks on list items
// and buttons as a user makes them, and the window's end before the
// application's.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAbstractButton;
class QFileDialog;
class QListWidget;
class QSize;
class QWidget;
class TMainForm;

// Declared after the application object and before the window: once the
// window is gone, deletes what its widgets left to be deleted later (the fade
// of a line edit's clear button that was still running), which would leak
// with the application's unsent events.
class DeferredDeletions {
public:
    DeferredDeletions() = default;
    DeferredDeletions(const DeferredDeletions&) = delete;
    DeferredDeletions& operator=(const DeferredDeletions&) = delete;
    ~DeferredDeletions();
};

// A window started on an empty store, shown on its "ComPort" page.
std::unique_ptr<TMainForm> ShowFreshWindow();

// Replaces the settings store file by content; empty content removes it.
void WriteStore(const QByteArray& content);
// The stored key "\SOFTWARE\Brennix\ZEPOMonitor"; an empty object when it or
// the file is missing.
QJsonObject StoredKey();
bool StoredKeyExists();

// Scrolls to the item with text and clicks it; false when there is none.
bool ClickListItem(QListWidget* list, const QString& text,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void Click(QAbstractButton* button);

// Clicks button and answers the file dialog it opens: look sees the dialog
// as it opened, then the dialog is accepted with path, or cancelled when
// path is empty.
void AnswerFileDialog(QAbstractButton* button, const std::function<void(QFileDialog&)>& look,
                      const QString& path);

// With ZEPO_SCREENSHOT_DIR set, shows page and saves the window there as
// name.png at its size, and as it reads at defaultSize and on a large screen
// (name-WxH.png, name-1600x1000.png).
void Screenshot(QWidget& form, QWidget* page, const QString& name, const QSize& defaultSize);

// The MON-VER frame a receiver answers with, naming its protocol version
// ("18.00" for generation 8, "27.31" for a generation 9 receiver).
std::string MonVerAnswer(const std::string& protocolVersion);

// Opens port at baud on the "ComPort" page as a user does; false when the
// port or the rate is not listed or the port did not open.
bool OpenPortAt(TMainForm& form, const QString& port, const QString& baud);
