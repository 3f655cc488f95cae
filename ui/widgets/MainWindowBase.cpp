#include "ui/widgets/MainWindowBase.h"

#include "core/base/Log.h"

namespace {

const wchar_t kShadowSuffix[] = L"_SHARDOW";

bool EnsureClass(const WNDCLASSEXW& windowClass)
{
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) return true;
    if (RegisterClassExW(&windowClass)) return true;
    WriteLastErrorLog(L"RegisterClassEx()エラー = 0x%08x : %s");
    return false;
}

}  // namespace

MainWindowBase_CL::MainWindowBase_CL()
{
    kind = kControlMainWindow;
}

MainWindowBase_CL::~MainWindowBase_CL()
{
    // The window never outlives its object: unbound first, so that its last messages reach
    // no half-destroyed object.
    if (hwnd && IsWindow(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    hwnd = nullptr;
    if (shadowOwner_ && IsWindow(shadowOwner_)) DestroyWindow(shadowOwner_);
}

WNDCLASSEXW MainWindowBase_CL::ClassData(const std::wstring& name, WNDPROC procedure) const
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name.c_str();
    return windowClass;
}

HWND MainWindowBase_CL::Create()
{
    if (!EnsureClass(ClassData(className, &MainWindowBase_CL::StaticWndProc))) return nullptr;
    HWND owner = useHiddenOwner ? CreateShadowOwner() : ownerWindow;
    HWND created = CreateWindowExW(0, className.c_str(), title.c_str(), windowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                   width, height, owner, menu, GetModuleHandleW(nullptr), this);
    if (!created) WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
    hwnd = created;
    return created;
}

HWND MainWindowBase_CL::CreateShadowOwner()
{
    const std::wstring shadowClass = className + kShadowSuffix;
    if (!EnsureClass(ClassData(shadowClass, DefWindowProcW))) return nullptr;
    shadowOwner_ = CreateWindowExW(0, shadowClass.c_str(), (title + kShadowSuffix).c_str(),
                                   windowStyle & ~static_cast<DWORD>(WS_VISIBLE), CW_USEDEFAULT, CW_USEDEFAULT, width,
                                   height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return shadowOwner_;
}

LRESULT CALLBACK MainWindowBase_CL::StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MainWindowBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        if (msg != WM_CREATE) return DefWindowProcW(window, msg, wParam, lParam);
        self = static_cast<MainWindowBase_CL*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (!self) return DefWindowProcW(window, msg, wParam, lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd = window;
    }
    LRESULT result = 0;
    try {
        result = self->HandleMessage(window, msg, wParam, lParam);
    } catch (...) {
        WriteLog(AppLog, L"main window message 0x%x could not be handled", msg);
        result = DefWindowProcW(window, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {  // the last message: nothing reaches the object after it
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd = nullptr;
    }
    return result;
}

LRESULT MainWindowBase_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return WindowProc(window, msg, wParam, lParam);
}

LRESULT MainWindowBase_CL::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
        break;
    case WM_DESTROY:
        OnDestroy();
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        OnSize();
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CLOSE:
        if (!OnClose()) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
