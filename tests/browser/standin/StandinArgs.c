/* The arguments the view passes with its events. */
#include "Standin.h"

static HRESULT STDMETHODCALLTYPE Args_QueryInterface(StandinArgs* self, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = NULL;
    if (!IsEqualIID(iid, &StandinIID_IUnknown) && !IsEqualIID(iid, self->iid)) return E_NOINTERFACE;
    InterlockedIncrement(&self->references);
    *object = self;
    return S_OK;
}
static ULONG STDMETHODCALLTYPE Args_AddRef(StandinArgs* self)
{
    return (ULONG)InterlockedIncrement(&self->references);
}
static ULONG STDMETHODCALLTYPE Args_Release(StandinArgs* self)
{
    const LONG left = InterlockedDecrement(&self->references);
    if (left == 0) {
        Standin_Free(self->uri);
        Standin_Free(self);
    }
    return (ULONG)left;
}
static HRESULT STDMETHODCALLTYPE Args_get_Uri(StandinArgs* self, LPWSTR* uri)
{
    if (!uri) return E_POINTER;
    *uri = Standin_CoTaskString(self->uri);
    return *uri ? S_OK : E_OUTOFMEMORY;
}
#define ARGS_FLAG_GETTER(name, field)                                    \
    static HRESULT STDMETHODCALLTYPE name(StandinArgs* self, BOOL* value) \
    {                                                                    \
        if (!value) return E_POINTER;                                    \
        *value = self->field;                                            \
        return S_OK;                                                     \
    }
