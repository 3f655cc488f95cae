#pragma once
// A resizable modal list with check boxes: the owner fills the rows, runs the dialog and
// reads the ticks back after "　　設定　　" (result 1); "　キャンセル　" (0) leaves them.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/widgets/Button.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/SubClassDialogBase.h"

constexpr int kSelectListOkId = 0x1000;
constexpr int kSelectListCancelId = 0x1002;
// The band under the list that holds the buttons.
constexpr int kSelectListButtonBand = 64;

class EasySelectList_CL : public SubClassDialogBase_CL {
public:
    struct Column {
        int width = 0;
        std::wstring header;
    };
    struct Row {
        int checked = 0;
        std::vector<std::wstring> cells;  // one per column
    };

    explicit EasySelectList_CL(const std::wstring& prompt);

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AddColumn(const std::wstring& header, int width);

    ControlFactory_CL factory;
    ListView_CL* listView = nullptr;
    Button_CL* okButton = nullptr;
    std::wstring prompt;
    std::vector<Column> columns;
    std::vector<Row> rows;

protected:
    void OnInitDialog(HWND hwnd);
    void OnSize();
    // Reads every row's tick from the list into rows[i].checked.
    void ReadChecks();

    int buttonPairIndex = -1;
};
