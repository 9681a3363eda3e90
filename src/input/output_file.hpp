#ifndef PARMIX_INPUT_OUTPUT_FILE_HPP
#define PARMIX_INPUT_OUTPUT_FILE_HPP

// The one writer of every output a run makes, and the rule that no output
// names an input.  What happens depends on what the path is:
//   - a regular file, or a path where nothing is yet: the text goes to a
//     temporary file beside it, which takes the path on commit() once it is
//     whole (written, synced and closed), so a failed run leaves the earlier
//     file as it was and no temporary file behind;
//   - a symbolic link (or a chain of them): its final target is written the
//     same way, and the link stays a link;
//   - a device, a FIFO or a socket (/dev/null, /dev/stdout, a named pipe),
//     or any file reached through a descriptor of the process
//     (/dev/stdout, /proc/self/fd/N): written straight through, in order
//     (after what is there, for a regular file); it is never replaced, and
//     a write that fails there fails the run;
//   - a folder: refused.
// Reading and writing only: no numbers are made here.

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "input/file_error.hpp"

namespace parmix {

// A path a run reads or writes with the words that name its part in
// messages: {"table file", "out.tsv"}, {"population map", "pop.txt"}.
struct NamedPath {
  std::string role;
  std::string path;
};

// Throws InputError, naming both, when an output is one of the inputs or
// another output: the same file after following links (same device and
// inode), or, for paths where nothing is yet, the same place.  Empty paths
// and "-" (a standard stream) are left out, and so are devices, FIFOs and
// sockets, which are not destroyed by being written.
void refuseOutputClashes(const std::vector<NamedPath>& outputs,
                         const std::vector<NamedPath>& inputs);

enum class OutputKind { kWhole, kStream, kFolder };

// What writing to PATH means, after following links.
OutputKind outputKind(const std::string& path);

class OutputFile {
 public:
  // Opens the output PATH (the temporary file beside it, or the device or
  // pipe itself; opening a FIFO waits for its reader).  ROLE names the file
  // in messages ("The table file out.tsv could not be ...").  Throws
  // InputError when PATH is a folder or cannot be opened for writing.
  explicit OutputFile(std::string path, std::string role = "output file");
  // Removes the temporary file unless committed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Failures are remembered and thrown by commit().
  void write(std::string_view text);
  // Writes what is buffered and hands out the open descriptor, for a writer
  // that writes on its own (htslib's BGZF, on a dup() of it).  The
  // descriptor stays this object's.
  int descriptor();
  // Writes the rest, syncs and closes; a whole file then takes its path.
  // Throws InputError, with the reason, when any of it failed.
  void commit();
  const std::string& path() const { return path_; }

 private:
  void flush();
  [[noreturn]] void fail(const char* what, int error);

  std::string path_;
  std::string role_;
  std::string target_;     // the file the rename replaces
  std::string temporary_;  // empty when written straight through
  std::string buffer_;
  int descriptor_ = -1;
  int error_ = 0;  // errno of the first failed write
  bool committed_ = false;
};

// A stream onto an OutputFile, in the classic locale, for a text too large
// to be held whole before it is written (the clines of a genome's loci):
// what is put into it goes to the file's own buffer as it comes.  Nothing
// is written that the file would not write; commit() the file as ever.
class OutputStream : public std::ostream {
 public:
  explicit OutputStream(OutputFile& file);

 private:
  class Forward : public std::streambuf {
   public:
    explicit Forward(OutputFile& file) : file_(file) {}

   protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int_type overflow(int_type c) override;

   private:
    OutputFile& file_;
  };
  Forward forward_;
};

}  // namespace parmix

#endif
