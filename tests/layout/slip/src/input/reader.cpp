// Reaches into a program's folder through an include path of its own.
#include "input/reader.hpp"
#include "import_run.hpp"
