// Fuzz target of the exchange document import: every input must end in success or in one
// clean message, and a refused input must leave the database as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "core/host.h"
#include "store/store.h"

// The fuzz program links the host's code without TOVRAN's export directory, which defines the
// build's answers; these are the real host's.
namespace host {
const TovranVariant kTovranVariant = {112, nullptr, 0, 0, 0, 0};
}

namespace {

struct FuzzHost {
  FuzzHost() {
    char pattern[] = "/tmp/vostra-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir = made ? made : "/tmp/vostra-fuzz";
    host::HostOptions options;
    options.dbPath = dir + "/vostra.db";
    options.configDir = dir;
    options.exportDir = dir;
    options.today = "20240315";
    options.unattended = true;
    host = std::make_unique<host::Host>(options);
    host::SetCurrent(host.get());
  }
  std::string dir;
  std::unique_ptr<host::Host> host;
};

std::string DumpOf(host::store::Store& store) {
  std::ostringstream out;
  std::string error;
  if (!store.Dump(out, &error)) std::abort();
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzHost fuzz;  // one database for the run; each input replaces its contents
  host::store::Store& store = *fuzz.host->store;
  static const std::string empty = [&] {
    std::string error;
    if (!store.ImportText("{}", &error)) std::abort();
    return DumpOf(store);
  }();
  std::string error;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (store.ImportText(text, &error)) {
    // What was taken comes back through the dump and imports again.
    std::string dump = DumpOf(store);
    if (!store.ImportText(dump, &error) || DumpOf(store) != dump) std::abort();
    if (!store.ImportText("{}", &error)) std::abort();
  } else {
    if (error.empty()) std::abort();
    if (DumpOf(store) != empty) std::abort();
  }
  return 0;
}
