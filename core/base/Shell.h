#pragma once
// Opening documents and web addresses with the programs the shell associates.
#include <string>

// True while "c:\MyHome.txt" exists: on the maker's own machine nothing is opened.
bool HasHomeMarkerFile();

// Opens a web address or a document with its associated program. No result.
void ShellOpen(const std::wstring& target);
