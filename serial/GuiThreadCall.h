#pragma once
// Hands a call from a worker thread to the application's main thread.

#include <functional>

class QObject;

// Runs call on the main thread and waits until it has returned; an exception
// it throws is rethrown in the calling thread. Runs call at once when already
// on the main thread or when there is no application object. While it waits,
// the main thread must be processing events (its event loop, or a wait that
// calls QCoreApplication::processEvents).
void RunOnGuiThread(const std::function<void()>& call);

// Posts call to run later on receiver's thread, without waiting; dropped
// unrun if receiver is gone by then. Everything the posting thread did
// before is visible to the call.
void PostToThreadOf(QObject* receiver, std::function<void()> call);
