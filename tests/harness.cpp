#include "harness.h"

namespace tamrilo::test {

engine::SimClient& sim() {
    static engine::SimClient client = [] {
        engine::SimClient c;
        c.load();
        return c;
    }();
    return client;
}

void LibraryTest::SetUp() {
    if (sim().available()) sim().sim_reset();
    library = std::make_unique<engine::Library>(engine::default_library_path());
    declare_all();
    ASSERT_EQ(library->bind(host), tamrilo::kBindingResult);
}

void LibraryTest::TearDown() {
    library.reset();
    if (sim().available()) sim().sim_reset();
}

void LibraryTest::declare_all(Fixed value) {
    for (const auto& name : all_variable_names()) host.declare(name, 0, value);
}

std::vector<Fixed> LibraryTest::status() const {
    std::vector<Fixed> out;
    for (const auto& name : kStatusNames) out.push_back(var(name));
    return out;
}

void LibraryTest::set_status(std::initializer_list<Fixed> values) {
    auto it = values.begin();
    for (const auto& name : kStatusNames) host.set(name, it == values.end() ? 0 : *it++);
}

int LibraryTest::attach_joystick(const std::string& product_name, bool force_feedback) {
    sim_joystick j{};
    product_name.copy(j.product_name, sizeof j.product_name - 1);
    product_name.copy(j.instance_name, sizeof j.instance_name - 1);
    j.force_feedback = force_feedback ? 1 : 0;
    j.axes = 4;
    j.buttons = 16;
    j.povs = 1;
    return sim().sim_attach(&j);
}

void LibraryTest::open_directinput() {
    call("Get_Versionsnummer");
    call("InitDirectInput");
    ASSERT_EQ(var("OV_error"), 0);
    ASSERT_EQ(var("OV_info_1"), 1);
}

void LibraryTest::select_joystick(const std::string& select_export) {
    open_directinput();
    attach_joystick();
    call(select_export);
    ASSERT_EQ(var("OV_info_2"), 1) << "no joystick selected";
}

void LibraryTest::define_every_effect() {
    for (const auto& name : all_export_names()) {
        if (name.rfind("Define_", 0) == 0) call(name);
    }
}

std::vector<sim_call> LibraryTest::calls(int op) const {
    std::vector<sim_call> out;
    const int n = sim().sim_call_count();
    for (int i = 0; i < n; ++i) {
        sim_call c{};
        sim().sim_get_call(i, &c);
        if (op < 0 || c.op == op) out.push_back(c);
    }
    return out;
}

const std::vector<std::string>& all_export_names() {
    static const std::vector<std::string> names = {
#include "export_names.inc"
    };
    return names;
}

const std::vector<std::string>& all_variable_names() {
    static const std::vector<std::string> names = {
#define TAMRILO_HOST_VARIABLE(family, name) name,
#include "host_variables.inc"
#undef TAMRILO_HOST_VARIABLE
    };
    return names;
}

DIJOYSTATE joystick_state(LONG x, LONG y, LONG z, LONG rz, DWORD pov, std::initializer_list<int> held) {
    DIJOYSTATE s{};
    s.lX = x;
    s.lY = y;
    s.lZ = z;
    s.lRz = rz;
    s.rgdwPOV[0] = pov;
    for (int i = 1; i < 4; ++i) s.rgdwPOV[i] = 0xFFFFFFFFu;
    for (int b : held) s.rgbButtons[b - 1] = 0x80;
    return s;
}

}  // namespace tamrilo::test
