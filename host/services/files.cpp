// Paths, files, holders, the in-place recode and memory blocks of the host functions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/encoding.h"
#include "frame/host_services.h"
#include "services/fault_injection.h"
#include "services/file_layer.h"
#include "services/internal.h"
#include "services/services.h"

namespace fs = std::filesystem;

// An open file of the host.
struct HostFile {
  std::FILE* fp = nullptr;
  bool text = false;    // "t" in the mode: "\n" is written as CR LF
  bool writing = false;
  bool failed = false;  // a write has failed: later writes are refused, close reports it
  int error = 0;        // errno of the first failure
  std::string path;     // UTF-8, for messages
};

namespace host::services {

namespace {

constexpr unsigned kNewFileMode = 0666;  // before the umask, as fopen creates files
constexpr std::size_t kRecodeBlock = 64 * 1024;

// Tells the user about a file the host could not finish; the plug-in does not look at these
// results, so without this a truncated or unconverted export would pass unnoticed.
void ReportFileError(const std::string& utf8Text) { ShowErrorUtf8(utf8Text); }

std::string ErrorText(int error) { return std::strerror(error); }

unsigned CurrentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<unsigned>(mask);
}

}  // namespace

// --- File layer ---------------------------------------------------------------------------

bool Services::ConsumeWrite() {
  if (faultCountdown_ <= 0) return false;
  if (faultFired_) {
    if (faultPersistent_) return true;
    return false;
  }
  if (--faultCountdown_ > 0) return false;
  faultFired_ = true;
  if (faultPersistent_) faultCountdown_ = 1;  // stays armed: the device stays full
  return true;
}

void Services::SetWriteFault(int countdown, bool persistent) {
  faultCountdown_ = countdown > 0 ? countdown : 0;
  faultPersistent_ = persistent;
  faultFired_ = false;
}

void Services::ClearWriteFault() { SetWriteFault(0, true); }

void FailWriteAfter(int n, bool persistent) {
  if (Services* s = CurrentServices()) s->SetWriteFault(n, persistent);
}
void ClearWriteFault() {
  if (Services* s = CurrentServices()) s->ClearWriteFault();
}
bool WriteFaultFired() {
  Services* s = CurrentServices();
  return s && s->WriteFaultFired();
}

namespace {
bool InjectedFault() {
  Services* s = CurrentServices();
  if (s && s->ConsumeWrite()) {
    errno = ENOSPC;
    return true;
  }
  return false;
}
}  // namespace

bool CheckedWrite(std::FILE* file, const void* data, std::size_t size) {
  if (size == 0) return true;  // nothing to write is no write
  if (InjectedFault()) return false;
  errno = 0;
  if (std::fwrite(data, 1, size, file) != size) {
    if (errno == 0) errno = EIO;
    return false;
  }
  return true;
}

bool CheckedFlush(std::FILE* file) {
  if (InjectedFault()) return false;
  errno = 0;
  if (std::fflush(file) != 0) {
    if (errno == 0) errno = EIO;
    return false;
  }
  return true;
}

std::FILE* CreateTempBeside(const std::string& path, std::string* tempPath) {
  std::string pattern = path + ".XXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return nullptr;
  std::FILE* fp = ::fdopen(fd, "wb");
  if (!fp) {
    int saved = errno;
    ::close(fd);
    ::unlink(pattern.c_str());
    errno = saved;
    return nullptr;
  }
  *tempPath = pattern;
  return fp;
}

void DiscardTemp(std::FILE* temp, const std::string& tempPath) {
  if (temp) std::fclose(temp);
  ::unlink(tempPath.c_str());
}

bool CommitTemp(std::FILE* temp, const std::string& tempPath, const std::string& path,
                unsigned newMode, std::string* error, bool forceMode) {
  auto fail = [&](int code, std::FILE* still) {
    if (error) *error = ErrorText(code);
    DiscardTemp(still, tempPath);
    errno = code;
    return false;
  };
  if (!CheckedFlush(temp)) return fail(errno, temp);
  if (::fsync(::fileno(temp)) != 0) return fail(errno, temp);
  struct stat old {};
  unsigned mode = forceMode                         ? newMode
                  : ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777)
                                                    : (newMode & ~CurrentUmask());
  if (::fchmod(::fileno(temp), mode) != 0) return fail(errno, temp);
  if (std::fclose(temp) != 0) return fail(errno, nullptr);
  if (std::rename(tempPath.c_str(), path.c_str()) != 0) return fail(errno, nullptr);
  return true;
}

