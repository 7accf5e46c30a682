// Qt is not built for the thread sanitizer: what its own threads (QtTest's
// watchdog, the thread pool of the GUI layer, the GLib event loops of
// QThreads) do through its futex-based locks is invisible and reads as
// races. Interceptors called from inside Qt are ignored; the project's own
// code stays fully checked.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Test.so\n"
           "race:QWaitCondition::~QWaitCondition\n"
           "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
