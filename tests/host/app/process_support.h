// Runs a program of the build in a child process and parses what plugin_probe prints.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace app_test {

struct ProcessResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// A temporary folder that goes with its owner.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/vostra-app-XXXXXX";
    const char* made = mkdtemp(pattern);
    path = made ? made : "/tmp/vostra-app-fallback";
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
};

inline std::string ReadAll(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::string();
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

// Runs argv with extra environment variables ("NAME=value"); standard output and error are
// collected through files in `scratch`.
inline ProcessResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& scratch) {
  ProcessResult result;
  std::string outPath = scratch + "/stdout";
  std::string errPath = scratch + "/stderr";
  pid_t child = fork();
  if (child == 0) {
    std::FILE* out = std::freopen(outPath.c_str(), "wb", stdout);
    std::FILE* err = std::freopen(errPath.c_str(), "wb", stderr);
    if (!out || !err) _exit(126);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    result.status = WEXITSTATUS(status);
  result.out = ReadAll(outPath);
  result.err = ReadAll(errPath);
  return result;
}

struct ProbedMessage {
  std::string title;
  std::string text;
};

struct ProbedPlugin {
  std::string file;
  std::string state;
  bool announced = false;
  std::string name;
  std::vector<std::pair<int, std::string>> commands;
  std::vector<ProbedMessage> messages;
  std::string shutdown;  // "<result> <commands left> <buffer untouched>"
};

// Parses the probe's output; an unexpected line ends the parse with `error` set.
inline std::vector<ProbedPlugin> ParseProbe(const std::string& out, std::string* error) {
  std::vector<ProbedPlugin> plugins;
  std::size_t at = 0;
  auto line = [&]() {
    std::size_t end = out.find('\n', at);
    if (end == std::string::npos) end = out.size();
    std::string l = out.substr(at, end - at);
    at = end + 1;
    return l;
  };
  auto rest = [](const std::string& l, const char* key) { return l.substr(std::string(key).size()); };
  while (at < out.size()) {
    std::string l = line();
    if (l.rfind("plugin ", 0) == 0) {
      plugins.push_back({});
      plugins.back().file = rest(l, "plugin ");
    } else if (plugins.empty()) {
      *error = "line before any plugin: " + l;
      return plugins;
    } else if (l.rfind("state ", 0) == 0) {
      plugins.back().state = rest(l, "state ");
    } else if (l.rfind("announced ", 0) == 0) {
      plugins.back().announced = rest(l, "announced ") == "1";
    } else if (l.rfind("name ", 0) == 0) {
      plugins.back().name = rest(l, "name ");
    } else if (l.rfind("command ", 0) == 0) {
      std::istringstream in(rest(l, "command "));
      int id = 0;
      in >> id;
      std::string name;
      std::getline(in, name);
      plugins.back().commands.push_back({id, name.empty() ? name : name.substr(1)});
    } else if (l.rfind("message ", 0) == 0) {
      std::istringstream in(rest(l, "message "));
      std::size_t titleSize = 0, textSize = 0;
      in >> titleSize >> textSize;
      ProbedMessage m{out.substr(at, titleSize), out.substr(at + titleSize, textSize)};
      at += titleSize + textSize + 1;
      plugins.back().messages.push_back(m);
    } else if (l.rfind("shutdown ", 0) == 0) {
      plugins.back().shutdown = rest(l, "shutdown ");
    } else {
      *error = "unexpected line: " + l;
      return plugins;
    }
  }
  return plugins;
}

}  // namespace app_test
