#pragma once
// AM_MEDIA_TYPE ownership: the format block lives in CoTaskMem and pUnk holds a reference.
#include <windows.h>
#include <strmif.h>

// Frees the format block and the pUnk reference and leaves the structure with none.
void FreeMediaType(AM_MEDIA_TYPE& type);

// FreeMediaType, then frees the structure itself (CoTaskMemFree). Null is allowed.
void DeleteMediaType(AM_MEDIA_TYPE* type);

// Deep copy: a new format block and a new pUnk reference. On failure `target` holds no
// format block and the result is E_OUTOFMEMORY.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);

// A deep copy in a CoTaskMem structure, as IEnumMediaTypes hands them out; null on failure.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);
