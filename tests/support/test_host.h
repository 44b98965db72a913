// A host of its own for one test: a temporary folder with the database, the settings folder
// and the export folder, a fixed today, and the host made current for the test's lifetime.
// Nothing is shared between two tests. The folder is removed when the TestHost goes.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "core/host.h"
#include "store/store.h"

namespace testing_support {

class TestHost {
 public:
  explicit TestHost(std::string today = "20240315", bool unattended = true) {
    char pattern[] = "/tmp/vostra-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir = made ? made : "/tmp/vostra-test-fallback";
    host::HostOptions options;
    options.dbPath = dir + "/vostra.db";
    options.configDir = dir + "/config";
    options.exportDir = dir + "/export";
    options.today = std::move(today);
    options.unattended = unattended;
    std::filesystem::create_directories(options.configDir);
    std::filesystem::create_directories(options.exportDir);
    host_ = std::make_unique<host::Host>(options);
    scope_ = std::make_unique<host::CurrentHostScope>(host_.get());
  }
  ~TestHost() {
    scope_.reset();
    host_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  host::Host& host() { return *host_; }

  // Loads a host-data document (UTF-8 JSON) into the database; false with the reason.
  bool Import(std::string_view json, std::string* error = nullptr) {
    std::string why;
    bool ok = host_->store->ImportText(json, &why);
    if (error) *error = why;
    return ok;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir;

 private:
  std::unique_ptr<host::Host> host_;
  std::unique_ptr<host::CurrentHostScope> scope_;
};

}  // namespace testing_support
