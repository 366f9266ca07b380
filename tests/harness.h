// Runs the library as the host does: a fresh load for every test (module state at zero), bound
// to a host-engine stand-in, with the simulated DirectInput reset and steerable.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "binding_result.h"
#include "engine/host_engine.h"
#include "engine/library.h"
#include "engine/sim_client.h"

namespace tamrilo::test {

using engine::Fixed;

// The simulated DirectInput, loaded once per test program.
engine::SimClient& sim();

// The six status variables, OV_error first.
inline const std::vector<std::string> kStatusNames = [] {
    std::vector<std::string> names;
#define TAMRILO_HOST_VARIABLE(family, name) \
    if (std::string(family) == "status") names.push_back(name);
#include "host_variables.inc"
#undef TAMRILO_HOST_VARIABLE
    return names;
}();

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Declares every host variable the library knows, each at `value`.
    void declare_all(Fixed value = 0);
    std::int32_t call(const std::string& name) { return library->call(name); }
    Fixed var(const std::string& name) const { return host.get(name); }
    void set(const std::string& name, Fixed value) { host.set(name, value); }
    // OV_error, OV_info_1 … OV_info_5 as one vector.
    std::vector<Fixed> status() const;
    void set_status(std::initializer_list<Fixed> values);

    // Attaches a simulated joystick (4 axes, 16 buttons, 1 hat) and returns its device number.
    int attach_joystick(const std::string& product_name = "Tamrilo Test Stick", bool force_feedback = true);
    // Get_Versionsnummer and InitDirectInput; the context must open.
    void open_directinput();
    // open_directinput, one force-feedback joystick attached, and `select_export` run.
    void select_joystick(const std::string& select_export = "InitJoystick_1");
    // Every Define export run, so that every effect slot holds an effect.
    void define_every_effect();
    // The simulator's log, or only the calls of one operation.
    std::vector<sim_call> calls(int op = -1) const;

    engine::HostEngine host;
    std::unique_ptr<engine::Library> library;
};

// A joystick's state: the four axes, the first hat (the others centred) and the buttons held,
// numbered from 1.
DIJOYSTATE joystick_state(LONG x, LONG y, LONG z, LONG rz, DWORD pov, std::initializer_list<int> held = {});

// Every host variable name the library reads or writes, in the order of their list.
const std::vector<std::string>& all_variable_names();
// Every export name, from the export list.
const std::vector<std::string>& all_export_names();
// The two exports that take and return a host string object instead of returning 0.
inline bool is_name_export(const std::string& name) { return name.rfind("Get_Joystick_Name_", 0) == 0; }

}  // namespace tamrilo::test
