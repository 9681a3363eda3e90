// Includes only what src/ holds, by its path from src/ or beside itself.
#include "input/reader.hpp"
#include "reader.hpp"
#include "parmix_version.hpp"
#include <vector>
