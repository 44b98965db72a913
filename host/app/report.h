// What `vostra plugins` prints: the plug-in folder and, for each module, whether it was loaded
// or refused, its name, version and commands, and the messages it showed at start (for a
// refused module its load report). UTF-8, markup rendered as on the console.
#pragma once

#include <string>

#include "app/plugins.h"

namespace host::app {

std::string DescribePlugins(const Plugins& plugins, const std::string& folder);

}  // namespace host::app
