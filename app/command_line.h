// What the first command-line argument asks for.
#pragma once

enum class RunKind {
    Windowed,      // no argument, an unknown switch, or a path that does not exist
    Change,        // "/s...": change the wallpaper from the lists
    CalendarOnly,  // "/d...": redraw the calendar on the current picture
    SetFile,       // an existing file or folder: make it the wallpaper at once
};

// Only the first two characters of a switch count, and the letter must be
// lower case: "/start" acts as "/s", "/S" opens the window.
RunKind classifyFirstArgument(const wchar_t* argument, bool (*pathExists)(const wchar_t*));
