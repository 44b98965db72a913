// Helpers of the export run that are not operations of the exporter: the formatted message box,
// the output file's holder, file removal, and the name rules of the archive.
//
// Paths are Mazovia texts as the host hands them out; RemoveHostFile converts a path to the
// host's file-system form before it deletes. Nothing here keeps state; single-threaded.
#pragma once

#include <cstddef>

#include "frame/host_services.h"
#include "run/exporter.h"

namespace plugin {

// Formats like printf and shows the text in a host message box; returns the box's result.
int ShowMessageF(const char* title, const char* format, int flags, ...);

// Opens the output file through a host file holder: the holder receives the handle, or null.
void FileHolderOpen(HostFileHolder* holder, const char* path, const char* mode);

// Deletes the file of a host path (Mazovia). True when the file is gone afterwards.
bool RemoveHostFile(const char* path);

// Size of the path buffers of the run and of the archive path.
inline constexpr std::size_t kPathSize = 260;
// Characters of `fileName` copied into a path.
inline constexpr int kPathChars = 257;

// The archive's path for a source path: the file name's last extension replaced by ".zip",
// or ".zip" appended when the file name has no dot (a dot in a folder name does not count).
// False when the result does not fit into `size` bytes; `out` is then empty.
bool MakeArchivePath(const char* sourcePath, char* out, std::size_t size);

// The folder part of a configured file name: the text before its last "\" or "/", or the
// whole name when it has neither.
void BaseDirectoryOf(const char* fileName, char* out, std::size_t size);

// Packs the source file into the archive (PackFile's steps); the source is deleted after a
// successful packing only when `removeSource` is set.
int PackFileTo(CZantoriaKHTowary& exporter, const char* sourcePath, char* archivePath,
               bool removeSource);

// Hands the archive to the host's mail sender; true when the host reports it sent.
bool MailArchive(const char* archivePath);

// Shows the export file in the host's text viewer.
void PreviewFile(const char* path);

}  // namespace plugin
