// What every export must do where a careless library would crash: called before the host has
// bound it, or when the host lacks the variables it names.
#include <cstring>

#include "harness.h"

namespace tamrilo::test {
namespace {

std::int32_t call_any(const engine::Library& library, const std::string& name) {
    if (!is_name_export(name)) return library.call(name);
    engine::HostString string;
    return library.call_with_string(name, &string) == nullptr ? 0 : 1;
}

TEST(SoundBehaviour, EveryExportBeforeBindingDoesNothing) {
    ASSERT_TRUE(sim().available());
    sim().sim_reset();
    sim_joystick stick{};
    std::strcpy(stick.product_name, "Unbound Stick");
    stick.force_feedback = 1;
    sim().sim_attach(&stick);
    engine::HostEngine host;
    host.declare("FF_versionsnummer", 0, 1536);
    engine::Library library(engine::default_library_path());
    for (const auto& name : all_export_names()) {
        if (name == "A5_DLLAPI") continue;
        EXPECT_EQ(call_any(library, name), 0) << name;
    }
    EXPECT_TRUE(host.lookups().empty());
    EXPECT_EQ(host.get("FF_versionsnummer"), 1536);
    // The name exports need no host variable; without a context they do not enumerate either.
    EXPECT_EQ(sim().sim_call_count(), 0);
}

using SoundBehaviourTest = LibraryTest;

// With a joystick selected and an effect of every family defined, a host that declares none of
// the variables makes every export stop at its first lookup, before DirectInput.
TEST_F(SoundBehaviourTest, EveryExportWithoutItsVariablesStopsBeforeDirectInput) {
    select_joystick();
    for (const char* define : {"Define_Const_Forces", "Define_Placement", "Define_Friction", "Define_Damp", "Define_Sine_1"}) {
        call(define);
    }
    engine::HostEngine empty;
    library->bind(empty);
    sim().sim_clear_log();
    for (const auto& name : all_export_names()) {
        if (name == "A5_DLLAPI" || is_name_export(name)) continue;
        EXPECT_EQ(call(name), 0) << name;
        EXPECT_EQ(sim().sim_call_count(), 0) << name << " reached DirectInput";
    }
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

}  // namespace
}  // namespace tamrilo::test
