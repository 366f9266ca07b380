// The designer's hold on the library: one script run that never ends. The page's buttons become
// script lines (set the effect's variables, call its export), run as tamrilo-host runs a script,
// and the console shows each call with the DirectInput calls it made.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "script/runner.h"
#include "tools/tamrilo-host/designer/effects.h"

namespace tamrilo::designer {

struct Status {
    std::string variable;
    std::int32_t code = 0;
    std::string meaning;
};

struct StickReading {
    bool selected = false;  // a joystick is selected
    double x = 0, y = 0;    // JOY_X_A, JOY_Y_A as scripts read them
    std::vector<int> buttons_held;
    bool force_known = false;  // only the simulated DirectInput knows the force
    long force_x = 0, force_y = 0;
};

class Session {
public:
    // Loads the library, attaches a force-feedback stick when the loaded DirectInput is the
    // simulated one, and selects the first joystick. Every line run is echoed on `console`.
    Session(const std::string& library_path, std::ostream& console);
    // Stops every effect.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool simulated() const { return runner_.sim.available(); }
    // Sets the effect's variables and calls the export; returns the lines run.
    std::vector<std::string> call(const Effect& effect, const Values& values, const std::string& export_name);
    // The six status variables after the last call, with their meaning for that export.
    std::vector<Status> status() const;
    // Reads the stick through Get_Joystick_State; the simulated clock follows real time, so that
    // periodic effects run and a damper sees the stick's speed.
    StickReading read_stick();
    // Puts the simulated stick there (-10000 … 10000); DesignError on another DirectInput.
    void place_stick(long x, long y);
    void stop_all();

private:
    void run(const std::string& line);
    void show_transcript();

    std::ostream& console_;
    std::ostringstream transcript_;
    script::Runner runner_;
    std::string last_export_;
    bool selected_ = false;
    std::chrono::steady_clock::time_point clock_synced_;
};

}  // namespace tamrilo::designer
