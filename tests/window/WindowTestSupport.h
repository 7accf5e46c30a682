#pragma once
// Helpers of the window tests: the settings store file and clicks on list
// items and buttons as a user makes them.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <memory>

class QAbstractButton;
class QListWidget;
class TMainForm;

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

// Opens port at baud on the "ComPort" page as a user does; false when the
// port or the rate is not listed or the port did not open.
bool OpenPortAt(TMainForm& form, const QString& port, const QString& baud);
