// The portable rules behind list editing: which names count as pictures,
// the extension-length rule of a folder scan, the shuffle's pick, the sort
// and the filling of a list at start.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// True when the path's extension is one of the built-in formats
// (decode/image_format.h), in any letter case.
bool hasBuiltInImageExtension(std::wstring_view path) noexcept;

// True when `extension` equals `pattern` without its leading star ("*.pic"),
// ignoring ASCII letter case.
bool extensionMatchesPattern(std::wstring_view extension, std::wstring_view pattern) noexcept;

// A name found under a pattern is taken only when its extension (with the
// dot) is exactly as long as the pattern's, so a short-name alias found by
// "*.jpe" leaves "x.jpeg" to the "*.jpeg" pass.
bool extensionHasLength(std::wstring_view name, size_t lengthWithDot) noexcept;

// The shuffle's pick among n remaining entries for a draw r in 0..32767:
// the integer part of r / 32767 x (n - 1) + 0.5.
int shufflePick(int r, int n) noexcept;

// Ascending by key (bytes compared as unsigned); equal keys keep their order.
void sortEntriesByKey(std::vector<std::pair<std::string, size_t>>& keyed);

// What the open-file dialog returned: with several files the folder, then
// each name, NUL-separated and ending in a double NUL; with one file its full
// path. `firstName` is the offset of the first name. The folder part is the
// text before the character in front of the first name; each name is joined
// to it (paths of 260 characters or more are left out). The walk ends at the
// double NUL, at character 32,766 or at the end of the buffer. False (and
// nothing taken) when the first name starts past character 260.
struct OpenFileResult {
    std::wstring folder;
    std::vector<std::wstring> paths;
};
bool parseOpenFileResult(const wchar_t* result, size_t size, size_t firstName, OpenFileResult& out);

// A list as it is loaded at start: the stored entries whose files still
// exist, the count, and the position moved so that it still names the same
// file. A position at or past the end becomes 0 (or -1 for an empty list).
struct LoadedList {
    std::vector<std::wstring> entries;
    int count = 0;
    int position = -1;
};
LoadedList keepExistingEntries(std::vector<std::wstring> stored, int position,
                               const std::function<bool(const std::wstring&)>& exists);
