// The control command's arguments, checked before anything runs. Plain C++: built and tested on
// every platform.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "virtual-joystick/control/virtual_joystick.h"

namespace tamrilo::vjoy {

// Bad arguments: the command prints the usage and exits with code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

extern const char kUsage[];

struct Arguments {
    std::string command;
    std::vector<DeviceSpec> devices;  // install
    int joystick = 0;                 // state, reports, name, present, remove
    int count = 0;                    // wait
    int seconds = 30;                 // wait
    State state;                      // state
    std::string product;              // name
    bool present = false;             // present
};

// Throws UsageError for an unknown command, a wrong number of arguments or a bad value.
Arguments parse_arguments(const std::vector<std::string>& args);

}  // namespace tamrilo::vjoy