bool ReplaceFile(const std::string& path, std::string_view contents, unsigned newMode,
                 std::string* error, bool forceMode) {
  std::string tempPath;
  std::FILE* temp = CreateTempBeside(path, &tempPath);
  if (!temp) {
    if (error) *error = ErrorText(errno);
    return false;
  }
  if (!CheckedWrite(temp, contents.data(), contents.size())) {
    int code = errno;
    if (error) *error = ErrorText(code);
    DiscardTemp(temp, tempPath);
    errno = code;
    return false;
  }
  return CommitTemp(temp, tempPath, path, newMode, error, forceMode);
}

// --- Paths --------------------------------------------------------------------------------

std::string ExportFolder(const Host& host) {
  std::error_code ec;
  fs::path dir = host.options.exportDir.empty() ? fs::current_path(ec)
                                                : fs::path(host.options.exportDir);
  if (dir.is_relative()) dir = fs::absolute(dir, ec);
  std::string text = dir.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

namespace {
std::string SlashesOf(std::string utf8) {
  for (char& c : utf8)
    if (c == '\\') c = '/';
  return utf8;
}

std::string AgainstExportFolder(const Host& host, const std::string& utf8) {
  if (!utf8.empty() && utf8[0] == '/') return utf8;
  std::string folder = ExportFolder(host);
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder + utf8;
}
}  // namespace

bool ModulePathToFs(const Host& host, const char* mazoviaPath, std::string* fsPath) {
  if (!mazoviaPath || !*mazoviaPath) return false;
  *fsPath = AgainstExportFolder(host, SlashesOf(MazoviaToUtf8(mazoviaPath)));
  return true;
}

namespace {

bool IsNameStart(char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// ~, ~/..., $VAR and ${VAR}; false for an unset variable or an unclosed "${".
bool ExpandVariables(const std::string& in, std::string* out) {
  out->clear();
  std::size_t i = 0;
  if (!in.empty() && in[0] == '~' && (in.size() == 1 || in[1] == '/')) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return false;
    out->append(home);
    i = 1;
  }
  while (i < in.size()) {
    char c = in[i];
    if (c != '$') {
      out->push_back(c);
      ++i;
      continue;
    }
    std::string name;
    if (i + 1 < in.size() && in[i + 1] == '{') {
      std::size_t close = in.find('}', i + 2);
      if (close == std::string::npos) return false;
      name = in.substr(i + 2, close - i - 2);
      if (name.empty() || !IsNameStart(name[0])) return false;
      for (char n : name)
        if (!IsNameChar(n)) return false;
      i = close + 1;
    } else if (i + 1 < in.size() && IsNameStart(in[i + 1])) {
      std::size_t end = i + 1;
      while (end < in.size() && IsNameChar(in[end])) ++end;
      name = in.substr(i + 1, end - i - 1);
      i = end;
    } else {
      out->push_back(c);  // a lone "$" is an ordinary character
      ++i;
      continue;
    }
    const char* value = std::getenv(name.c_str());
    if (!value) return false;
    out->append(value);
  }
  return true;
}

}  // namespace

}  // namespace host::services

using host::services::CheckedFlush;
using host::services::CheckedWrite;
using host::services::ModulePathToFs;

extern "C" char* HostDefaultPath(char* out, const char* name) {
  // `out` holds 256 bytes. A path that would not fit is never cut: the bare name is given
  // instead, which every path function of the host takes against the export folder anyway.
  constexpr std::size_t kOut = 256;
  if (!out) return out;
  std::string bare = name ? name : "";
  if (bare.size() >= kOut) bare.clear();
  std::string result = bare;
  host::Host* host = host::Current();
  std::string folder;
  if (host && !bare.empty() && host::Utf8ToMazovia(host::services::ExportFolder(*host), folder)) {
    std::string full = folder + (folder.empty() || folder.back() != '/' ? "/" : "") + bare;
    if (full.size() < kOut) result = full;
  }
  std::memcpy(out, result.c_str(), result.size() + 1);
  return out;
}

