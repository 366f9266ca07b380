// What the hot-plug tests share: a game's steps on the selected joystick, each held to the codes
// the library documents, and the size of a run.
#pragma once

#include <cstdlib>

#include "effect_support.h"

namespace tamrilo::test {

// Get_Joystick_State and Change_Const_Forces
constexpr Fixed kRead = 97, kReadFailed = 14, kForceSent = 102, kForceFailed = 101;

class GameSession : public LibraryTest {
protected:
    // InitJoystick_1 finds a joystick and drops the effects defined before, if any.
    void select_first() {
        call("InitJoystick_1");
        EXPECT_EQ(status(), (std::vector<Fixed>{7, 1, 1, 4, effects_defined ? 1 : 0, 0})) << "selection";
    }
    // A constant force, a sine played and a spring, each created and started.
    void define_effects() {
        set("FF_force_x", fx(3000));
        call("Define_Const_Forces");
        EXPECT_EQ(var("OV_error"), kForceSent);
        set("sine_1_hight", fx(5000));
        set("sine_1_time", fx(100));
        call("Define_Sine_1");
        EXPECT_EQ(var("OV_info_5"), 20);
        call("Play_Sine_1");
        EXPECT_EQ(var("OV_info_5"), 7168);
        call("Define_Placement");
        EXPECT_EQ(var("OV_info_5"), 20);
        EXPECT_EQ(var("OV_info_4"), 30);
        effects_defined = true;
    }
    // A frame's read: 97 with the joystick's values, or 14 with JOY_X_A 4078 and the other
    // variables as they were. Returns the code.
    Fixed read_joystick() {
        const Fixed y_before = var("JOY_Y_A");
        set("JOY_VIEW", kUntouched);
        call("Get_Joystick_State");
        const Fixed read = var("OV_error");
        if (read == kReadFailed) {
            EXPECT_EQ(var("JOY_X_A"), kFailedReadX);
            EXPECT_EQ(var("JOY_Y_A"), y_before);
            EXPECT_EQ(var("JOY_VIEW"), kUntouched);
        } else {
            EXPECT_EQ(read, kRead);
        }
        return read;
    }
    // A frame's new force, sent or refused. Returns the code.
    Fixed change_force() {
        set("FF_force_x", fx(frames % 2 ? 2000 + frames % 1000 : -2000 - frames % 1000));
        call("Change_Const_Forces");
        const Fixed force = var("OV_error");
        EXPECT_TRUE(force == kForceSent || force == kForceFailed) << force;
        ++frames;
        return force;
    }

    bool effects_defined = false;
    int frames = 0;

private:
    static constexpr Fixed kFailedReadX = 4078;  // JOY_X_A after a failed read
    static constexpr Fixed kUntouched = 777;     // JOY_VIEW before each read
};

// TAMRILO_HOTPLUG_CYCLES, TAMRILO_HOTPLUG_SEED
inline int from_environment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

}  // namespace tamrilo::test
