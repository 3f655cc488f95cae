#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "core/base/DllFunction.h"

namespace {

// The programs carry a manifest asking for Common Controls 6 (visual styles, the newer
// list-view and tool-bar messages); this test program carries the same resource.
TEST(Manifest, CommonControlsSixAreActive)
{
    // Version 6 is loaded from the side-by-side store, never from the system folder.
    DllFunction_CL comctl(L"comctl32.dll");
    ASSERT_TRUE(comctl.IsLoaded());
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH), 0u);
    std::wstring lower(path);
    for (auto& c : lower) c = towlower(c);
    EXPECT_NE(lower.find(L"\\winsxs\\"), std::wstring::npos) << "comctl32 from " << std::string(lower.begin(), lower.end());
    EXPECT_NE(lower.find(L"common-controls"), std::wstring::npos);
}

}  // namespace
