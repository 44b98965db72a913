// Benchmark data: a host database filled by the sample generator.
//
// Usage from a benchmark: build a host over a temporary folder (BenchHost), then call
// GenerateBenchData(host, invoices). Kind 811 gets `invoices` invoices of five positions each;
// the other six kinds get their share (see Store::Sample), all dated in February and March
// 2024 (the host's today is 15 March 2024). The folder is removed when the BenchHost goes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/host.h"
#include "store/store.h"

namespace bench {

inline bool GenerateBenchData(host::Host& host, int invoices, std::uint64_t seed = 1) {
  std::string error;
  if (!host.store->Sample(invoices, seed, &error)) {
    std::fprintf(stderr, "sample: %s\n", error.c_str());
    return false;
  }
  return true;
}

// A host of its own over a temporary folder, current while it lives.
class BenchHost {
 public:
  BenchHost() {
    char pattern[] = "/tmp/vostra-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir = made ? made : "/tmp/vostra-bench";
    host::HostOptions options;
    options.dbPath = dir + "/vostra.db";
    options.configDir = dir + "/config";
    options.exportDir = dir + "/export";
    options.today = "20240315";
    options.unattended = true;
    std::filesystem::create_directories(options.configDir);
    std::filesystem::create_directories(options.exportDir);
    host_ = std::make_unique<host::Host>(options);
    scope_ = std::make_unique<host::CurrentHostScope>(host_.get());
  }
  ~BenchHost() {
    scope_.reset();
    host_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  host::Host& host() { return *host_; }
  std::string dir;

 private:
  std::unique_ptr<host::Host> host_;
  std::unique_ptr<host::CurrentHostScope> scope_;
};

}  // namespace bench
