// The portable core keeps its texts and names as code page 932 bytes, whatever the system's
// code page is. The Windows layer hands them to the W calls in UTF-16, converted from code
// page 932 explicitly, so titles, captions, drawn texts and names on disk come out right on a
// system whose ANSI code page is not 932 (including one set to UTF-8).
#pragma once

#include <string>

// Code page 932 bytes, zero-terminated, as UTF-16.
std::wstring fromCodePage932(const char* text);

// UTF-16 as code page 932 bytes; a character code page 932 cannot hold becomes its default.
std::string toCodePage932(const wchar_t* text);
