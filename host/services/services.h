// Placeholder: replaced by the services subsystem.
#pragma once
#include "core/host.h"
namespace host::services {
class Services {
 public:
  explicit Services(Host& host) : host_(host) {}
 private:
  [[maybe_unused]] Host& host_;
};
}  // namespace host::services
