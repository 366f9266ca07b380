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
    ASSERT_EQ(library->bind(host), 511);
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
        return n;
    }();
    return names;
}

}  // namespace tamrilo::test
