#include "input/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <locale>
#include <random>
#include <system_error>
#include <utility>

namespace parmix {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
constexpr int kMostLinks = 40;  // as the kernel's own limit on a chain
constexpr int kNameAttempts = 100;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string tailOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string linkText(const std::string& path) {
  std::string text(PATH_MAX, '\0');
  const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= text.size()) return std::string();
  text.resize(static_cast<std::size_t>(n));
  return text;
}

// The path a chain of symbolic links ends at: PATH itself when it is no
// link; empty when the chain loops or cannot be read.
std::string followLinks(std::string path) {
  for (int hops = 0; hops <= kMostLinks; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    const std::string text = linkText(path);
    if (text.empty()) return std::string();
    path = text[0] == '/' ? text : folderOf(path) + "/" + text;
  }
  return std::string();
}

// True when a link on the way from PATH names an open descriptor
// (/dev/stdout is /proc/self/fd/1): that is a stream of the process, even
// where it leads to a regular file, which must not be replaced under it.
bool throughDescriptor(std::string path) {
  for (int hops = 0; hops <= kMostLinks; ++hops) {
    if (path.rfind("/proc/", 0) == 0 || path.rfind("/dev/fd/", 0) == 0) return true;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    const std::string text = linkText(path);
    if (text.empty()) return false;
    path = text[0] == '/' ? text : folderOf(path) + "/" + text;
  }
  return false;
}

// Where a path that names nothing yet would be made: its folder resolved,
// so that two spellings of one place compare equal.
std::string placeOf(const std::string& path) {
  if (path.empty()) return path;
  char* folder = ::realpath(folderOf(path).c_str(), nullptr);
  if (folder == nullptr) return path;
  std::string place = std::string(folder) + "/" + tailOf(path);
  std::free(folder);
  return place;
}

// What a path is when outputs and inputs are compared.
struct Identity {
  bool compared = false;  // a regular file, or a path where nothing is yet
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::string place;
};

Identity identityOf(const std::string& path) {
  Identity id;
  if (path.empty() || path == "-") return id;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    id.compared = S_ISREG(st.st_mode);
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    return id;
  }
  id.place = placeOf(followLinks(path));
  id.compared = !id.place.empty();
  return id;
}

bool sameFile(const Identity& a, const Identity& b) {
  if (!a.compared || !b.compared || a.exists != b.exists) return false;
  return a.exists ? a.device == b.device && a.inode == b.inode : a.place == b.place;
}

[[noreturn]] void refuseClash(const NamedPath& output, const NamedPath& other) {
  throw InputError("The " + output.role + " " + output.path + " is the " + other.role + " " +
                   other.path + "; give it another name.");
}

std::string reason(int error) { return std::system_category().message(error); }

// A name beside TARGET that no other writer (another thread, interpreter or
// process) is using, created and opened: {descriptor, name}; -1 on failure.
std::pair<int, std::string> createTemporary(const std::string& target) {
  std::random_device random;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = target + "." + std::to_string(::getpid()) + "-" +
                       std::to_string(random()) + ".part";
    // The mode is that of any new file: the umask applies.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return {fd, std::move(name)};
    if (errno != EEXIST) break;
  }
  return {-1, std::string()};
}

}  // namespace

void refuseOutputClashes(const std::vector<NamedPath>& outputs,
                         const std::vector<NamedPath>& inputs) {
  std::vector<Identity> seen;
  for (const NamedPath& output : outputs) {
    const Identity id = identityOf(output.path);
    for (const NamedPath& input : inputs)
      if (sameFile(id, identityOf(input.path))) refuseClash(output, input);
    for (std::size_t k = 0; k < seen.size(); ++k)
      if (sameFile(id, seen[k])) refuseClash(output, outputs[k]);
    seen.push_back(id);
  }
}

OutputKind outputKind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return OutputKind::kWhole;
  if (S_ISREG(st.st_mode)) return throughDescriptor(path) ? OutputKind::kStream : OutputKind::kWhole;
  return S_ISDIR(st.st_mode) ? OutputKind::kFolder : OutputKind::kStream;
}

OutputFile::OutputFile(std::string path, std::string role)
    : path_(std::move(path)), role_(std::move(role)) {
  struct stat st {};
  const bool exists = ::stat(path_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode))
    throw InputError("The " + role_ + " " + path_ + " is a folder; give the name of a file.");
  if (exists && (!S_ISREG(st.st_mode) || throughDescriptor(path_))) {
    // A regular file behind a descriptor is written after what the
    // process has written there already.
    const int append = S_ISREG(st.st_mode) ? O_APPEND : 0;
    descriptor_ = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | append);
    if (descriptor_ < 0) fail("opened for writing", errno);
    return;
  }
  target_ = followLinks(path_);
  if (target_.empty()) fail("opened for writing", ELOOP);
  auto [fd, name] = createTemporary(target_);
  if (fd < 0) fail("opened for writing", errno);
  descriptor_ = fd;
  temporary_ = std::move(name);
  // A file replaced keeps its permissions: a shared file stays shared.
  if (exists) ::fchmod(descriptor_, st.st_mode & 07777);
}

OutputFile::~OutputFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void OutputFile::write(std::string_view text) {
  if (error_ != 0) return;
  buffer_.append(text.data(), text.size());
  if (buffer_.size() >= kBufferBytes) flush();
}

void OutputFile::flush() {
  std::size_t done = 0;
  while (error_ == 0 && done < buffer_.size()) {
    const ssize_t n = ::write(descriptor_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno != EINTR) error_ = errno;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

int OutputFile::descriptor() {
  flush();
  return descriptor_;
}

void OutputFile::commit() {
  flush();
  const bool whole = !temporary_.empty();
  if (error_ == 0 && whole && ::fsync(descriptor_) != 0) error_ = errno;
  const int closed = ::close(descriptor_);
  descriptor_ = -1;
  if (error_ == 0 && closed != 0 && errno != EINTR) error_ = errno;
  if (error_ == 0 && whole && std::rename(temporary_.c_str(), target_.c_str()) != 0)
    error_ = errno;
  if (error_ != 0) fail("written completely", error_);
  committed_ = true;
}

void OutputFile::fail(const char* what, int error) {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  throw InputError("The " + role_ + " " + path_ + " could not be " + what + ": " +
                   reason(error) + ".");
}

OutputStream::OutputStream(OutputFile& file) : std::ostream(nullptr), forward_(file) {
  rdbuf(&forward_);
  imbue(std::locale::classic());
}

std::streamsize OutputStream::Forward::xsputn(const char* text, std::streamsize count) {
  file_.write(std::string_view(text, static_cast<std::size_t>(count)));
  return count;
}

OutputStream::Forward::int_type OutputStream::Forward::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char one = traits_type::to_char_type(c);
  file_.write(std::string_view(&one, 1));
  return c;
}

}  // namespace parmix
