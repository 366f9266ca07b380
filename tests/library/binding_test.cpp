// Binding the library to the host and finding host variables by name.
#include <array>
#include <cstring>
#include <map>

#include "harness.h"

namespace tamrilo::test {
namespace {

using engine::Word;

TEST(Binding, ReturnsMagicValueForAnyRecord) {
    engine::HostEngine host;
    engine::Library library(engine::default_library_path());
    Word empty_table[1] = {0};
    Word odd_record[4] = {0xFFFFFFFF, reinterpret_cast<Word>(empty_table), 7, 9};
    EXPECT_EQ(library.bind(host), tamrilo::kBindingResult);
    EXPECT_EQ(library.bind_record(odd_record), tamrilo::kBindingResult);
    EXPECT_EQ(library.bind_record(nullptr), tamrilo::kBindingResult);
}

TEST(Binding, ExportBeforeBindingReturnsWithoutTouchingTheHost) {
    engine::HostEngine host;
    host.declare("FF_versionsnummer", 0, 77);
    engine::Library library(engine::default_library_path());
    EXPECT_EQ(library.call("Get_Versionsnummer"), 0);
    EXPECT_EQ(host.get("FF_versionsnummer"), 77);
    EXPECT_TRUE(host.lookups().empty());
}

TEST(Binding, RebindingWithAnUnusableRecordLeavesTheLibraryUnbound) {
    engine::HostEngine host;
    host.declare("FF_versionsnummer", 0, 77);
    engine::Library library(engine::default_library_path());
    library.bind(host);
    library.bind_record(nullptr);
    EXPECT_EQ(library.call("Get_Versionsnummer"), 0);
    EXPECT_EQ(host.get("FF_versionsnummer"), 77);
}

using BindingTest = LibraryTest;

// Type codes 3 and 9 keep the value storage in the host object's second word, every other
// code in the first.
TEST_F(BindingTest, TypeCodeChoosesTheStorageWord) {
    for (int type_code : {0, 1, 3, 6, 9, 2, -1}) {
        SCOPED_TRACE(type_code);
        host.declare("FF_versionsnummer", type_code, 5);
        EXPECT_EQ(call("Get_Versionsnummer"), 0);
        EXPECT_EQ(var("FF_versionsnummer"), 1536);
    }
}

TEST_F(BindingTest, VariablesAreLookedUpAfreshOnEveryCall) {
    call("Get_Versionsnummer");
    const Fixed* old_place = host.storage("FF_versionsnummer");
    host.move_storage("FF_versionsnummer");
    host.set("FF_versionsnummer", 0);
    call("Get_Versionsnummer");
    EXPECT_EQ(var("FF_versionsnummer"), 1536);
    EXPECT_EQ(*old_place, engine::HostEngine::kRetiredMarker);
    EXPECT_EQ(host.lookups(), (std::vector<std::string>{"FF_versionsnummer", "FF_versionsnummer"}));
}

TEST_F(BindingTest, MissingVariableOrStorageEndsTheExport) {
    engine::HostEngine bare;
    library->bind(bare);
    EXPECT_EQ(call("Get_Versionsnummer"), 0);
    EXPECT_EQ(bare.lookups(), std::vector<std::string>{"FF_versionsnummer"});

    bare.declare_without_storage("FF_versionsnummer", 3);
    EXPECT_EQ(call("Get_Versionsnummer"), 0);
}

// A host whose every variable lives at an odd address: the host does not promise aligned
// storage. Variables come into being at their first lookup, at 0.
class MisalignedHost {
public:
    MisalignedHost() {
        current_ = this;
        table_[0] = reinterpret_cast<Word>(&lookup);
        record_[1] = reinterpret_cast<Word>(table_);
    }
    ~MisalignedHost() { current_ = nullptr; }
    MisalignedHost(const MisalignedHost&) = delete;
    MisalignedHost& operator=(const MisalignedHost&) = delete;

    const Word* record() const { return record_; }
    Fixed get(const std::string& name) {
        Fixed value;
        std::memcpy(&value, storage(name), sizeof value);
        return value;
    }

private:
    static constexpr std::size_t kStride = 8;
    static constexpr std::size_t kCapacity = 512;

    // Words of a host object: storage, storage for type codes 3 and 9, type code (0).
    std::array<Word, 3>& object(const std::string& name) {
        auto [it, added] = objects_.try_emplace(name);
        if (added) {
            const std::size_t index = objects_.size() - 1;
            if (index >= kCapacity) throw std::length_error("too many host variables");
            it->second[0] = reinterpret_cast<Word>(bytes_ + 1 + kStride * index);
        }
        return it->second;
    }
    unsigned char* storage(const std::string& name) { return reinterpret_cast<unsigned char*>(object(name)[0]); }
    static Word* lookup(const char* name) { return current_->object(name).data(); }

    static inline MisalignedHost* current_ = nullptr;
    std::map<std::string, std::array<Word, 3>> objects_;
    alignas(8) unsigned char bytes_[kStride * kCapacity] = {};
    Word table_[1] = {};
    Word record_[2] = {};
};

// Every export reads and writes such variables as any other; under the undefined-behaviour
// sanitizer a misaligned access would end the run.
TEST_F(BindingTest, VariablesAtOddAddressesAreReadAndWritten) {
    MisalignedHost odd;
    ASSERT_EQ(library->bind_record(odd.record()), tamrilo::kBindingResult);
    const int device = attach_joystick();
    DIJOYSTATE state{};
    state.rgbButtons[0] = 0x80;
    sim().sim_set_state(device, &state);

    call("Get_Versionsnummer");
    EXPECT_EQ(odd.get("FF_versionsnummer"), 1536);
    call("InitDirectInput");  // reads the version
    EXPECT_EQ(odd.get("OV_info_1"), 1);
    call("InitJoystick_1");
    EXPECT_EQ(odd.get("OV_info_2"), 1);
    EXPECT_EQ(odd.get("JOY_X_A"), 2000);
    call("Get_Joystick_State");
    EXPECT_EQ(odd.get("OV_error"), 97);
    EXPECT_EQ(odd.get("JOY_X_A"), 0);
    EXPECT_EQ(odd.get("BUTTON_1"), 1024);

    // Every other export, the Defines first so that the later effect steps find their objects.
    const auto leaves_the_selection = [](const std::string& name) {
        return name == "A5_DLLAPI" || name.rfind("Init", 0) == 0 || name == "FreeDirectInput";
    };
    for (const bool defines : {true, false}) {
        for (const auto& name : all_export_names()) {
            if (leaves_the_selection(name) || (name.rfind("Define_", 0) == 0) != defines) continue;
            SCOPED_TRACE(name);
            if (is_name_export(name)) {
                engine::HostString string;
                EXPECT_EQ(library->call_with_string(name, &string), &string);
            } else {
                EXPECT_EQ(call(name), 0);
            }
        }
    }
    EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_EFFECT), 29);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

TEST_F(BindingTest, VersionReadsAsOnePointFive) {
    call("Get_Versionsnummer");
    EXPECT_EQ(var("FF_versionsnummer"), 1536);
    EXPECT_DOUBLE_EQ(engine::from_fixed(var("FF_versionsnummer")), 1.5);
}

}  // namespace
}  // namespace tamrilo::test
