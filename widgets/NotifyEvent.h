#pragma once
// The notification callback of the widget family: an optional handler that is
// told which object sent it. An empty function means "no handler".

#include <functional>

class QObject;

using TNotifyEvent = std::function<void(QObject* sender)>;
