#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "browser/WebView2Interfaces.h"

namespace {

// g++ (Itanium ABI, also on MinGW) stores a pointer to a virtual member function as the
// method's byte offset in the vtable plus one, followed by the this-adjustment.
template <typename Method>
int SlotOf(Method method)
{
    struct {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } encoded;
    static_assert(sizeof(encoded) == sizeof(method), "unexpected member-pointer size");
    std::memcpy(&encoded, &method, sizeof(encoded));
    if ((encoded.pointer & 1) == 0 || encoded.adjustment != 0) return -1;
    return static_cast<int>((encoded.pointer - 1) / sizeof(void*));
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[64] = {};
    if (StringFromGUID2(guid, text, 64) == 0) return L"";
    return text;
}

struct SlotCase {
    const char* method;
    int slot;
    int expected;
};

TEST(WebView2Interfaces, SlotsMatchTheRuntime)
{
    const SlotCase cases[] = {
        {"Environment::CreateCoreWebView2Controller", SlotOf(&ICoreWebView2Environment::CreateCoreWebView2Controller), 3},
        {"Controller::put_IsVisible", SlotOf(&ICoreWebView2Controller::put_IsVisible), 4},
        {"Controller::put_Bounds", SlotOf(&ICoreWebView2Controller::put_Bounds), 6},
        {"Controller::get_CoreWebView2", SlotOf(&ICoreWebView2Controller::get_CoreWebView2), 25},
        {"ICoreWebView2::get_Source", SlotOf(&ICoreWebView2::get_Source), 4},
        {"ICoreWebView2::Navigate", SlotOf(&ICoreWebView2::Navigate), 5},
        {"ICoreWebView2::add_NavigationStarting", SlotOf(&ICoreWebView2::add_NavigationStarting), 7},
        {"ICoreWebView2::add_SourceChanged", SlotOf(&ICoreWebView2::add_SourceChanged), 11},
        {"ICoreWebView2::add_HistoryChanged", SlotOf(&ICoreWebView2::add_HistoryChanged), 13},
        {"ICoreWebView2::add_NavigationCompleted", SlotOf(&ICoreWebView2::add_NavigationCompleted), 15},
        {"ICoreWebView2::ExecuteScript", SlotOf(&ICoreWebView2::ExecuteScript), 29},
        {"ICoreWebView2::CapturePreview", SlotOf(&ICoreWebView2::CapturePreview), 30},
        {"ICoreWebView2::Reload", SlotOf(&ICoreWebView2::Reload), 31},
        {"ICoreWebView2::get_CanGoBack", SlotOf(&ICoreWebView2::get_CanGoBack), 38},
        {"ICoreWebView2::get_CanGoForward", SlotOf(&ICoreWebView2::get_CanGoForward), 39},
        {"ICoreWebView2::GoBack", SlotOf(&ICoreWebView2::GoBack), 40},
        {"ICoreWebView2::GoForward", SlotOf(&ICoreWebView2::GoForward), 41},
        {"ICoreWebView2::Stop", SlotOf(&ICoreWebView2::Stop), 43},
        {"ICoreWebView2::add_NewWindowRequested", SlotOf(&ICoreWebView2::add_NewWindowRequested), 44},
        {"ICoreWebView2::add_DocumentTitleChanged", SlotOf(&ICoreWebView2::add_DocumentTitleChanged), 46},
        {"ICoreWebView2::get_DocumentTitle", SlotOf(&ICoreWebView2::get_DocumentTitle), 48},
        {"ICoreWebView2::remove_WindowCloseRequested (last of 58)", SlotOf(&ICoreWebView2::remove_WindowCloseRequested), 60},
        {"ICoreWebView2_2::add_WebResourceResponseReceived (first of _2)",
         SlotOf(&ICoreWebView2_2::add_WebResourceResponseReceived), 61},
        {"ICoreWebView2_11::remove_ContextMenuRequested (last of _2.._11)",
         SlotOf(&ICoreWebView2_11::remove_ContextMenuRequested), 101},
        {"ICoreWebView2_12::add_StatusBarTextChanged", SlotOf(&ICoreWebView2_12::add_StatusBarTextChanged), 102},
        {"ICoreWebView2_12::get_StatusBarText", SlotOf(&ICoreWebView2_12::get_StatusBarText), 104},
        {"NavigationStartingEventArgs::get_Uri", SlotOf(&ICoreWebView2NavigationStartingEventArgs::get_Uri), 3},
        {"NavigationStartingEventArgs::get_IsUserInitiated",
         SlotOf(&ICoreWebView2NavigationStartingEventArgs::get_IsUserInitiated), 4},
        {"NewWindowRequestedEventArgs::get_Uri", SlotOf(&ICoreWebView2NewWindowRequestedEventArgs::get_Uri), 3},
        {"NewWindowRequestedEventArgs::put_Handled", SlotOf(&ICoreWebView2NewWindowRequestedEventArgs::put_Handled), 6},
        {"environment created Invoke", SlotOf(&ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler::Invoke), 3},
        {"controller created Invoke", SlotOf(&ICoreWebView2CreateCoreWebView2ControllerCompletedHandler::Invoke), 3},
        {"NavigationStarting Invoke", SlotOf(&ICoreWebView2NavigationStartingEventHandler::Invoke), 3},
        {"NavigationCompleted Invoke", SlotOf(&ICoreWebView2NavigationCompletedEventHandler::Invoke), 3},
        {"SourceChanged Invoke", SlotOf(&ICoreWebView2SourceChangedEventHandler::Invoke), 3},
        {"HistoryChanged Invoke", SlotOf(&ICoreWebView2HistoryChangedEventHandler::Invoke), 3},
        {"DocumentTitleChanged Invoke", SlotOf(&ICoreWebView2DocumentTitleChangedEventHandler::Invoke), 3},
        {"StatusBarTextChanged Invoke", SlotOf(&ICoreWebView2StatusBarTextChangedEventHandler::Invoke), 3},
        {"NewWindowRequested Invoke", SlotOf(&ICoreWebView2NewWindowRequestedEventHandler::Invoke), 3},
        {"script done Invoke", SlotOf(&ICoreWebView2ExecuteScriptCompletedHandler::Invoke), 3},
        {"capture done Invoke", SlotOf(&ICoreWebView2CapturePreviewCompletedHandler::Invoke), 3},
    };
    for (const SlotCase& c : cases) EXPECT_EQ(c.slot, c.expected) << c.method;
}

struct IidCase {
    const char* name;
    const IID& iid;
    const GUID& uuidof;
    const wchar_t* expected;
};

TEST(WebView2Interfaces, IdentifiersMatchTheRuntime)
{
    const IidCase cases[] = {
        {"ICoreWebView2Environment", IID_ICoreWebView2Environment, __uuidof(ICoreWebView2Environment),
         L"{B96D755E-0319-4E92-A296-23436F46A1FC}"},
        {"ICoreWebView2Controller", IID_ICoreWebView2Controller, __uuidof(ICoreWebView2Controller),
         L"{4D00C0D1-9434-4EB6-8078-8697A560334F}"},
        {"ICoreWebView2", IID_ICoreWebView2, __uuidof(ICoreWebView2), L"{76ECEACB-0462-4D94-AC83-423A6793775E}"},
        {"ICoreWebView2_2", IID_ICoreWebView2_2, __uuidof(ICoreWebView2_2), L"{9E8F0CF8-E670-4B5E-B2BC-73E061E3184C}"},
        {"ICoreWebView2_12", IID_ICoreWebView2_12, __uuidof(ICoreWebView2_12),
         L"{35D69927-BCFA-4566-9349-6B3E0D154CAC}"},
        {"NavigationStartingEventArgs", IID_ICoreWebView2NavigationStartingEventArgs,
         __uuidof(ICoreWebView2NavigationStartingEventArgs), L"{5B495469-E119-438A-9B18-7604F25F2E49}"},
        {"NewWindowRequestedEventArgs", IID_ICoreWebView2NewWindowRequestedEventArgs,
         __uuidof(ICoreWebView2NewWindowRequestedEventArgs), L"{34ACB11C-FC37-4418-9132-F9C21D1EAFB9}"},
        {"NavigationCompletedEventArgs", IID_ICoreWebView2NavigationCompletedEventArgs,
         __uuidof(ICoreWebView2NavigationCompletedEventArgs), L"{30D68B7D-20D9-4752-A9CA-EC8448FBB5C1}"},
        {"SourceChangedEventArgs", IID_ICoreWebView2SourceChangedEventArgs,
         __uuidof(ICoreWebView2SourceChangedEventArgs), L"{31E0E545-1DBA-4266-8914-F63848A1F7D7}"},
        {"environment created", IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
         __uuidof(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler), L"{4E8A3389-C9D8-4BD2-B6B5-124FEE6CC14D}"},
        {"controller created", IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
         __uuidof(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler), L"{6C4819F3-C9B7-4260-8127-C9F5BDE7F68C}"},
        {"NavigationStarting", IID_ICoreWebView2NavigationStartingEventHandler,
         __uuidof(ICoreWebView2NavigationStartingEventHandler), L"{9ADBE429-F36D-432B-9DDC-F8881FBD76E3}"},
        {"NavigationCompleted", IID_ICoreWebView2NavigationCompletedEventHandler,
         __uuidof(ICoreWebView2NavigationCompletedEventHandler), L"{D33A35BF-1C49-4F98-93AB-006E0533FE1C}"},
        {"SourceChanged", IID_ICoreWebView2SourceChangedEventHandler, __uuidof(ICoreWebView2SourceChangedEventHandler),
         L"{3C067F9F-5388-4772-8B48-79F7EF1AB37C}"},
        {"HistoryChanged", IID_ICoreWebView2HistoryChangedEventHandler, __uuidof(ICoreWebView2HistoryChangedEventHandler),
         L"{C79A420C-EFD9-4058-9295-3E8B4BCAB645}"},
        {"DocumentTitleChanged", IID_ICoreWebView2DocumentTitleChangedEventHandler,
         __uuidof(ICoreWebView2DocumentTitleChangedEventHandler), L"{F5F2B923-953E-4042-9F95-F3A118E1AFD4}"},
        {"StatusBarTextChanged", IID_ICoreWebView2StatusBarTextChangedEventHandler,
         __uuidof(ICoreWebView2StatusBarTextChangedEventHandler), L"{A5E3B0D0-10DF-4156-BFAD-3B43867ACAC6}"},
        {"NewWindowRequested", IID_ICoreWebView2NewWindowRequestedEventHandler,
         __uuidof(ICoreWebView2NewWindowRequestedEventHandler), L"{D4C185FE-C81C-4989-97AF-2D3FA7AB5651}"},
        {"script done", IID_ICoreWebView2ExecuteScriptCompletedHandler,
         __uuidof(ICoreWebView2ExecuteScriptCompletedHandler), L"{49511172-CC67-4BCA-9923-137112F4C4CC}"},
        {"capture done", IID_ICoreWebView2CapturePreviewCompletedHandler,
         __uuidof(ICoreWebView2CapturePreviewCompletedHandler), L"{697E05E9-3D8F-45FA-96F4-8FFE1EDEDAF5}"},
    };
    for (const IidCase& c : cases) {
        EXPECT_EQ(GuidText(c.iid), c.expected) << c.name;
        EXPECT_EQ(GuidText(c.uuidof), c.expected) << c.name << " through __uuidof";
    }
}

TEST(WebView2Interfaces, RegistrationTokenAndCaptureFormatHaveTheRuntimesShape)
{
    static_assert(sizeof(EventRegistrationToken) == 8, "the token is one 64-bit value");
    EXPECT_EQ(static_cast<int>(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG), 0);
    EXPECT_EQ(static_cast<int>(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG), 1);
}

}  // namespace
