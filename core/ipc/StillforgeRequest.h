#pragma once
// Reelvault's hold on the thumbnail maker: where its program is, how it is started, found
// (by window class "Stillforge" and its title) and closed.
#include <windows.h>

#include <string>

class StillforgeRequest_CL {
public:
    virtual ~StillforgeRequest_CL() = default;

    std::wstring title;       // the maker's window title; the first word of its command line
    std::wstring parameters;  // passed quoted behind the title: the data folder
    std::wstring exePath;     // exe folder + "\Stillforge.exe"
};

// The one maker of this program.
extern StillforgeRequest_CL StillforgeRequest;

constexpr wchar_t kStillforgeWindowClass[] = L"Stillforge";
constexpr wchar_t kStillforgeExeName[] = L"\\Stillforge.exe";

void SetThumbnailMakerParams(std::wstring title, std::wstring parameters, std::wstring exeFolder);

// TRUE when a maker window exists, started now or running already. A started maker is
// given time to create its window before another is tried, so that two never run at once.
BOOL StartThumbnailMaker();

// Asks a running maker to close, at most three times. Never blocks for long on a maker
// that does not answer; one that does not close is left running.
void StopThumbnailMaker();

// The running maker's window, or null.
HWND FindThumbnailMaker();

// The maker's request pipe: "Stillforge-" + title ("Stillforge-Reelvault" for Reelvault).
std::wstring GetThumbnailMakerPipeName();
