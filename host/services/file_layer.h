// The services' own file layer: resolving the paths that the plug-in hands over, and the
// writes that every file of the services goes through (so a write fault can be injected in
// one place, see fault_injection.h).
//
// Paths from the plug-in are Mazovia texts; the file system takes UTF-8. A backslash is taken
// as a folder separator (the module's settings may hold Windows-style names) and a relative
// path is taken against the export folder, never against the process's working directory.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/host.h"

namespace host::services {

// The export folder as an absolute UTF-8 path (the current directory when none is set).
std::string ExportFolder(const Host& host);

// A Mazovia path of the plug-in as an absolute UTF-8 path; false for a null or empty path.
bool ModulePathToFs(const Host& host, const char* mazoviaPath, std::string* fsPath);

// Writes through the fault layer; false with errno set on failure (ENOSPC when injected).
bool CheckedWrite(std::FILE* file, const void* data, std::size_t size);
bool CheckedFlush(std::FILE* file);

// Replaces `path` with `contents` without a moment in which the file is half-written: the
// bytes go to a temporary file in the same folder, which is flushed, synced and renamed over
// the old one. The old file's permission bits are kept (`newMode`, less the umask, for a new
// file); with `forceMode` the file gets exactly `newMode` (a password file: 0600). On failure
// the old file is untouched and `error` (may be null) gets the system's reason.
bool ReplaceFile(const std::string& path, std::string_view contents, unsigned newMode,
                 std::string* error, bool forceMode = false);

// A temporary file beside `path` ("<path>.XXXXXX"), open for writing; null on failure.
std::FILE* CreateTempBeside(const std::string& path, std::string* tempPath);
// Flushes, syncs and closes a temporary file, gives it the permission bits of `path` (or
// `newMode` when `path` does not exist) and renames it over `path`. On failure the temporary
// file is removed and `path` is untouched.
bool CommitTemp(std::FILE* temp, const std::string& tempPath, const std::string& path,
                unsigned newMode, std::string* error, bool forceMode = false);
void DiscardTemp(std::FILE* temp, const std::string& tempPath);

}  // namespace host::services
