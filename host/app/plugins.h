// Placeholder: replaced by the app subsystem.
#pragma once
#include "core/host.h"
namespace host::app {
class Plugins {
 public:
  explicit Plugins(Host& host) : host_(host) {}
 private:
  [[maybe_unused]] Host& host_;
};
}  // namespace host::app
