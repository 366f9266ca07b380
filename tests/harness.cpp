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
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n = kStatusNames;
        n.push_back("FF_versionsnummer");
        for (const char* joystick : {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A", "JOY_VIEW", "NUMBER_OF_AXIS",
                                     "NUMBER_OF_VIEWS", "NUMBER_OF_BUTTONS", "FORCEFEEDBACK_ENABLE"}) {
            n.push_back(joystick);
        }
        for (int b = 1; b <= 16; ++b) n.push_back("BUTTON_" + std::to_string(b));
        for (const char* zone : {"Dead_Zone_X", "Dead_Zone_Y", "Saturation_Zone_X", "Saturation_Zone_Y"})
            n.push_back(zone);
        for (const char* effect : {"FF_force_x",
                                   "FF_force_y",
                                   "placement_middle_x",
                                   "placement_middle_y",
                                   "placement_dead_x",
                                   "placement_dead_y",
                                   "placement_left_x",
                                   "placement_left_y",
                                   "placement_right_x",
                                   "placement_right_y",
                                   "friction_right_x",
                                   "friction_left_x",
                                   "friction_up_y",
                                   "friction_down_y",
                                   "damp_max_procent_right_x",
                                   "damp_max_procent_left_x",
                                   "damp_null_procent_x",
                                   "damp_max_procent_up_y",
                                   "damp_max_procent_down_y",
                                   "damp_null_procent_y"}) {
            n.push_back(effect);
        }
        for (const char* prefix : {"sine", "triangle", "quadrat", "periodic_cresc", "periodic_decresc"}) {
            for (int slot = 1; slot <= 5; ++slot) {
                for (const char* suffix : {"_null", "_hight", "_time"}) {
                    n.push_back(std::string(prefix) + "_" + std::to_string(slot) + suffix);
                }
            }
        }
        return n;
    }();
    return names;
}

}  // namespace tamrilo::test
