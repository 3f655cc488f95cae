#pragma once
// Temporary folders, fixtures and an ini reader of the tests' own, independent of the
// ini layer under test.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/common/TempFolder.h"

namespace albumtest {

// Documents\Reelvault is moved aside for the test's lifetime, so a test starts from a
// first start and leaves nothing behind.
class DocumentsSandbox {
public:
    DocumentsSandbox();
    ~DocumentsSandbox();
    DocumentsSandbox(const DocumentsSandbox&) = delete;
    DocumentsSandbox& operator=(const DocumentsSandbox&) = delete;

    const std::wstring& documents() const { return documents_; }
    std::wstring dataFolder() const { return documents_ + L"\\Reelvault"; }
    // Points the data root at folder through the program ini under Documents.
    void Redirect(const std::wstring& folder) const;

private:
    std::wstring documents_;
    std::wstring savedAside_;
};

// A path of the build machine (a fixture made at build time) as the tests see it.
std::wstring HostPath(const char* buildMachinePath);
std::wstring FixturePath(const std::wstring& name);
// Copies a fixture to folder\name and returns the copy's path.
std::wstring CopyFixture(const std::wstring& name, const std::wstring& folder);

// Writes FF FE and text as UTF-16LE, with "\n" turned into CR LF.
void WriteUtf16Text(const std::wstring& path, const std::wstring& text);

struct IniLine {
    std::wstring section;
    std::wstring key;
    std::wstring value;
};
struct ParsedIni {
    bool hasMark = false;
    std::vector<std::wstring> sections;  // in file order
    std::vector<IniLine> lines;          // key lines in file order
    // Keys of one section in file order.
    std::vector<std::wstring> KeysOf(const std::wstring& section) const;
    // The value of the key; `found` tells whether it was there. Counts are checked by
    // the callers where duplicates matter.
    std::wstring Value(const std::wstring& section, const std::wstring& key, bool* found = nullptr) const;
    int Count(const std::wstring& section, const std::wstring& key) const;
};
// Reads a UTF-16LE ini file byte by byte: "[section]" lines and "key=value" lines.
ParsedIni ParseUtf16Ini(const std::wstring& path);

}  // namespace albumtest
