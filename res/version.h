// The program's one version number: the About window's first line, the
// executable's version resource and the name of the download all read it.
#pragma once

#define TOLVEX_VERSION_MAJOR 2
#define TOLVEX_VERSION_MINOR 22
#define TOLVEX_VERSION_TEXT "2.22"
#define TOLVEX_VERSION_WIDE L"2.22"
