#pragma once
// A small modal progress window whose job runs on its own worker thread; the optional
// cancel button only asks the job to stop (status = 1).
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/base/EasyThreadBase.h"
#include "ui/widgets/Button.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/SimpleControls.h"
#include "ui/widgets/SubClassDialogBase.h"

// The bar's range: positions are done x 2000 / total.
constexpr int kProgressRange = 2000;

// A derived dialog supplies Run (reporting with AddTotal / AddDone, stopping early when
// status is not 0) and OnEnd, which ends the dialog with EndDialog (window, status). It must
// Join in its own destructor, since the worker calls its Run and OnEnd.
class EasyProgress_CL : public SubClassDialogBase_CL, public EasyThreadBase_CL {
public:
    EasyProgress_CL(const std::wstring& title, BOOL showCancel);
    ~EasyProgress_CL() override;

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual void SetPos(int position);
    virtual void WaitWorker();

    // Called by the job on the worker thread; the bar is reached with SendMessageW.
    void AddTotal(uint64_t amount);
    void AddDone(uint64_t amount);

    ControlFactory_CL factory;
    ProgressBar_CL* progressBar = nullptr;
    Button_CL* cancelButton = nullptr;
    std::wstring title;
    int showCancel = 0;
    int startWorker = 0;  // set by a derived dialog to start the job when the dialog opens
    uint64_t total = 0;
    uint64_t done = 0;
    int lastPosition = 0;

protected:
    void OnInitDialog(HWND hwnd);
};
