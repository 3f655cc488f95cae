#include "thumbnailer/StillforgeGlobals.h"

namespace {

constexpr int32_t kStillforgeLogLimit = 0x2000000;

}  // namespace

Inifile_CL ThumbnailIni;
Logger KilnLog = {kStillforgeLogLimit, L""};
Logger DecodeListLog = {kStillforgeLogLimit, L""};
Logger ErrorListLog = {kStillforgeLogLimit, L""};
Logger SequenceLog = {kStillforgeLogLimit, L""};
std::wstring StillforgeName;
std::wstring StillforgeDataFolder;

void InitStillforgeGlobals(const std::wstring& name, const std::wstring& dataFolder)
{
    StillforgeName = name;
    StillforgeDataFolder = dataFolder;
    ThumbnailIni.SetPath(dataFolder + L"\\Thumbnail.ini");
    KilnLog.path = dataFolder + L"\\kiln_log.txt";
    DecodeListLog.path = dataFolder + L"\\kiln_dec_list.txt";
    ErrorListLog.path = dataFolder + L"\\kiln_err_list.txt";
    SequenceLog.path = dataFolder + L"\\kiln_seq.txt";
    AppLog.path = KilnLog.path;
}

std::wstring GetQueueFilePath() { return StillforgeDataFolder + L"\\StillforgeDataList.dat"; }

int ReadThumbnailSetting(const wchar_t* key, int defaultValue)
{
    return static_cast<int>(ThumbnailIni.ReadInt(kThumbnailSection, key, defaultValue));
}

void WriteThumbnailSetting(const wchar_t* key, int value) { ThumbnailIni.WriteInt(value, kThumbnailSection, key); }
