/* The controller: owner of the view, its visibility and bounds. */
#include "Standin.h"

struct StandinController {
    const void* lpVtbl;
    LONG references;
    StandinEnvironment* environment;
    StandinView* view;
    HWND parent;
    BOOL visible;
    RECT bounds;
    BOOL closed;
};

typedef struct ControllerVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(StandinController*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(StandinController*);
    ULONG(STDMETHODCALLTYPE* Release)(StandinController*);
    HRESULT(STDMETHODCALLTYPE* get_IsVisible)(StandinController*, BOOL*);
    HRESULT(STDMETHODCALLTYPE* put_IsVisible)(StandinController*, BOOL);
    HRESULT(STDMETHODCALLTYPE* get_Bounds)(StandinController*, RECT*);
    HRESULT(STDMETHODCALLTYPE* put_Bounds)(StandinController*, RECT);
    void* zoomFocusAndParent[17]; /* slots 7-23 */
    HRESULT(STDMETHODCALLTYPE* Close)(StandinController*);
    HRESULT(STDMETHODCALLTYPE* get_CoreWebView2)(StandinController*, StandinView**);
} ControllerVtbl;
STANDIN_ASSERT_SLOT(ControllerVtbl, get_IsVisible, 3);
STANDIN_ASSERT_SLOT(ControllerVtbl, put_IsVisible, 4);
STANDIN_ASSERT_SLOT(ControllerVtbl, get_Bounds, 5);
STANDIN_ASSERT_SLOT(ControllerVtbl, put_Bounds, 6);
STANDIN_ASSERT_SLOT(ControllerVtbl, Close, 24);
STANDIN_ASSERT_SLOT(ControllerVtbl, get_CoreWebView2, 25);

static HRESULT STDMETHODCALLTYPE Controller_QueryInterface(StandinController* self, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = NULL;
    if (!IsEqualIID(iid, &StandinIID_IUnknown) && !IsEqualIID(iid, &StandinIID_Controller)) return E_NOINTERFACE;
    InterlockedIncrement(&self->references);
    *object = self;
    return S_OK;
}

static ULONG STDMETHODCALLTYPE Controller_AddRef(StandinController* self)
{
    return (ULONG)InterlockedIncrement(&self->references);
}

static void CloseController(StandinController* self)
{
    if (self->closed) return;
    self->closed = TRUE;
    if (self->view) {
        Standin_CloseView(self->view);
        Standin_ViewRelease(self->view);
        self->view = NULL;
    }
}

static HRESULT STDMETHODCALLTYPE Controller_Close(StandinController* self)
{
    Standin_Log(L"call Close");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    CloseController(self);
    return S_OK;
}

/* As with the real runtime, the last reference to the controller closes the view. */
static ULONG STDMETHODCALLTYPE Controller_Release(StandinController* self)
{
    const LONG left = InterlockedDecrement(&self->references);
    if (left != 0) return (ULONG)left;
    CloseController(self);
    Standin_EnvironmentRelease(self->environment);
    Standin_Free(self);
    return 0;
}

void Standin_ControllerRelease(StandinController* controller)
{
    Controller_Release(controller);
}

static HRESULT STDMETHODCALLTYPE Controller_get_IsVisible(StandinController* self, BOOL* visible)
{
    Standin_Log(L"call get_IsVisible");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!visible) return E_POINTER;
    *visible = self->visible;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Controller_put_IsVisible(StandinController* self, BOOL visible)
{
    Standin_Log(L"call put_IsVisible %d", visible ? 1 : 0);
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    self->visible = visible ? TRUE : FALSE;
    if (self->view && Standin_ViewWindow(self->view)) ShowWindow(Standin_ViewWindow(self->view), visible ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Controller_get_Bounds(StandinController* self, RECT* bounds)
{
    Standin_Log(L"call get_Bounds");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!bounds) return E_POINTER;
    *bounds = self->bounds;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Controller_put_Bounds(StandinController* self, RECT bounds)
{
    Standin_Log(L"call put_Bounds %ld,%ld,%ld,%ld", bounds.left, bounds.top, bounds.right, bounds.bottom);
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    self->bounds = bounds;
    if (self->view && Standin_ViewWindow(self->view))
        MoveWindow(Standin_ViewWindow(self->view), bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   TRUE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Controller_get_CoreWebView2(StandinController* self, StandinView** view)
{
    Standin_Log(L"call get_CoreWebView2");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!view) return E_POINTER;
    *view = NULL;
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    if (self->closed || !self->view || switches.noView) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    Standin_ViewAddRef(self->view);
    *view = self->view;
    return S_OK;
}

static ControllerVtbl controllerVtbl = {
    .QueryInterface = Controller_QueryInterface,
    .AddRef = Controller_AddRef,
    .Release = Controller_Release,
    .get_IsVisible = Controller_get_IsVisible,
    .put_IsVisible = Controller_put_IsVisible,
    .get_Bounds = Controller_get_Bounds,
    .put_Bounds = Controller_put_Bounds,
    .Close = Controller_Close,
    .get_CoreWebView2 = Controller_get_CoreWebView2,
};

HRESULT Standin_CreateController(StandinEnvironment* environment, HWND parent, StandinHandler* handler)
{
    if (!handler) return E_POINTER;
    if (!Standin_HandlerAnswers(handler, &StandinIID_ControllerCompletedHandler)) return E_NOINTERFACE;
    if (!parent || !IsWindow(parent)) return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);

    StandinItem* item = Standin_NewItem(STANDIN_ITEM_CONTROLLER_CREATED);
    if (!item) return E_OUTOFMEMORY;
    item->handler = handler;
    handler->lpVtbl->AddRef(handler);
    item->environment = environment;
    Standin_EnvironmentAddRef(environment);
    if (switches.controllerFailed) {
        item->result = E_FAIL;
        return Standin_Post(environment, item) ? S_OK : E_FAIL;
    }

    StandinController* controller =
        (StandinController*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(StandinController));
    StandinView* view = controller ? Standin_NewView(environment, parent) : NULL; /* the controller's */
    if (!controller || !view) {
        Standin_Free(controller);
        Standin_FreeItem(item);
        return E_OUTOFMEMORY;
    }
    static BOOL prepared = FALSE;
    if (!prepared) {
        Standin_FillVtable(&controllerVtbl, sizeof(controllerVtbl));
        prepared = TRUE;
    }
    controller->lpVtbl = &controllerVtbl;
    controller->references = 1; /* the item's, handed to the host with the completion */
    controller->environment = environment;
    Standin_EnvironmentAddRef(environment);
    controller->view = view;
    controller->parent = parent;
    item->controller = controller;
    item->result = Standin_ViewWindow(view) ? S_OK : E_FAIL;
    return Standin_Post(environment, item) ? S_OK : E_FAIL;
}

void Standin_DeliverControllerCreated(StandinItem* item)
{
    HRESULT result = item->result;
    StandinController* controller = SUCCEEDED(result) ? item->controller : NULL;
    /* The documented answer when the parent is destroyed before the creation finished. */
    if (controller && !IsWindow(controller->parent)) {
        result = E_ABORT;
        controller = NULL;
    }
    Standin_Log(L"event ControllerCreated hr=0x%08lX", (unsigned long)result);
    item->handler->lpVtbl->Invoke.object(item->handler, result, controller);
}
