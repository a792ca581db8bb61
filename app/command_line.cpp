#include "app/command_line.h"

RunKind classifyFirstArgument(const wchar_t* argument, bool (*pathExists)(const wchar_t*)) {
    if (!argument || !*argument) return RunKind::Windowed;
    if (argument[0] == L'/') {
        if (argument[1] == L's') return RunKind::Change;
        if (argument[1] == L'd') return RunKind::CalendarOnly;
        return RunKind::Windowed;
    }
    return pathExists && pathExists(argument) ? RunKind::SetFile : RunKind::Windowed;
}
