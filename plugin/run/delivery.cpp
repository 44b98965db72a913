// Delivery of the finished export file: packing into a ".zip" beside it, handing the archive to
// the host's mail sender, and showing the text file in the host's viewer.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "format/codepage.h"
#include "frame/host_imports.h"
#include "run/exporter.h"
#include "run/run_steps.h"

namespace plugin {
namespace {

// Paths converted into the host's file-system form (UTF-8): a Polish letter takes two bytes,
// so a path of 257 Mazovia characters needs up to 514.
constexpr int kConvertedSize = 520;
static_assert(kConvertedSize >= 2 * kPathChars + 1);

constexpr char kArchiveSuffix[] = ".zip";

// The host path in the form that the file system, the mail sender and the viewer take.
void ToFileSystemForm(const char* path, char* out) {
  out[0] = 0;
  const std::int32_t* codePage = HostGetCodePage();
  HostConvertText(out, kConvertedSize, path, -1, codePage ? *codePage : kCodePageMazovia,
                  kCodePageUtf8);
  out[kConvertedSize - 1] = 0;
}

// The last "\" or "/" of a text, or null.
const char* LastSeparator(const char* text) {
  const char* backslash = std::strrchr(text, '\\');
  const char* slash = std::strrchr(text, '/');
  if (!backslash) return slash;
  if (!slash) return backslash;
  return backslash > slash ? backslash : slash;
}

}  // namespace

bool RemoveHostFile(const char* path) {
  char converted[kConvertedSize];
  ToFileSystemForm(path, converted);
  if (converted[0] == 0) return false;
  return std::remove(converted) == 0 || errno == ENOENT;
}

bool MakeArchivePath(const char* sourcePath, char* out, std::size_t size) {
  out[0] = 0;
  const char* separator = LastSeparator(sourcePath);
  const char* name = separator ? separator + 1 : sourcePath;
  const char* dot = std::strrchr(name, '.');
  std::size_t keep = dot ? static_cast<std::size_t>(dot - sourcePath) : std::strlen(sourcePath);
  if (keep + sizeof kArchiveSuffix > size) return false;
  std::memcpy(out, sourcePath, keep);
  std::memcpy(out + keep, kArchiveSuffix, sizeof kArchiveSuffix);
  return true;
}

void BaseDirectoryOf(const char* fileName, char* out, std::size_t size) {
  if (size == 0) return;
  std::size_t n = std::strlen(fileName);
  if (n > size - 1) n = size - 1;
  std::memcpy(out, fileName, n);
  out[n] = 0;
  if (char* separator = const_cast<char*>(LastSeparator(out))) *separator = 0;
}

int PackFileTo(CZantoriaKHTowary& exporter, const char* sourcePath, char* archivePath,
               bool removeSource) {
  char baseDirectory[kPathSize];
  BaseDirectoryOf(exporter.optionsBlock.fileName, baseDirectory, sizeof baseDirectory);

  if (!MakeArchivePath(sourcePath, archivePath, kPathSize)) {
    ShowMessageF("Uwaga", "Błąd pakowania katalogu %s!\nOperacja niekompletna!"_mz, 1,
                 baseDirectory);
    return 1;
  }

  // The host's list of files: the source, then a null entry that ends it.
  auto** files = static_cast<const char**>(HostAlloc(2 * sizeof(const char*)));
  if (!files) {
    HostMessageBox("Uwaga",
                   "Błąd rezerwowania pamięci podczas pakowania pliku!\nOperacja niekompletna!"_mz,
                   1);
    return 1;
  }
  files[0] = sourcePath;
  files[1] = nullptr;

  HostMessageBox("Uwaga", "Pakowanie...", 0x200);
  int result = HostZipFiles(archivePath, baseDirectory, files);
  HostMessageBoxClose();

  // The archive replaces the text file; a failed packing keeps the text file.
  if (result == 0 && removeSource) RemoveHostFile(sourcePath);
  HostFree(files);

  if (result != 0) {
    ShowMessageF("Uwaga", "Błąd pakowania katalogu %s!\nOperacja niekompletna!"_mz, 1,
                 baseDirectory);
    return 1;
  }
  return 0;
}

int CZantoriaKHTowary::PackFile(const char* sourcePath, char* archivePath) {
  return PackFileTo(*this, sourcePath, archivePath, true);
}

bool MailArchive(const char* archivePath) {
  char converted[kConvertedSize];
  ToFileSystemForm(archivePath, converted);
  return HostSendMail(0, converted, 0, "Eksport danych ze Vostra Nova", 4) != 0;
}

void PreviewFile(const char* path) {
  char converted[kConvertedSize];
  ToFileSystemForm(path, converted);
  HostViewFile(converted, "l-1Tekst", 0, "Podgląd pliku"_mz, 0, 3, 18);
}

}  // namespace plugin
