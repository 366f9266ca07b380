// The window tamrilo-host shows while it runs. The library asks DirectInput for exclusive access
// while the foreground window is active, and takes the foreground window as the joystick's
// cooperative window when DirectInput is opened. A console program has no window of its own
// (the console belongs to another process), so the host makes one and brings it to the front.
#pragma once

#include <iosfwd>

namespace tamrilo::tool {

class ForegroundWindow {
public:
    // Creates the window and brings it to the foreground; writes a warning to `warnings` when
    // it cannot, since acquisition may then be refused. Elsewhere than Windows it does nothing.
    explicit ForegroundWindow(std::ostream& warnings);
    ~ForegroundWindow();
    ForegroundWindow(const ForegroundWindow&) = delete;
    ForegroundWindow& operator=(const ForegroundWindow&) = delete;

    // Answers the window's waiting messages, so that the system does not take it for hung.
    void answer_messages();
    // True once a key was pressed in the window or the window was closed: while the joystick is
    // watched the window is in front, so that is where the user types.
    bool key_pressed();

private:
    void* window_ = nullptr;
};

}  // namespace tamrilo::tool
