#pragma once
// Stillforge's program-wide objects: they live from the start of the main routine to the
// end of the process, and the exception filter reaches them too.
#include <string>

#include "core/base/Inifile.h"
#include "core/base/Log.h"

// data folder + "\Thumbnail.ini": the settings and the crash markers.
extern Inifile_CL ThumbnailIni;

// "\kiln_log.txt": lines that begin "[LOG_LINE]".
extern Logger KilnLog;
// "\kiln_dec_list.txt": what was accepted and decoded.
extern Logger DecodeListLog;
// "\kiln_err_list.txt": movies that failed.
extern Logger ErrorListLog;
// "\kiln_seq.txt": the sequence of window messages and decode steps.
extern Logger SequenceLog;

// argv[1]: the starter's name (Reelvault's response pipe, the window title).
extern std::wstring StillforgeName;
// argv[2]: the data folder.
extern std::wstring StillforgeDataFolder;

constexpr wchar_t kThumbnailSection[] = L"THUMBNAIL";
// The crash marker in THUMBNAIL, written by the decode run and the exception filter and read
// back by the next run; spelt here only, since a key that differs between writer and reader
// would switch crash recovery off without a sound.
// 1 while a movie is in the decoder's hands.
constexpr wchar_t kRunDecodeKey[] = L"run_decode";
// 1 when the process died during a decode; cleared by the run that sees it.
constexpr wchar_t kExceptionKey[] = L"exception";
// The movie that was in the decoder's hands, so that the marker is held only against it.
constexpr wchar_t kCrashedFileKey[] = L"exception_file";

// THUMBNAIL setting: the private bytes, in MiB, past which the program restarts itself
// between movies (0 or less: never). The media layers under Wine keep a little of every
// graph they build; the default keeps the 32-bit release far from its 2 GiB of address
// space, where a failed allocation on the decode thread would blame an innocent movie.
constexpr wchar_t kMemoryRestartKey[] = L"decode_restart_private_mb";
constexpr int kDefaultMemoryRestartMb = 1024;

// Keeps the name and the folder and points the settings and the four logs into the folder.
// Reelvault's own log (AppLog) is pointed at kiln_log.txt too, so that the failure lines of
// the shared pipe and file code land somewhere in this program.
void InitStillforgeGlobals(const std::wstring& name, const std::wstring& dataFolder);

// data folder + "\StillforgeDataList.dat".
std::wstring GetQueueFilePath();

// A THUMBNAIL setting, read afresh at every call.
int ReadThumbnailSetting(const wchar_t* key, int defaultValue);
void WriteThumbnailSetting(const wchar_t* key, int value);