ARGS_FLAG_GETTER(Args_get_IsUserInitiated, userInitiated)
ARGS_FLAG_GETTER(Args_get_IsRedirected, redirected)
ARGS_FLAG_GETTER(Args_get_Handled, handled)
ARGS_FLAG_GETTER(Args_get_IsSuccess, success)
ARGS_FLAG_GETTER(Args_get_IsNewDocument, isNewDocument)
ARGS_FLAG_GETTER(Args_get_IsErrorPage, isErrorPage)
static HRESULT STDMETHODCALLTYPE Args_get_Cancel(StandinArgs* self, BOOL* cancel)
{
    if (!cancel) return E_POINTER;
    *cancel = FALSE;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE Args_put_Handled(StandinArgs* self, BOOL handled)
{
    self->handled = handled;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE Args_get_WebErrorStatus(StandinArgs* self, int* status)
{
    if (!status) return E_POINTER;
    *status = self->webErrorStatus;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE Args_get_NavigationId(StandinArgs* self, UINT64* id)
{
    if (!id) return E_POINTER;
    *id = self->navigationId;
    return S_OK;
}

typedef HRESULT(STDMETHODCALLTYPE* ArgsQueryInterface)(StandinArgs*, REFIID, void**);
typedef ULONG(STDMETHODCALLTYPE* ArgsReference)(StandinArgs*);
typedef HRESULT(STDMETHODCALLTYPE* ArgsText)(StandinArgs*, LPWSTR*);
typedef HRESULT(STDMETHODCALLTYPE* ArgsFlag)(StandinArgs*, BOOL*);
typedef HRESULT(STDMETHODCALLTYPE* ArgsSetFlag)(StandinArgs*, BOOL);
typedef HRESULT(STDMETHODCALLTYPE* ArgsInt)(StandinArgs*, int*);
typedef HRESULT(STDMETHODCALLTYPE* ArgsId)(StandinArgs*, UINT64*);

typedef struct NavigationStartingArgsVtbl {
    ArgsQueryInterface QueryInterface;
    ArgsReference AddRef;
    ArgsReference Release;
    ArgsText get_Uri;
    ArgsFlag get_IsUserInitiated;
    ArgsFlag get_IsRedirected;
    void* get_RequestHeaders;
    ArgsFlag get_Cancel;
    void* put_Cancel; /* cancelling is not offered: the call is refused */
    ArgsId get_NavigationId;
} NavigationStartingArgsVtbl;
STANDIN_ASSERT_SLOT(NavigationStartingArgsVtbl, get_Uri, 3);
STANDIN_ASSERT_SLOT(NavigationStartingArgsVtbl, get_IsUserInitiated, 4);
STANDIN_ASSERT_SLOT(NavigationStartingArgsVtbl, get_IsRedirected, 5);
STANDIN_ASSERT_SLOT(NavigationStartingArgsVtbl, get_NavigationId, 9);
static NavigationStartingArgsVtbl navigationStartingArgsVtbl = {
    Args_QueryInterface, Args_AddRef, Args_Release, Args_get_Uri, Args_get_IsUserInitiated, Args_get_IsRedirected,
    NULL, Args_get_Cancel, NULL, Args_get_NavigationId,
};

typedef struct ContentLoadingArgsVtbl {
    ArgsQueryInterface QueryInterface;
    ArgsReference AddRef;
    ArgsReference Release;
    ArgsFlag get_IsErrorPage;
    ArgsId get_NavigationId;
} ContentLoadingArgsVtbl;
STANDIN_ASSERT_SLOT(ContentLoadingArgsVtbl, get_IsErrorPage, 3);
STANDIN_ASSERT_SLOT(ContentLoadingArgsVtbl, get_NavigationId, 4);
static ContentLoadingArgsVtbl contentLoadingArgsVtbl = {
    Args_QueryInterface, Args_AddRef, Args_Release, Args_get_IsErrorPage, Args_get_NavigationId,
};

typedef struct SourceChangedArgsVtbl {
    ArgsQueryInterface QueryInterface;
    ArgsReference AddRef;
    ArgsReference Release;
    ArgsFlag get_IsNewDocument;
} SourceChangedArgsVtbl;
STANDIN_ASSERT_SLOT(SourceChangedArgsVtbl, get_IsNewDocument, 3);
static SourceChangedArgsVtbl sourceChangedArgsVtbl = {
    Args_QueryInterface, Args_AddRef, Args_Release, Args_get_IsNewDocument,
};

typedef struct NavigationCompletedArgsVtbl {
    ArgsQueryInterface QueryInterface;
    ArgsReference AddRef;
    ArgsReference Release;
    ArgsFlag get_IsSuccess;
    ArgsInt get_WebErrorStatus;
    ArgsId get_NavigationId;
} NavigationCompletedArgsVtbl;
STANDIN_ASSERT_SLOT(NavigationCompletedArgsVtbl, get_IsSuccess, 3);
STANDIN_ASSERT_SLOT(NavigationCompletedArgsVtbl, get_WebErrorStatus, 4);
STANDIN_ASSERT_SLOT(NavigationCompletedArgsVtbl, get_NavigationId, 5);
static NavigationCompletedArgsVtbl navigationCompletedArgsVtbl = {
    Args_QueryInterface, Args_AddRef, Args_Release, Args_get_IsSuccess, Args_get_WebErrorStatus, Args_get_NavigationId,
};

typedef struct NewWindowRequestedArgsVtbl {
    ArgsQueryInterface QueryInterface;
    ArgsReference AddRef;
    ArgsReference Release;
    ArgsText get_Uri;
    void* put_NewWindow;
    void* get_NewWindow;
    ArgsSetFlag put_Handled;
    ArgsFlag get_Handled;
    ArgsFlag get_IsUserInitiated;
    void* GetDeferral;
    void* get_WindowFeatures;
} NewWindowRequestedArgsVtbl;
STANDIN_ASSERT_SLOT(NewWindowRequestedArgsVtbl, get_Uri, 3);
STANDIN_ASSERT_SLOT(NewWindowRequestedArgsVtbl, put_Handled, 6);
STANDIN_ASSERT_SLOT(NewWindowRequestedArgsVtbl, get_IsUserInitiated, 8);
STANDIN_ASSERT_SLOT(NewWindowRequestedArgsVtbl, get_WindowFeatures, 10);
static NewWindowRequestedArgsVtbl newWindowRequestedArgsVtbl = {
    Args_QueryInterface, Args_AddRef, Args_Release, Args_get_Uri, NULL, NULL, Args_put_Handled, Args_get_Handled,
    Args_get_IsUserInitiated, NULL, NULL,
};

StandinArgs* Standin_NewArgs(StandinArgsKind kind)
{
    static BOOL prepared = FALSE;
    if (!prepared) {
        Standin_FillVtable(&navigationStartingArgsVtbl, sizeof(navigationStartingArgsVtbl));
        Standin_FillVtable(&newWindowRequestedArgsVtbl, sizeof(newWindowRequestedArgsVtbl));
        prepared = TRUE;
    }
    StandinArgs* args = (StandinArgs*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(StandinArgs));
    if (!args) return NULL;
    args->references = 1;
    switch (kind) {
    case STANDIN_ARGS_NAVIGATION_STARTING:
        args->lpVtbl = &navigationStartingArgsVtbl;
        args->iid = &StandinIID_NavigationStartingArgs;
        break;
    case STANDIN_ARGS_CONTENT_LOADING:
        args->lpVtbl = &contentLoadingArgsVtbl;
        args->iid = &StandinIID_ContentLoadingArgs;
        break;
    case STANDIN_ARGS_SOURCE_CHANGED:
        args->lpVtbl = &sourceChangedArgsVtbl;
        args->iid = &StandinIID_SourceChangedArgs;
        break;
    case STANDIN_ARGS_NAVIGATION_COMPLETED:
        args->lpVtbl = &navigationCompletedArgsVtbl;
        args->iid = &StandinIID_NavigationCompletedArgs;
        break;
    case STANDIN_ARGS_NEW_WINDOW_REQUESTED:
        args->lpVtbl = &newWindowRequestedArgsVtbl;
        args->iid = &StandinIID_NewWindowRequestedArgs;
        break;
    }
    return args;
}

void Standin_ReleaseArgs(StandinArgs* args)
{
    Args_Release(args);
}
