#include "core/host.h"

#include "app/plugins.h"
#include "dialog/dialogs.h"
#include "services/services.h"
#include "store/store.h"

namespace host {

namespace {
Host* g_current = nullptr;
}

Host* Current() { return g_current; }
void SetCurrent(Host* host) { g_current = host; }

Host::Host(HostOptions opts) : options(std::move(opts)) {
  unattendedFlag = options.unattended ? 1 : 0;
  store = std::make_unique<store::Store>(*this);
  services = std::make_unique<services::Services>(*this);
  dialogs = std::make_unique<dialog::Dialogs>(*this);
  plugins = std::make_unique<app::Plugins>(*this);
}

// Plug-ins go first: a module may still call the host while it shuts down.
Host::~Host() {
  plugins.reset();
  dialogs.reset();
  services.reset();
  store.reset();
}

}  // namespace host
