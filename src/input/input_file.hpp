#ifndef PARMIX_IMPORT_INPUT_FILE_HPP
#define PARMIX_IMPORT_INPUT_FILE_HPP

#include <string>

namespace parmix::importer {

// Throws InputError ("File ... could not be read") unless PATH names a file
// that is not a folder: a folder opens as a stream on some systems and would
// read as an empty file.
void requireReadableFile(const std::string& path);

}  // namespace parmix::importer

#endif
