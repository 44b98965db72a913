// Placeholder: replaced by the dialog subsystem.
#pragma once
#include "core/host.h"
namespace host::dialog {
class Dialogs {
 public:
  explicit Dialogs(Host& host) : host_(host) {}
 private:
  [[maybe_unused]] Host& host_;
};
}  // namespace host::dialog
