#include "ui/widgets/EasySelectList.h"

#include <commctrl.h>

#include "ui/widgets/DialogFrame.h"

namespace {

// LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT
constexpr DWORD kSelectListExStyle = 0x35;

}  // namespace

EasySelectList_CL::EasySelectList_CL(const std::wstring& promptText) : prompt(promptText)
{
    dialogStyle = kDialogStyle;
}

void EasySelectList_CL::AddColumn(const std::wstring& header, int width)
{
    Column column;
    column.width = width;
    column.header = header;
    columns.push_back(column);
}

INT_PTR EasySelectList_CL::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        PlaceDialogOverOwner(hwnd);
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSelectListOkId) {
            ReadChecks();
            EndDialog(hwnd, 1);
        } else if (LOWORD(wParam) == kSelectListCancelId) {
            EndDialog(hwnd, 0);
        }
        return 0;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return TRUE;
    default:
        return IsEnterOrEscape(msg, wParam) ? TRUE : 0;
    }
}

void EasySelectList_CL::OnInitDialog(HWND hwnd)
{
    FrameDialog(hwnd, prompt, 640, 640, WS_MINIMIZEBOX, WS_THICKFRAME | WS_MAXIMIZEBOX);

    listView = factory.GetAs<ListView_CL>(factory.CreateListView(hwnd, 480, 320, LVS_SINGLESEL, 0));
    SendMessageW(listView->hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, kSelectListExStyle, kSelectListExStyle);
    for (const Column& column : columns) listView->AddColumn(column.header, column.width, LVCFMT_LEFT);

    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        const int item = static_cast<int>(r);
        listView->SetCell(row.cells.empty() ? std::wstring() : row.cells[0], item, 0, 0, 0);
        LVITEMW state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
        SendMessageW(listView->hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
        for (size_t j = 1; j < row.cells.size(); ++j) {
            LVITEMW cell = {};
            cell.mask = LVIF_TEXT;
            cell.iItem = item;
            cell.iSubItem = static_cast<int>(j);
            cell.pszText = const_cast<wchar_t*>(row.cells[j].c_str());
            SendMessageW(listView->hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
        }
    }

    buttonPairIndex = factory.CreateButton(hwnd, L"　　設定　　", 0, 0);
    factory.CreateButton(hwnd, L"　キャンセル　", 0, 0);
    const int ids[2] = {kSelectListOkId, kSelectListCancelId};
    for (int i = 0; i < 2; ++i) {
        ControlBase_CL* button = factory.Get(buttonPairIndex + i);
        button->id = ids[i];
        SetWindowLongPtrW(button->hwnd, GWLP_ID, ids[i]);
    }
    okButton = factory.GetAs<Button_CL>(buttonPairIndex);
    factory.PlaceButtonPair(hwnd, buttonPairIndex);
    OnSize();
}

void EasySelectList_CL::OnSize()
{
    if (!listView) return;
    RECT client = {};
    GetClientRect(window, &client);
    SetWindowPos(listView->hwnd, nullptr, 0, 0, client.right - client.left,
                 client.bottom - client.top - kSelectListButtonBand, SWP_NOZORDER);
    factory.PlaceButtonPair(window, buttonPairIndex);
}

void EasySelectList_CL::ReadChecks()
{
    const LRESULT count = SendMessageW(listView->hwnd, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && static_cast<size_t>(i) < rows.size(); ++i) {
        const LRESULT state = SendMessageW(listView->hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK);
        // State image 2 is a ticked box, 1 an empty one.
        rows[static_cast<size_t>(i)].checked = static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 0;
    }
}
