#pragma once
// The application-wide error box. Every handler of the window runs through
// Guarded(), so an exception that escapes it ends the handler, is shown in a
// modal box and never crosses Qt's event loop; the window stays usable.

#include <QString>
#include <exception>
#include <functional>
#include <utility>

class QWidget;

// The application's title: the caption of every error box.
inline const QString ApplicationTitle = QStringLiteral("ZEPO Monitor");

// The message as shown: a "." is appended when the last character's code is
// above that of ".".
QString ErrorBoxText(const QString& message);

// Shows the modal error box (error icon, one OK button) and waits for it.
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs handler; an exception escaping it is shown in the error box.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);

// Wraps a handler for connecting to a Qt signal.
template <typename Handler> auto Guarded(QWidget* parent, Handler handler) {
    return [parent, handler = std::move(handler)](auto&&...) { RunGuarded(parent, handler); };
}
