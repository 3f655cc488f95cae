#pragma once
// The list of movies that failed to decode, kept in section ERR_FILE of Thumbnail.ini so
// that it survives restarts. It only grows; nothing in the program reads it back.
#include <string>

constexpr wchar_t kDecodeErrorSection[] = L"ERR_FILE";
// Entries beyond this are only logged.
constexpr int kMaxDecodeErrors = 500;

// Appends the movie unless the list holds it already (letter case ignored) or is full.
void AddDecodeError(const std::wstring& moviePath);
