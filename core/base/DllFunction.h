#pragma once
// A library loaded at run time, freed when the object goes.
#include <windows.h>

#include <string>

class DllFunction_CL {
public:
    explicit DllFunction_CL(const std::wstring& name) : module_(LoadLibraryW(name.c_str())) {}
    virtual ~DllFunction_CL()
    {
        if (module_) FreeLibrary(module_);
    }
    DllFunction_CL(const DllFunction_CL&) = delete;
    DllFunction_CL& operator=(const DllFunction_CL&) = delete;

    bool IsLoaded() const { return module_ != nullptr; }
    // Null when the library or the entry point is missing.
    FARPROC GetProc(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

    template <typename Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProc(name)));
    }

private:
    HMODULE module_;
};
