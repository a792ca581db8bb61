// Pieces of a path, for wide paths whose separators are '\\' or '/'. Each
// returns a view into the path it is given.
#pragma once

#include <string>
#include <string_view>

// The folder part up to and including the last separator: "C:\a\b.ini" gives
// "C:\a\". Empty when the path has no separator.
std::wstring_view folderWithSeparator(std::wstring_view path) noexcept;

// The part after the last separator: "C:\a\b.ini" gives "b.ini". The whole
// path when it has no separator.
std::wstring_view fileNameOf(std::wstring_view path) noexcept;

// The file name's extension with its dot: "C:\a.b\c.tar.gz" gives ".gz".
// Empty when the file name has no dot.
std::wstring_view extensionOf(std::wstring_view path) noexcept;

// The path without its file name's extension: "C:\a.b\c.txt" gives "C:\a.b\c".
std::wstring_view withoutExtension(std::wstring_view path) noexcept;

// `name` inside `folder`: "C:\a" and "b.bmp" give "C:\a\b.bmp"; a folder
// that ends in a separator gets no second one, an empty one none at all.
std::wstring joinPath(std::wstring_view folder, std::wstring_view name);
