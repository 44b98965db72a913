// vostra: the sales program's command line and main window. Everything lives in TOVRAN.
#include "app/main.h"

int main(int argc, char** argv) { return host::app::Main(argc, argv); }
