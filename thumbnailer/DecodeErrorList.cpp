#include "thumbnailer/DecodeErrorList.h"

#include <cwchar>
#include <string>

#include "thumbnailer/StillforgeGlobals.h"

namespace {

std::wstring EntryKey(int index) { return L"decode_err_path_" + std::to_wstring(index); }

}  // namespace

void AddDecodeError(const std::wstring& moviePath)
{
    if (moviePath.empty()) return;
    // Deleted since start-up, the file would come back as ANSI without its mark.
    CreateUnicodeIniFile(ThumbnailIni.GetPath());

    int count = static_cast<int>(ThumbnailIni.ReadInt(kDecodeErrorSection, L"decode_err_path_count", 0));
    if (count < 0) count = 0;
    for (int i = 1; i <= count; ++i) {
        const std::wstring entry = ThumbnailIni.ReadString(kDecodeErrorSection, EntryKey(i).c_str(), L"");
        if (_wcsicmp(entry.c_str(), moviePath.c_str()) == 0) return;
    }
    if (count >= kMaxDecodeErrors) {
        WriteLog(KilnLog, L"[LOG_LINE] (decode-error-ini) skip max=%d file(%s)", kMaxDecodeErrors, moviePath.c_str());
        WriteLog(DecodeListLog, L"(decode-error-ini) skip max=%d file(%s)", kMaxDecodeErrors, moviePath.c_str());
        return;
    }
    ThumbnailIni.WriteString(kDecodeErrorSection, EntryKey(count + 1).c_str(), moviePath);
    ThumbnailIni.WriteInt(count + 1, kDecodeErrorSection, L"decode_err_path_count");
    WriteLog(KilnLog, L"[LOG_LINE] (decode-error-ini) append index=%d file(%s)", count + 1, moviePath.c_str());
    WriteLog(DecodeListLog, L"(decode-error-ini) append index=%d file(%s)", count + 1, moviePath.c_str());
}
