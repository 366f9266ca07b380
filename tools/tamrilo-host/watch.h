// tamrilo-host --watch: a joystick tester that reads the joystick through the library's own
// exports, as a script does, and shows it live in the console.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace tamrilo::tool {

struct WatchOptions {
    // Asked before every refresh; the watch ends when it answers true.
    std::function<bool()> stop_requested;
    // Runs between two refreshes: waits the refresh interval and keeps the window answering.
    std::function<void()> between_frames;
    // Redraws each refresh in place (a console); otherwise every refresh is printed below the last.
    bool redraw_in_place = false;
};

// Selects the first attached joystick and shows its axes, hat and buttons until stop_requested.
// Returns 0, or 1 (after saying so on `err`) when DirectInput cannot be opened or no joystick
// is attached. Throws std::runtime_error when the library cannot be loaded.
int watch_joystick(const std::string& library_path, const WatchOptions& options, std::ostream& out, std::ostream& err);

// One axis as a bar over −10000 … 10000 with a mark at the centre, `width` characters wide.
std::string axis_bar(double position, int width);

// The hat's reading (degrees clockwise from north, −1 centred) in words.
std::string hat_text(double degrees);

}  // namespace tamrilo::tool
