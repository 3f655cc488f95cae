#pragma once
// The browser pane's lines of the program log. Each is formatted into at most 1,024
// units first (longer text is cut) and then written as a plain string, so that a "%" in a
// page address is never read as a format.
void WriteBrowserLog(const wchar_t* format, ...);
