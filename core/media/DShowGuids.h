#pragma once
// Class identifiers the program uses that MinGW's headers do not declare.
#include <windows.h>

// The system's Sample Grabber filter (qedit).
constexpr GUID CLSID_SampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
// The system's Null Renderer filter (qedit): accepts any stream and discards it.
constexpr GUID CLSID_NullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
// The program's own frame renderer; never registered, only reported by GetClassID.
constexpr GUID CLSID_DShowSampleRenderer = {0x99F56865, 0xF7DD, 0x4ACB, {0x9D, 0xB9, 0xC1, 0xF3, 0xC5, 0x37, 0xCF, 0x1F}};
