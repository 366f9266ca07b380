// What every export must do where a careless library would crash: called before the host has
// bound it, or when the host lacks the variables it names.
#include <algorithm>
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
    for (const char* define :
         {"Define_Const_Forces", "Define_Placement", "Define_Friction", "Define_Damp", "Define_Sine_1"}) {
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

// The same with a host that has every object but one, and that one without value storage: with
// a joystick selected and every effect defined, each export stops at that lookup, before
// DirectInput, and writes no other variable. Change_Const_Forces with a force defined and
// OV_error's storage gone is one of these cases.
TEST_F(SoundBehaviourTest, EveryExportStopsAtAVariableWithoutStorage) {
    const auto prepare = [&] {
        select_joystick();
        define_every_effect();
        // Values no export writes, so that any write shows.
        Fixed marker = 70001;
        for (const auto& name : all_variable_names()) set(name, marker++);
    };
    int cases = 0;
    for (const auto& name : all_export_names()) {
        if (name == "A5_DLLAPI" || is_name_export(name)) continue;
        TearDown();
        SetUp();
        prepare();
        host.clear_lookups();
        call(name);
        std::vector<std::string> looked_up = host.lookups();
        std::sort(looked_up.begin(), looked_up.end());
        looked_up.erase(std::unique(looked_up.begin(), looked_up.end()), looked_up.end());
        for (const auto& missing : looked_up) {
            SCOPED_TRACE(name + " without storage for " + missing);
            TearDown();
            SetUp();
            prepare();
            std::vector<Fixed> before;
            for (const auto& v : all_variable_names()) before.push_back(v == missing ? 0 : var(v));
            host.declare_without_storage(missing);
            host.clear_lookups();
            const int calls_before = sim().sim_call_count();
            EXPECT_EQ(call(name), 0);
            EXPECT_EQ(sim().sim_call_count(), calls_before) << "reached DirectInput";
            ASSERT_FALSE(host.lookups().empty());
            EXPECT_EQ(host.lookups().back(), missing) << "went on looking up";
            for (std::size_t i = 0; i < before.size(); ++i) {
                const std::string& v = all_variable_names()[i];
                if (v != missing) {
                    EXPECT_EQ(var(v), before[i]) << v << " written";
                }
            }
            ++cases;
        }
    }
    EXPECT_GT(cases, 300);
}

}  // namespace
}  // namespace tamrilo::test