extern "C" int HostExpandPath(char* path, int size) {
  host::Host* host = host::Current();
  if (!host || !path || size <= 0) return 1;
  std::size_t length = ::strnlen(path, static_cast<std::size_t>(size));
  if (length == static_cast<std::size_t>(size)) return 1;  // not terminated within the buffer
  std::string utf8 = host::services::SlashesOf(host::MazoviaToUtf8(std::string_view(path, length)));
  std::string expanded;
  if (utf8.empty() || !host::services::ExpandVariables(utf8, &expanded)) return 1;
  expanded = host::services::AgainstExportFolder(*host, expanded);
  std::string mazovia;
  if (!host::Utf8ToMazovia(expanded, mazovia)) return 1;
  if (mazovia.size() + 1 > static_cast<std::size_t>(size)) return 1;
  std::memcpy(path, mazovia.c_str(), mazovia.size() + 1);
  return 0;
}

extern "C" int HostPreparePath(const char* path) {
  host::Host* host = host::Current();
  std::string fsPath;
  if (!host || !ModulePathToFs(*host, path, &fsPath)) return 1;
  fs::path folder = fs::path(fsPath).parent_path();
  if (folder.empty()) return 0;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return 1;
  return fs::is_directory(folder, ec) ? 0 : 1;
}

