#include "app/settings/PropAppKeySetting.h"

#include <commctrl.h>
#include <prsht.h>

#include "core/album/SaveData.h"
#include "core/base/Inifile.h"

namespace {

const wchar_t kSetButtonText[] = L"キーロックを設定する";
const wchar_t kSpacer[] = L"\u3000";

}  // namespace

std::wstring PropAppKeySetting_CL::GetPressedKeys()
{
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return std::wstring();
    std::wstring held;
    // "9" and "Z" belong to the chord like every other digit and letter.
    for (UINT key = '0'; key <= '9'; ++key) {
        if (state[key] & 0x80) held.push_back(static_cast<wchar_t>(key));
    }
    for (UINT key = 'A'; key <= 'Z'; ++key) {
        if (state[key] & 0x80) held.push_back(static_cast<wchar_t>(key));
    }
    return held;
}

int PropAppKeySetting_CL::CheckKeyLock() const
{
    if (!albumData) return 0;
    Inifile_CL albumIni;
    albumIni.SetPath(albumData->album_ini.GetPath());
    const std::wstring stored = albumIni.ReadString(L"LOCK", L"key", L"");
    return stored == GetPressedKeys() ? 1 : 0;
}

INT_PTR PropAppKeySetting_CL::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        ShowWindow(hwnd, SW_SHOW);
        SetTimer(hwnd, kKeyTimer, kKeyTimerMs, nullptr);
        return TRUE;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return 0;
    case WM_TIMER:
        heldKeys = GetPressedKeys();
        if (heldKeysDisplay) heldKeysDisplay->SetText(heldKeys);
        return 0;
    default:
        // Nothing to apply on OK: the only write happens at the click on the set button.
        return 0;
    }
}

ControlBase_CL* PropAppKeySetting_CL::CreateKeyDisplay()
{
    ControlBase_CL* display = controls.Get(controls.CreateStaticText(window, std::wstring(20, L'\u3000'), 8, 0));
    display->SetFontScale(5.0f, 800);
    display->Resize(5 * display->GetTextWidth(L"Ｗ"), display->GetTextHeight(L"Ｗ") + 16, TRUE);
    return display;
}

void PropAppKeySetting_CL::OnInitDialog()
{
    int metrics[8] = {};
    GetPageLayoutMetrics(metrics);
    if (!albumData || albumData->album_data.current_index == 0) {
        // The first album is the one opened when a chord is not held: it cannot be locked.
        ControlBase_CL* notice =
            controls.Get(controls.CreateStaticText(window, L"アルバム１には、キーロックを設定する事はできません。", 0, 0));
        const RECT rect = notice->GetRectInParent();
        notice->MoveTo((metrics[4] - (rect.right - rect.left)) / 2, (metrics[5] - (rect.bottom - rect.top)) / 2);
        return;
    }

    const int first = controls.CreateStaticText(window, L"現在のロックコード", 8, 0);
    lockCodeDisplay = CreateKeyDisplay();
    controls.CreateStaticText(window, kSpacer, 8, 0);
    ShowLockCode();
    controls.CreateStaticText(window, L"現在押下されているキー（同時に検出できないキーも存在します。）", 8, 0);
    heldKeysDisplay = CreateKeyDisplay();
    controls.CreateStaticText(window, kSpacer, 8, 0);
    controls.CreateStaticText(
        window,
        L"現在のアルバムに対して、キーロックを設定します。０～９、Ａ～Ｚのキーを適当に同時に押して\r\n"
        L"下さい。また、システムにによってキーの同時押しを検出できない組み合わせが存在しますので、\r\n"
        L"画面に表示されない場合は別の組み合わせにしてください。",
        8, 0);
    controls.CreateStaticText(window, kSpacer, 8, 0);
    controls.CreateStaticText(
        window, L"キーロックが設定されたアルバムは、アプリの起動時にそのキーが押下されていなければ開く事はで\r\nきません",
        8, 0);
    controls.CreateStaticText(window, kSpacer, 8, 0);
    const int last = controls.CreateStaticText(window, kSetButtonText, 8, 0);
    setButton = controls.Get(last);
    setButton->SetFontScale(2.0f, 800);
    setButton->Resize(12 * metrics[6], 2 * metrics[7], TRUE);
    if (setButton->hwnd) {
        SetWindowLongPtrW(setButton->hwnd, GWL_STYLE, GetWindowLongPtrW(setButton->hwnd, GWL_STYLE) | SS_NOTIFY);
        setButton->Subclass(this, &PropAppKeySetting_CL::KeyLockButtonProc);
    }
    controls.StackControls(first, last, 4, 4);
}

void PropAppKeySetting_CL::ShowLockCode()
{
    if (!albumData || !lockCodeDisplay) return;
    Inifile_CL albumIni;
    albumIni.SetPath(albumData->album_ini.GetPath());
    lockCodeDisplay->SetText(albumIni.ReadString(L"LOCK", L"key", L""));
}

void PropAppKeySetting_CL::StoreLockCode()
{
    if (!albumData) return;
    Inifile_CL albumIni;
    albumIni.SetPath(albumData->album_ini.GetPath());
    albumIni.WriteString(L"LOCK", L"key", heldKeys);
    ShowLockCode();
    if (window) SendMessageW(GetParent(window), PSM_CHANGED, reinterpret_cast<WPARAM>(window), 0);
}

LRESULT CALLBACK PropAppKeySetting_CL::KeyLockButtonProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<ControlBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!control) return 0;
    auto* page = static_cast<PropAppKeySetting_CL*>(control->handlerOwner);
    switch (msg) {
    case WM_PAINT:
        // Everything is drawn with the background; the static's own text would cover it.
        control->handled = 1;
        DefWindowProcW(window, msg, wParam, lParam);
        return 1;
    case WM_ERASEBKGND: {
        DefWindowProcW(window, msg, wParam, lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client = {};
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
        RECT text = client;
        text.left += 2;
        text.top += 6;
        HGDIOBJ oldFont = SelectObject(dc, control->font);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, kSetButtonText, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
        control->handled = 1;
        return 1;
    }
    case WM_LBUTTONDOWN:
        if (page) page->StoreLockCode();
        return 0;
    default:
        return 0;
    }
}
