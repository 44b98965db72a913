// The command line of vostra: global options (before or after the command) and the command
// with its own arguments. Pure: the environment comes in through a lookup function, so tests
// can give their own. Errors are Polish texts for a person (UTF-8).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/host.h"

namespace host::app {

struct CommandLine {
  HostOptions options;
  std::vector<std::string> command;  // the command and its arguments ("db", "sample", ...)
  bool help = false;                 // --help / -h
  std::string error;                 // non-empty: the line is wrong; nothing else is valid
};

// Returns the value of an environment variable, or null.
using EnvLookup = std::function<const char*(const char*)>;

// Parses argv[1..]. `currentDir` is the default export folder. Options that only a command
// knows (db sample --invoices N) stay with the command's arguments; an unknown option before
// the command, or after a command other than "db", is an error.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const EnvLookup& env,
                             const std::string& currentDir);

// "YYYY-MM-DD" of a real calendar day to "YYYYMMDD"; empty when it is not one.
std::string ParseIsoDate(const std::string& text);

// The usage text (Polish, UTF-8).
const char* UsageText();

}  // namespace host::app