extern "C" HostFile* HostFileOpen(const char* path, const char* mode, int, int, int, int, int,
                                  int, int) {
  host::Host* host = host::Current();
  std::string fsPath;
  if (!host || !mode || !ModulePathToFs(*host, path, &fsPath)) return nullptr;
  // r, w or a, then any of "+", "b", "t"; "t" is the host's text mode.
  if (std::strlen(mode) > 4 || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
    return nullptr;
  std::string cmode(1, mode[0]);
  bool text = false;
  for (const char* m = mode + 1; *m; ++m) {
    if (*m == 't') {
      text = true;
    } else if (*m == '+' || *m == 'b') {
      cmode.push_back(*m);
    } else {
      return nullptr;
    }
  }
  std::FILE* fp = std::fopen(fsPath.c_str(), cmode.c_str());
  if (!fp) return nullptr;
  auto* file = new HostFile;
  file->fp = fp;
  file->text = text;
  file->writing = mode[0] != 'r' || cmode.find('+') != std::string::npos;
  file->path = fsPath;
  return file;
}

extern "C" int HostFilePrintf(HostFile* file, const char* format, ...) {
  if (!file || !file->fp || !format || file->failed) return -1;
  char small[8192];  // holds every block of the export file, so it is formatted once
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int count = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string big;
  const char* text = small;
  if (count >= static_cast<int>(sizeof small)) {
    big.resize(static_cast<std::size_t>(count) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    text = big.data();
  }
  va_end(again);
  if (count < 0) return -1;
  std::string_view bytes(text, static_cast<std::size_t>(count));
  bool ok;
  if (file->text && bytes.find('\n') != std::string_view::npos) {
    std::string lines;
    lines.reserve(bytes.size() + 32);
    for (char c : bytes) {
      if (c == '\n') lines.push_back('\r');
      lines.push_back(c);
    }
    ok = CheckedWrite(file->fp, lines.data(), lines.size());
  } else {
    ok = CheckedWrite(file->fp, bytes.data(), bytes.size());
  }
  if (!ok) {
    file->failed = true;
    file->error = errno;
    return -1;
  }
  return count;
}

extern "C" int HostFileClose(HostFile* file) {
  if (!file) return -1;
  bool ok = !file->failed;
  int error = file->error;
  if (file->writing && ok) {
    if (!CheckedFlush(file->fp)) {
      ok = false;
      error = errno;
    } else {
      // Only regular files can be synced; a device such as a terminal says EINVAL.
      struct stat st {};
      if (::fstat(::fileno(file->fp), &st) == 0 && S_ISREG(st.st_mode) &&
          ::fsync(::fileno(file->fp)) != 0) {
        ok = false;
        error = errno;
      }
    }
  }
  if (std::fclose(file->fp) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok && file->writing) {
    host::services::ReportFileError("Błąd zapisu pliku " + file->path + ": " +
                                    host::services::ErrorText(error ? error : EIO) +
                                    ". Plik jest niekompletny.");
  }
  delete file;
  return ok ? 0 : -1;
}

// The holder's storage: the held file and a mark that tells an initialised holder.
namespace {
constexpr std::uint64_t kHolderMark = 0x486f6c6465724f6bull;
struct HolderState {
  HostFile* file;
  std::uint64_t mark;
};
static_assert(sizeof(HolderState) <= sizeof(HostFileHolder::storage));

HolderState ReadHolder(const HostFileHolder* holder) {
  HolderState state{};
  std::memcpy(&state, holder->storage, sizeof state);
  return state;
}
void WriteHolder(HostFileHolder* holder, HolderState state) {
  std::memcpy(holder->storage, &state, sizeof state);
}
}  // namespace

extern "C" void HostFileHolderInit(HostFileHolder* holder, HostFile* file) {
  if (!holder) return;
  std::memset(holder->storage, 0, sizeof holder->storage);
  WriteHolder(holder, {file, kHolderMark});
}

extern "C" HostFile* HostFileHolderRelease(HostFileHolder* holder) {
  if (!holder) return nullptr;
  HolderState state = ReadHolder(holder);
  if (state.mark != kHolderMark) return nullptr;
  WriteHolder(holder, {nullptr, kHolderMark});
  return state.file;
}

extern "C" void HostFileHolderDestroy(HostFileHolder* holder) {
  if (!holder) return;
  HolderState state = ReadHolder(holder);
  if (state.mark == kHolderMark && state.file) HostFileClose(state.file);
  std::memset(holder->storage, 0, sizeof holder->storage);
}

namespace {

// Bytes at the end of a UTF-8 block that begin a sequence the block does not finish.
std::size_t IncompleteUtf8Tail(std::string_view block) {
  std::size_t n = block.size();
  for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
    unsigned char c = static_cast<unsigned char>(block[n - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return need > back ? back : 0;
  }
  return 0;
}

bool KnownCodePage(int cp) {
  return cp == kCodePageMazovia || cp == kCodePageWindows1250 || cp == kCodePageUtf8;
}

}  // namespace

extern "C" int HostRecodeFile(const char* source, const char* target, int fromCodePage,
                              int toCodePage) {
  // Line ends are bytes like any other: CR LF stays CR LF, LF stays LF. Only the characters
  // change code page.
  host::Host* host = host::Current();
  std::string sourcePath, targetPath;
  if (!host || !ModulePathToFs(*host, source, &sourcePath) ||
      !ModulePathToFs(*host, target, &targetPath))
    return 1;
  if (!KnownCodePage(fromCodePage) || !KnownCodePage(toCodePage)) return 1;
  auto report = [&](const std::string& why) {
    host::services::ReportFileError("Nie można przekodować pliku " + targetPath + ": " + why +
                                    ". Plik pozostał bez zmian.");
    return 1;
  };
  std::FILE* in = std::fopen(sourcePath.c_str(), "rb");
  if (!in) return report(host::services::ErrorText(errno));
  std::string tempPath;
  std::FILE* out = host::services::CreateTempBeside(targetPath, &tempPath);
  if (!out) {
    int code = errno;
    std::fclose(in);
    return report(host::services::ErrorText(code));
  }
  std::string block(host::services::kRecodeBlock, '\0');
  std::string carry, converted;
  std::uint64_t offset = 0;  // of the first byte of `carry` + block in the source
  for (;;) {
    std::size_t got = std::fread(block.data(), 1, block.size(), in);
    if (got == 0 && std::ferror(in)) {
      int code = errno ? errno : EIO;
      std::fclose(in);
      host::services::DiscardTemp(out, tempPath);
      return report(host::services::ErrorText(code));
    }
    bool last = got == 0;
    std::string chunk = carry;
    chunk.append(block.data(), got);
    carry.clear();
    if (!last && fromCodePage == kCodePageUtf8) {
      std::size_t tail = IncompleteUtf8Tail(chunk);
      carry = chunk.substr(chunk.size() - tail);
      chunk.resize(chunk.size() - tail);
    }
    std::size_t bad = 0;
    if (!host::ConvertCodePage(chunk, fromCodePage, toCodePage, converted, &bad)) {
      std::fclose(in);
      host::services::DiscardTemp(out, tempPath);
      return report("znak na pozycji " + std::to_string(offset + bad) +
                    " nie ma odpowiednika w docelowej stronie kodowej");
    }
    if (!CheckedWrite(out, converted.data(), converted.size())) {
      int code = errno;
      std::fclose(in);
      host::services::DiscardTemp(out, tempPath);
      return report(host::services::ErrorText(code));
    }
    offset += chunk.size();
    if (last) break;
  }
  std::fclose(in);
  std::string why;
  if (!host::services::CommitTemp(out, tempPath, targetPath, host::services::kNewFileMode, &why))
    return report(why);
  return 0;
}

extern "C" void* HostAlloc(std::uint32_t size) { return std::malloc(size ? size : 1); }

extern "C" void HostFree(void* block) { std::free(block); }
