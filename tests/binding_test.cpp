// Binding the library to the host and finding host variables by name.
#include "harness.h"

namespace tamrilo::test {
namespace {

using engine::Word;

TEST(Binding, ReturnsMagicValueForAnyRecord) {
    engine::HostEngine host;
    engine::Library library(engine::default_library_path());
    Word empty_table[1] = {0};
    Word odd_record[4] = {0xFFFFFFFF, reinterpret_cast<Word>(empty_table), 7, 9};
    EXPECT_EQ(library.bind(host), 511);
    EXPECT_EQ(library.bind_record(odd_record), 511);
    EXPECT_EQ(library.bind_record(nullptr), 511);
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

TEST_F(BindingTest, VersionReadsAsOnePointFive) {
    call("Get_Versionsnummer");
    EXPECT_EQ(var("FF_versionsnummer"), 1536);
    EXPECT_DOUBLE_EQ(engine::from_fixed(var("FF_versionsnummer")), 1.5);
}

}  // namespace
}  // namespace tamrilo::test
