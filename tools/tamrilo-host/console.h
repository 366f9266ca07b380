// The console tamrilo-host runs in: whether a key is waiting, and whether refreshes can be
// drawn in place.
#pragma once

namespace tamrilo::tool {

// True when a key was pressed (the key is taken), or, when the input is not a console, when
// input arrived or ended: a pipe stops the watch by writing a line or by closing.
bool key_pressed();

// Switches the console to understand cursor movement; false when the output is not a console
// that can (a file, a pipe, an old console): refreshes are then printed one below the other.
bool enable_redraw_in_place();

// Waits the given time.
void pause_milliseconds(int milliseconds);

}  // namespace tamrilo::tool
