#pragma once
// Path helpers. Paths written by Windows may hold '\' as separator: every helper here
// accepts both '/' and '\'. Comparisons stay case-sensitive.
#include <string>
#include <string_view>

namespace platform {

bool IsSeparator(char c);
// Position of the last separator, or npos.
std::size_t LastSeparator(std::string_view path);
// "a/b/c.txt" -> "c.txt"; a path without separator is returned whole.
std::string FileName(std::string_view path);
// "a/b/c.txt" -> "c"; the extension is cut at the last dot of the file name only.
std::string FileTitle(std::string_view path);
// "a/b/c.txt" -> "a/b" ("" when there is no separator).
std::string Directory(std::string_view path);
// ".txt" including the dot, or "" (a dot inside a folder name is not an extension).
std::string Extension(std::string_view path);
// Replaces (or appends) the extension of the file name; newExt includes the dot.
std::string ReplaceExtension(std::string_view path, std::string_view newExt);
// Joins with '/', without doubling a separator.
std::string Join(std::string_view dir, std::string_view name);
// Turns every '\' into '/'.
std::string ToNative(std::string_view path);
// Case-insensitive test of the extension (with dot), e.g. HasExtension(p, ".lcp").
bool HasExtension(std::string_view path, std::string_view ext);
bool FileExists(const std::string& path);   // file or folder
bool IsDirectory(const std::string& path);

}  // namespace platform
