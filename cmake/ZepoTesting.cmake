# zepo_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>])
# Builds one test program and registers it with ctest. Widget and window tests
# run headless on Qt's offscreen platform. Tests that announce ports or store
# settings make their own temporary XDG_RUNTIME_DIR and XDG_CONFIG_HOME
# (tests/support/ScratchEnvironment.h), so nothing leaks into the user's home.
function(zepo_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    # Every test program carries the thread-sanitizer suppressions for Qt's
    # own libraries (an object library: only a direct link brings its code in).
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} zepo_qt_tsan_suppressions)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
