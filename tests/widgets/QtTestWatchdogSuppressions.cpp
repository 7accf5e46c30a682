// QtTest runs a watchdog thread that it starts and stops through Qt's own
// futex-based locks, which the thread sanitizer cannot see; its shutdown then
// reads as a race. These suppressions cover that thread only.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Test.so\n"
           "race:QWaitCondition::~QWaitCondition\n";
}
