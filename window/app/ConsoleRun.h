#pragma once
// A mode of the program that runs without a window: its arguments are read,
// then it runs. A wrong use is told with the usage and exit code 2, a
// failure with its message and exit code 1, each after "zepo-monitor: ".

#include <exception>
#include <iostream>

template <typename Parse, typename Run> int RunOnConsole(const char* usage, Parse parse, Run run) {
    decltype(parse()) options;
    try {
        options = parse();
    } catch (const std::exception& error) {
        std::cerr << "zepo-monitor: " << error.what() << '\n' << usage << '\n';
        return 2;
    }
    try {
        return run(options);
    } catch (const std::exception& error) {
        std::cerr << "zepo-monitor: " << error.what() << '\n';
        return 1;
    }
}
