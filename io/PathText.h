#pragma once

#include <string>

// The program's one place for paths: how it tidies the paths it is given,
// makes them whole, takes them apart and compares them.
namespace vorlune {

// Trims white space at both ends, turns "/" into "\" and ends the name of an
// existing directory with "\".
std::wstring TidyPath(const std::wstring& path);

// "/" to "\", a "\" after a directory, runs of "\" made one (a leading "\\"
// stays), then "." and ".." resolved; when that last step fails the rest is
// the result.
std::wstring CanonicalPath(const std::wstring& path);

// A relative path put after the current directory and made canonical; any
// other path as it is.
std::wstring MakeAbsolute(const std::wstring& path);

// The text after the last "\" (or the last ":" when there is none).
std::wstring PathFileName(const std::wstring& path);
// The full path Windows makes of a path (against the current directory), of
// any length; the path as it is when Windows cannot.
std::wstring FullPath(const std::wstring& path);

// The path with the "\\?\" prefix that lifts the MAX_PATH limit of the
// wide file functions, when it is that long; any other path as it is.
std::wstring LongPath(const std::wstring& path);

// The file name up to its last ".".
std::wstring PathTitle(const std::wstring& path);
// The file name after its last ".", without it; empty without one.
std::wstring PathExtension(const std::wstring& path);
// Whether the file name's extension is `extension` (given without the dot),
// in any letter case, as the file system compares names.
bool HasExtension(const std::wstring& path, const wchar_t* extension) noexcept;

// The folder of a path: the text before its last "\", with the "\" kept for
// a drive root ("D:\") or the root ("\"); "D:\" for "D:name"; "." when the
// path names no folder.
std::wstring Directory(const std::wstring& path);

// The text before the last "\" or "/", without it; empty when there is none.
// Unlike Directory, a name with no folder has none.
std::wstring FolderOf(const std::wstring& path);

// Whether two paths name the same file: the same full, canonical spelling in
// any letter case, or, for files that exist, the same file by identity
// (short names, links).
bool SamePath(const std::wstring& a, const std::wstring& b) noexcept;

// GetFileAttributesW without the system's critical-error boxes (an empty
// drive must not ask the user anything); INVALID_FILE_ATTRIBUTES when missing.
unsigned long QuietFileAttributes(const std::wstring& path) noexcept;

// Whether the path names an existing folder.
bool IsDirectory(const std::wstring& path) noexcept;

}  // namespace vorlune
