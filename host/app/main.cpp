// Placeholder: replaced by the program's command line.
#include "app/main.h"

#include <cstdio>

namespace host::app {
int Main(int, char**) {
  std::fprintf(stderr, "vostra: not built yet\n");
  return 2;
}
}  // namespace host::app
