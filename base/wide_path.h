// Paths are wide strings throughout (UTF-16 on Windows). Native builds turn
// them into UTF-8 for the POSIX calls; the Windows build never needs this.
#pragma once

#include <string>

std::string narrowPath(const wchar_t* path);
std::wstring widenPath(const char* utf8);
