// The module as the loader and the host see it: its exported names, its resources and the
// information dialog's procedure.
#include "harness.h"
#include "module/info_dialog.h"
#include "platform/user_interface_standin.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tamrilo::test {
namespace {

TEST(Exports, EveryListedNameResolvesAndNothingInternalDoes) {
    engine::Library library(engine::default_library_path());
    for (const auto& name : all_export_names()) EXPECT_TRUE(library.has(name)) << name;
    for (const char* internal : {"DllMain", "info_dialog_procedure", "find_host_var", "version_accepted", "A5_DLLAPI@4",
                                 "_A5_DLLAPI", "Get_VersionsNummer"}) {
        EXPECT_FALSE(library.has(internal)) << internal;
    }
}

// The dialog ends only for a whole command parameter of IDOK or IDCANCEL.
TEST(InfoDialog, ProcedureEndsOnlyForOkAndCancel) {
    struct Case {
        UINT message;
        WPARAM wparam;
        INT_PTR returns;
        bool ends;
    };
    const Case cases[] = {
        {WM_INITDIALOG, 0, TRUE, false},
        {WM_COMMAND, 1, TRUE, true},
        {WM_COMMAND, 2, TRUE, true},
        {WM_COMMAND, 0, TRUE, false},
        {WM_COMMAND, 3, TRUE, false},
        {WM_COMMAND, 0x00010001, TRUE, false},
        {WM_COMMAND, 0x00000101, TRUE, false},
        {WM_COMMAND, 0xFFFF0002, TRUE, false},
        {0x0010 /* WM_CLOSE */, 1, FALSE, false},
        {0x0000, 2, FALSE, false},
    };
    HWND dialog = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "message " << c.message << " wparam " << c.wparam);
        const int before = platform::recorded_dialog_ending().count;
        EXPECT_EQ(module::info_dialog_procedure(dialog, c.message, c.wparam, 0), c.returns);
        EXPECT_EQ(platform::recorded_dialog_ending().count - before, c.ends ? 1 : 0);
        if (c.ends) {
            EXPECT_EQ(platform::recorded_dialog_ending().dialog, dialog);
            EXPECT_EQ(platform::recorded_dialog_ending().result, static_cast<INT_PTR>(c.wparam));
        }
    }
}

#ifdef _WIN32
std::string version_string(const std::vector<char>& block, const char* entry) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\080704b0\\") + entry;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) return "<missing>";
    return std::string(value);
}

TEST(Resources, VersionResource) {
    const std::string path = engine::default_library_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask,
              DWORD{VS_FF_DEBUG | VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD});
    EXPECT_EQ(fixed->dwFileOS, DWORD{VOS_NT_WINDOWS32});
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_DLL});

    WORD* translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0807);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(version_string(block, "FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(version_string(block, "ProductVersion"), "1, 0, 0, 1");
    EXPECT_EQ(version_string(block, "SpecialBuild"), "DLL for Joystick/ForceFeedback Access");
    EXPECT_EQ(version_string(block, "OriginalFilename"), "Tamrilo.dll");
    for (const char* entry : {"Comments", "CompanyName", "FileDescription", "InternalName", "LegalCopyright",
                              "LegalTrademarks", "PrivateBuild", "ProductName"}) {
        EXPECT_NE(version_string(block, entry), "<missing>") << entry;
    }
}

TEST(Resources, InformationDialog) {
    HMODULE module = LoadLibraryA(engine::default_library_path().c_str());
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(module::kInfoDialog),
                                  MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS));
    ASSERT_NE(found, nullptr);
    const auto* words = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    const auto* dialog = reinterpret_cast<const DLGTEMPLATE*>(words);
    EXPECT_EQ(dialog->style & (DS_MODALFRAME | DS_SETFOREGROUND | DS_3DLOOK | WS_CAPTION | WS_SYSMENU | DS_SETFONT),
              DWORD{DS_MODALFRAME | DS_SETFOREGROUND | DS_3DLOOK | WS_CAPTION | WS_SYSMENU | DS_SETFONT});
    EXPECT_EQ(dialog->cdit, 2);
    EXPECT_EQ(dialog->x, 22);
    EXPECT_EQ(dialog->y, 17);
    EXPECT_EQ(dialog->cx, 111);
    EXPECT_EQ(dialog->cy, 119);
    // After the fixed part: no menu, the standard class, then the caption, point size and font.
    const WORD* p = words + sizeof(DLGTEMPLATE) / sizeof(WORD);
    EXPECT_EQ(*p++, 0);
    EXPECT_EQ(*p++, 0);
    const std::wstring caption(reinterpret_cast<const wchar_t*>(p));
    EXPECT_EQ(caption, L"Orvamet-Info");
    p += caption.size() + 1;
    EXPECT_EQ(*p++, 8);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(p)), L"MS Sans Serif");
    FreeLibrary(module);
}
#endif

}  // namespace
}  // namespace tamrilo::test
