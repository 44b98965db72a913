// HostZipFiles: a .zip archive through libzip.
#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frame/host_services.h"
#include "services/file_layer.h"
#include "services/internal.h"

namespace fs = std::filesystem;

namespace {

// The name of a file in the archive: its path below `base` where `base` is a folder that
// holds it, otherwise its own name.
std::string EntryName(const fs::path& file, const fs::path& base, bool baseIsFolder) {
  if (baseIsFolder) {
    fs::path relative = file.lexically_relative(base);
    if (!relative.empty() && *relative.begin() != ".." && relative != ".")
      return relative.generic_string();
  }
  return file.filename().string();
}

}  // namespace

extern "C" int HostZipFiles(const char* archive, const char* baseDir, const char* const* files) {
  // The archive is made whole or not at all: libzip writes a temporary file and renames it
  // over the archive on success. A listed file that is the archive itself, or that cannot be
  // read, fails the packing and leaves any old archive as it was.
  host::Host* host = host::Current();
  std::string archivePath;
  if (!host || !files || !files[0] ||
      !host::services::ModulePathToFs(*host, archive, &archivePath))
    return 1;
  fs::path base;
  bool baseIsFolder = false;
  std::string basePath;
  std::error_code ec;
  if (host::services::ModulePathToFs(*host, baseDir, &basePath)) {
    base = fs::path(basePath).lexically_normal();
    baseIsFolder = fs::is_directory(base, ec);
  }
  std::vector<std::pair<std::string, std::string>> entries;  // file path, entry name
  const fs::path archiveNormal = fs::path(archivePath).lexically_normal();
  for (const char* const* f = files; *f; ++f) {
    std::string path;
    if (!host::services::ModulePathToFs(*host, *f, &path)) return 1;
    fs::path normal = fs::path(path).lexically_normal();
    if (normal == archiveNormal || fs::equivalent(normal, archiveNormal, ec)) {
      host::services::ShowErrorUtf8("Archiwum nie może zastąpić pakowanego pliku " + path + ".");
      return 1;
    }
    if (!fs::is_regular_file(normal, ec)) {
      host::services::ShowErrorUtf8("Brak pliku do spakowania: " + path + ".");
      return 1;
    }
    entries.emplace_back(normal.string(), EntryName(normal, base, baseIsFolder));
  }

  int error = 0;
  zip_t* zip = zip_open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) {
    zip_error_t why;
    zip_error_init_with_code(&why, error);
    host::services::ShowErrorUtf8("Nie można utworzyć archiwum " + archivePath + ": " +
                                  zip_error_strerror(&why) + ".");
    zip_error_fini(&why);
    return 1;
  }
  for (const auto& [path, name] : entries) {
    zip_source_t* source = zip_source_file(zip, path.c_str(), 0, -1);
    if (!source || zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
      if (source) zip_source_free(source);
      host::services::ShowErrorUtf8("Nie można dodać pliku " + path + " do archiwum: " +
                                    zip_strerror(zip) + ".");
      zip_discard(zip);
      return 1;
    }
  }
  if (zip_close(zip) != 0) {
    host::services::ShowErrorUtf8("Nie można zapisać archiwum " + archivePath + ": " +
                                  zip_strerror(zip) + ".");
    zip_discard(zip);
    return 1;
  }
  return 0;
}
