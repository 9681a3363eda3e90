#include "input/input_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "input/errors.hpp"

namespace parmix::importer {

void requireReadableFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode) ||
      ::access(path.c_str(), R_OK) != 0) {
    throw InputError("File " + path + " could not be read");
  }
}

}  // namespace parmix::importer
