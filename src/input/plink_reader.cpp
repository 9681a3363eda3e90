#include "input/plink_reader.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <unordered_map>

#include "input/errors.hpp"

namespace parmix::importer {

namespace {

constexpr std::uint8_t kMagic[2] = {0x6c, 0x1b};
constexpr std::uint8_t kVariantMajor = 0x01;

std::vector<std::string> fieldsOf(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  for (std::string field; in >> field;) fields.push_back(field);
  return fields;
}

std::string at(const std::string& path, int line) {
  return path + ", line " + std::to_string(line) + ": ";
}

// At most 40 characters of a value for a message.
std::string shortened(const std::string& text) {
  return text.size() <= 40 ? text : text.substr(0, 40) + "...";
}

bool isNumber(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && errno == 0;
}

bool isWholeNumber(const std::string& text) {
  std::size_t start = text[0] == '-' ? 1 : 0;
  if (text.size() == start || text.size() > start + 18) return false;
  for (std::size_t i = start; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool isBase(const std::string& allele) {
  return allele.size() == 1 && std::strchr("ACGTacgt", allele[0]) != nullptr;
}

void checkFamFields(const std::string& path, int line, const std::vector<std::string>& f) {
  if (f.size() != 6) {
    throw InputError(at(path, line) + "expected 6 fields (FID, IID, father, mother, sex, "
                     "phenotype), found " + std::to_string(f.size()));
  }
  if (!isWholeNumber(f[4])) {
    throw InputError(at(path, line) + "the sex code \"" + shortened(f[4]) +
                     "\" is not a whole number (1 male, 2 female, 0 unknown)");
  }
  if (f[5] != "NA" && !isNumber(f[5])) {
    throw InputError(at(path, line) + "the phenotype \"" + shortened(f[5]) +
                     "\" is not a number");
  }
}

std::size_t countVariants(const std::string& bimPath) {
  LineReader in(bimPath, ".bim");
  std::size_t count = 0;
  for (std::string text; in.next(text);)
    if (text.find_first_not_of(" \t") != std::string::npos) ++count;
  return count;
}

}  // namespace

std::vector<FamSample> readFam(const std::string& path) {
  LineReader in(path, ".fam");
  std::vector<FamSample> samples;
  std::unordered_map<std::string, int> lineOf;
  for (std::string text; in.next(text);) {
    const std::vector<std::string> f = fieldsOf(text);
    if (f.empty()) continue;
    checkFamFields(path, in.line(), f);
    // A blank cannot stand in a field, so it keeps the pair apart.
    const auto [it, fresh] = lineOf.emplace(f[0] + " " + f[1], in.line());
    if (!fresh) {
      throw InputError(at(path, in.line()) + "the sample " + shortened(f[0]) + " " +
                       shortened(f[1]) + " (FID IID) is already on line " +
                       std::to_string(it->second));
    }
    samples.push_back({f[0], f[1], in.line()});
  }
  if (samples.empty()) throw InputError("File " + path + " holds no sample");
  return samples;
}

namespace {

enum class Form { Iid, FidIid };

std::string nameOf(const FamSample& sample, Form form) {
  return form == Form::Iid ? sample.individual : sample.family + "_" + sample.individual;
}

const char* formName(Form form) { return form == Form::Iid ? "IID" : "FID_IID"; }

std::unordered_map<std::string, int> linesByName(const std::vector<FamSample>& samples,
                                                 Form form) {
  std::unordered_map<std::string, int> lines;
  for (const FamSample& sample : samples) lines.emplace(nameOf(sample, form), sample.line);
  return lines;
}

// The first entry of MAP whose individual is not among NAMES, or null.
const MapEntry* firstUnknown(const PopulationMap& map,
                             const std::unordered_map<std::string, int>& names) {
  for (const MapEntry& entry : map.entries)
    if (names.count(entry.individual) == 0) return &entry;
  return nullptr;
}

void requireDistinct(const std::vector<FamSample>& samples, Form form, const PopulationMap& map,
                     const std::string& famPath) {
  std::unordered_map<std::string, int> lines;
  for (const FamSample& sample : samples) {
    const auto [it, fresh] = lines.emplace(nameOf(sample, form), sample.line);
    if (fresh) continue;
    throw InputError(map.source + " names the samples of " + famPath + " by " + formName(form) +
                     ", but lines " + std::to_string(it->second) + " and " +
                     std::to_string(sample.line) + " of " + famPath + " are both " +
                     shortened(it->first) + (form == Form::Iid ? ": name them FID_IID" : ""));
  }
}

}  // namespace

std::vector<std::string> samplesNamedAsMap(const std::vector<FamSample>& samples,
                                           const PopulationMap& map, const std::string& famPath) {
  const auto iids = linesByName(samples, Form::Iid);
  const auto pairs = linesByName(samples, Form::FidIid);
  const MapEntry* notIid = firstUnknown(map, iids);
  const MapEntry* notPair = firstUnknown(map, pairs);
  if (!map.entries.empty() && notIid == nullptr && notPair == nullptr) {
    throw InputError(map.source + " names individuals that are IIDs of " + famPath +
                     " and also FID_IIDs of it (" + shortened(map.entries[0].individual) +
                     "): rename the samples so that one form names them");
  }
  if (notIid != nullptr && notPair != nullptr) {
    for (const MapEntry& entry : map.entries) {
      if (iids.count(entry.individual) == 0 && pairs.count(entry.individual) == 0) {
        throw InputError(at(map.source, entry.line) + "individual " + entry.individual +
                         " is neither an IID nor a FID_IID of " + famPath);
      }
    }
    throw InputError(map.source + " names some individuals by IID (" +
                     shortened(notPair->individual) + ", line " + std::to_string(notPair->line) +
                     ") and others by FID_IID (" + shortened(notIid->individual) + ", line " +
                     std::to_string(notIid->line) + ") of " + famPath +
                     ": name them all one way");
  }
  const Form form = notIid == nullptr ? Form::Iid : Form::FidIid;
  requireDistinct(samples, form, map, famPath);
  std::vector<std::string> names;
  for (const FamSample& sample : samples) names.push_back(nameOf(sample, form));
  return names;
}

MappedFile::MappedFile(const std::string& path, std::uint64_t releaseStep)
    : releaseStep_(releaseStep) {
  requireReadableFile(path);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw InputError("File " + path + " could not be read");
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    throw InputError("File " + path + " is not a regular file; a .bed is read from one");
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
  if (size_ > 0) {
    void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      ::close(fd);
      throw InputError("File " + path + " could not be mapped into memory");
    }
    data_ = static_cast<std::uint8_t*>(map);
    ::madvise(map, size_, MADV_SEQUENTIAL);
  }
  ::close(fd);  // the map keeps the file
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(data_, size_);
}

void MappedFile::release(std::uint64_t offset) {
  const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  const std::uint64_t end = offset / page * page;
  if (data_ == nullptr || end < released_ + releaseStep_) return;
  ::madvise(data_ + released_, end - released_, MADV_DONTNEED);
  released_ = end;
}

std::vector<std::string> PlinkReader::filesOf(const std::string& prefix) {
  return {prefix + ".bed", prefix + ".bim", prefix + ".fam"};
}

PlinkReader::PlinkReader(const std::string& prefix)
    : bedPath_(prefix + ".bed"),
      bimPath_(prefix + ".bim"),
      famPath_(prefix + ".fam"),
      samples_(readFam(famPath_)),
      bed_(bedPath_),
      bim_(bimPath_, ".bim") {
  for (const FamSample& sample : samples_) names_.push_back(sample.individual);
  rowBytes_ = (samples_.size() + 3) / 4;
  requireBedShape(countVariants(bimPath_));
}

void PlinkReader::requireBedShape(std::size_t variants) const {
  const std::uint8_t* head = bed_.data();
  if (bed_.size() < 3 || head[0] != kMagic[0] || head[1] != kMagic[1]) {
    throw InputError("File " + bedPath_ + " is not a PLINK 1 .bed file (it does not start "
                     "with the bytes 6c 1b)");
  }
  if (head[2] != kVariantMajor) {
    throw InputError("File " + bedPath_ + " is in sample-major mode; only variant-major "
                     "(SNP-major) files are read: rewrite it with plink --make-bed");
  }
  const std::uint64_t expected = 3 + rowBytes_ * variants;
  if (bed_.size() != expected) {
    throw InputError("File " + bedPath_ + " holds " + std::to_string(bed_.size()) +
                     " bytes, but the " + std::to_string(samples_.size()) + " samples of " +
                     famPath_ + " and the " + std::to_string(variants) + " variants of " +
                     bimPath_ + " need " + std::to_string(expected) +
                     ": the three files do not belong together, or the .bed is truncated");
  }
}

void PlinkReader::nameSamplesAfter(const PopulationMap& map) {
  names_ = samplesNamedAsMap(samples_, map, famPath_);
}

bool PlinkReader::nextBimLine(std::string& text) {
  while (bim_.next(text))
    if (text.find_first_not_of(" \t") != std::string::npos) return true;
  return false;
}

namespace {

void checkBimFields(const std::string& place, const std::vector<std::string>& f) {
  if (f.size() != 6) {
    throw InputError(place + "expected 6 fields (chromosome, ID, cM, position, A1, A2), found " +
                     std::to_string(f.size()));
  }
  if (!isNumber(f[2])) {
    throw InputError(place + "the position in centimorgans \"" + shortened(f[2]) +
                     "\" is not a number");
  }
  if (!isWholeNumber(f[3])) {
    throw InputError(place + "the position \"" + shortened(f[3]) + "\" is not a whole number");
  }
  if (f[3][0] == '-') {
    throw InputError(place + "the position " + f[3] + " is negative (a variant PLINK leaves "
                     "out): remove it with plink --make-bed");
  }
}

}  // namespace

bool PlinkReader::next(Site& site) {
  const std::uint8_t* row = nextRow(site);
  if (row == nullptr) return false;
  decodeRow(site, row);
  return true;
}

const std::uint8_t* PlinkReader::nextRow(Site& site) {
  std::string text;
  if (!nextBimLine(text)) return nullptr;
  const std::string place = at(bimPath_, bim_.line());
  fields_ = fieldsOf(text);
  checkBimFields(place, fields_);
  site.label = fields_[0] + ":" + std::to_string(std::strtoll(fields_[3].c_str(), nullptr, 10));
  site.where = bimPath_ + ", line " + std::to_string(bim_.line()) + " (" + site.label + ")";
  const bool monomorphic = fields_[4] == "0";
  site.alleleCount = monomorphic ? 1 : 2;
  site.biallelicSnp = !monomorphic && isBase(fields_[4]) && isBase(fields_[5]);
  site.hasLikelihoods = false;
  // Only the pages wholly before this row go back, so the row stays
  // resident while its caller reads it.
  bed_.release(offset_);
  const std::uint8_t* row = bed_.data() + offset_;
  offset_ += rowBytes_;
  return row;
}

// Two bits a sample, the first sample in the lowest bits: 00 two A1,
// 01 missing, 10 one of each, 11 two A2.
void PlinkReader::decodeRow(Site& site, const std::uint8_t* row) const {
  static constexpr int kFirst[4] = {2, kMissingAllele, 1, 1};
  static constexpr int kSecond[4] = {2, kMissingAllele, 2, 1};
  const std::size_t n = samples_.size();
  site.alleles.resize(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned code = (row[i / 4] >> (2 * (i % 4))) & 3u;
    site.alleles[2 * i] = kFirst[code];
    site.alleles[2 * i + 1] = kSecond[code];
    if (site.alleleCount == 1 && (code == 0 || code == 2)) {
      throw InputError(site.where + ": sample " + names_[i] + " carries A1, which the .bim "
                       "gives as missing (\"0\")");
    }
  }
}

}  // namespace parmix::importer
