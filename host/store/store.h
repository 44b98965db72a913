// Placeholder: replaced by the store subsystem.
#pragma once
#include "core/host.h"
namespace host::store {
class Store {
 public:
  explicit Store(Host& host) : host_(host) {}
 private:
  [[maybe_unused]] Host& host_;
};
}  // namespace host::store
