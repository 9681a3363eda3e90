#include "input/vcf_reader.hpp"

#include <htslib/bgzf.h>
#include <htslib/kseq.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

#include "input/errors.hpp"
#include "input/input_file.hpp"

namespace parmix::importer {

namespace {

bool isBase(const char* allele) {
  return std::strlen(allele) == 1 && std::strchr("ACGTacgt", allele[0]) != nullptr;
}

std::uint64_t fileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

// The number of alleles a sample's entry holds: a sample of lower ploidy
// than the record's largest ends early with the vector-end mark.
int ploidyOf(const int32_t* values, int width) {
  int ploidy = 0;
  while (ploidy < width && values[ploidy] != bcf_int32_vector_end) ++ploidy;
  return ploidy;
}

// True for a BGZF file (seekable, so not standard input) whose last block
// is bgzip's end-of-file block.  Checking seeks to the end and back.
bool hasEndBlock(htsFile* file) {
  return file->format.compression == bgzf && bgzf_check_EOF(file->fp.bgzf) == 1;
}

}  // namespace

VcfReader::VcfReader(const std::string& path, int threads) : path_(path), size_(fileSize(path)) {
  if (path != "-") requireReadableFile(path);  // "-" is standard input
  std::unique_ptr<hFILE, HFileCloser> raw(hopen(path.c_str(), "r"));
  if (!raw) throw InputError("File " + path + " could not be read");
  file_.reset(hts_hopen(raw.get(), path.c_str(), "r"));
  if (!file_) throw InputError("File " + path + " could not be read");
  raw_ = raw.release();
  if (hts_get_format(file_.get())->category != variant_data) {
    throw InputError("File " + path + " is not a VCF or BCF file");
  }
  // Before the header, as htslib asks: the pool then reads ahead from the
  // first block.  Only a whole BGZF file, its end block in place, takes
  // threads: reading ahead, the pool would find a cut file's fault before
  // the record that holds it, and it does not tell a missing end block.
  if (threads > 0 && hasEndBlock(file_.get()) && hts_set_threads(file_.get(), threads) != 0) {
    throw InputError("There is not enough memory to read " + path + " on " +
                     std::to_string(threads) + " more threads");
  }
  header_.reset(bcf_hdr_read(file_.get()));
  if (!header_) throw InputError("The header of " + path + " could not be read");
  const int count = bcf_hdr_nsamples(header_.get());
  if (count == 0) throw InputError("File " + path + " holds no samples");
  for (int i = 0; i < count; ++i) samples_.emplace_back(header_->samples[i]);
  record_.reset(bcf_init());
  if (!record_) throw InputError("There is not enough memory to read " + path);
  headerLines_ = header_->nhrec;
}

std::uint64_t VcfReader::bytesRead() const {
  const off_t position = htell(raw_);
  return position > 0 ? static_cast<std::uint64_t>(position) : 0;
}

std::string VcfReader::recordPlace() const {
  return path_ + ", record " + std::to_string(records_) + " (" + lastPlace_ + ")";
}

// A VCF text record is read as htslib's own reading does, with one step
// before it is parsed: a contig the header does not declare is declared
// (older and hand-made files often have no ##contig lines at all), where
// htslib would flag the record and warn once per contig.  A BCF file always
// declares its contigs.  0 for a record, -1 at the end, less on failure.
int VcfReader::readRecord() {
  if (hts_get_format(file_.get())->format != vcf) {
    return bcf_read(file_.get(), header_.get(), record_.get());
  }
  const int got = hts_getline(file_.get(), KS_SEP_LINE, &file_->line);
  if (got < 0) return got;
  declareContig(file_->line);
  return vcf_parse(&file_->line, header_.get(), record_.get()) == 0 ? 0 : -2;
}

void VcfReader::declareContig(const kstring_t& line) {
  const char* tab = static_cast<const char*>(std::memchr(line.s, '\t', line.l));
  if (tab == nullptr || tab == line.s) return;  // the parser tells what is wrong
  const std::string name(line.s, static_cast<std::size_t>(tab - line.s));
  if (bcf_hdr_name2id(header_.get(), name.c_str()) >= 0) return;
  const std::string declaration = "##contig=<ID=" + name + ">";
  // A name the header cannot take is left to the parser, which rejects it.
  if (bcf_hdr_append(header_.get(), declaration.c_str()) != 0 ||
      bcf_hdr_sync(header_.get()) != 0) {
    return;
  }
  undeclaredContigs_.push_back(name);
}

std::vector<std::string> VcfReader::warnings() const {
  std::vector<std::string> all = warnings_;
  if (!undeclaredContigs_.empty()) all.push_back(contigWarning());
  return all;
}

std::string VcfReader::contigWarning() const {
  constexpr std::size_t kNamed = 5;
  std::string names;
  for (std::size_t i = 0; i < undeclaredContigs_.size() && i < kNamed; ++i) {
    names += (i == 0 ? "" : ", ") + undeclaredContigs_[i];
  }
  if (undeclaredContigs_.size() > kNamed) {
    names += " and " + std::to_string(undeclaredContigs_.size() - kNamed) + " more";
  }
  return "the header of " + path_ + " declares no contig (##contig line) for " + names +
         "; each was declared as its first record named it, as bcftools does";
}

namespace {
std::string positionField(const kstring_t& line);
}  // namespace

bool VcfReader::next(Site& site) {
  const int status = readRecord();
  if (status == -1) {
    requireEndBlock();
    return false;
  }
  ++records_;
  // A key the header lacks is added to it by htslib, which marks the record
  // but reads it whole: bcftools reads such files, with a warning.
  const int tolerated = BCF_ERR_TAG_UNDEF;
  if (status < -1 || (record_->errcode & ~tolerated) != 0 ||
      bcf_unpack(record_.get(), BCF_UN_STR) != 0) {
    // Newer htslib refuses a position that is not a number itself; the
    // position's own message says more than "could not be read".
    if (file_->format.format == vcf && status == -2 && !positionField(file_->line).empty())
      requirePosition();
    refuseUnreadableRecord();
  }
  requireSampleCount();
  requirePosition();
  noteHeaderAdditions();
  lastPlace_ = std::string(bcf_seqname_safe(header_.get(), record_.get())) + ":" +
               std::to_string(record_->pos + 1);
  site.label = lastPlace_;
  site.where = recordPlace();
  site.alleleCount = record_->n_allele;
  site.biallelicSnp = record_->n_allele == 2 && isBase(record_->d.allele[0]) &&
                      isBase(record_->d.allele[1]);
  readGenotypes(site);
  readLikelihoods(site);
  return true;
}

void VcfReader::refuseUnreadableRecord() const {
  const std::string after = records_ > 1 ? ", after " + lastPlace_ : "";
  throw InputError(path_ + ", record " + std::to_string(records_) + after +
                   ": the record could not be read (the file is malformed or truncated)");
}

// bgzip ends every file with an empty block, and a bgzip file cut at a
// block boundary reads as a shorter whole file.  Its absence is refused,
// never only warned of: htslib's writers end blocks at record boundaries,
// so a cut file ends at a record boundary as a rule and nothing in the data
// can prove it complete.  A file without the block is recompressed whole
// with bgzip.  htslib notes the last block it read, also on a pipe.
void VcfReader::requireEndBlock() const {
  if (file_->format.compression != bgzf || file_->fp.bgzf->last_block_eof) return;
  const std::string after = records_ > 0 ? " after record " + std::to_string(records_) +
                                               " (" + lastPlace_ + ")"
                                         : " after its header";
  throw InputError(path_ + ": the compressed data end" + after +
                   " without bgzip's end-of-file block: the file is truncated");
}

// A BCF record carries its own sample count; one that holds fewer samples
// than the header names would leave the others' genotypes unread.
void VcfReader::requireSampleCount() const {
  if (record_->n_sample == samples_.size()) return;
  throw InputError(path_ + ", record " + std::to_string(records_) + ": the record holds " +
                   std::to_string(record_->n_sample) + " samples, the header names " +
                   std::to_string(samples_.size()));
}

namespace {

// The second tab-separated field of a VCF line as htslib leaves it after
// parsing (its tabs turned into NULs).
std::string positionField(const kstring_t& line) {
  const char* const text = line.s;
  const char* end = text + line.l;
  const char* start = std::find_if(text, end, [](char c) { return c == '\t' || c == '\0'; });
  if (start != end) ++start;
  const char* stop = std::find_if(start, end, [](char c) { return c == '\t' || c == '\0'; });
  return std::string(start, stop);
}

// A position is written in decimal digits only: htslib reads "12abc" as
// 12 and "abc", "-5" or " 100" as position 0 without a word.
bool isPositionText(const std::string& text) {
  return !text.empty() && text.size() <= 18 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// At most 40 characters of a value for a message.
std::string shortened(const std::string& text) {
  return text.size() <= 40 ? text : text.substr(0, 40) + "...";
}

}  // namespace

void VcfReader::requirePosition() const {
  const std::string place = path_ + ", record " + std::to_string(records_) + " (" +
                            bcf_seqname_safe(header_.get(), record_.get()) + ")";
  if (file_->format.format == vcf) {
    const std::string text = positionField(file_->line);
    if (!isPositionText(text)) {
      throw InputError(place + ": the position \"" + shortened(text) +
                       "\" is not a whole number of 0 or more");
    }
  } else if (record_->pos < -1) {
    throw InputError(place + ": the position " + std::to_string(record_->pos + 1) +
                     " is negative");
  }
}

// One warning for each kind of key the header lacked, at the first record
// that used one; htslib appends what it adds to the header's lines.
void VcfReader::noteHeaderAdditions() {
  static constexpr struct {
    int type;
    const char* name;
  } kKinds[] = {{BCF_HL_INFO, "INFO"}, {BCF_HL_FLT, "FILTER"}, {BCF_HL_FMT, "FORMAT"}};
  for (; headerLines_ < header_->nhrec; ++headerLines_) {
    const bcf_hrec_t* line = header_->hrec[headerLines_];
    for (const auto& kind : kKinds) {
      if (line->type != kind.type ||
          std::find(warnedKinds_.begin(), warnedKinds_.end(), kind.type) != warnedKinds_.end())
        continue;
      const int id = bcf_hrec_find_key(const_cast<bcf_hrec_t*>(line), "ID");
      const std::string key = id >= 0 ? line->vals[id] : "?";
      warnedKinds_.push_back(kind.type);
      warnings_.push_back(path_ + ", record " + std::to_string(records_) + ": the " + kind.name +
                          " key " + shortened(key) +
                          " is not defined in the header; read as bcftools reads it (and so "
                          "any other " + kind.name + " key the header lacks)");
    }
  }
}

void VcfReader::readLikelihoods(Site& site) {
  site.hasLikelihoods = false;
  if (likelihoodField_.empty()) return;
  const bool phred = likelihoodField_ == "PL";
  const int count = bcf_get_format_values(header_.get(), record_.get(), likelihoodField_.c_str(),
                                          &fieldValues_, &fieldCapacity_,
                                          phred ? BCF_HT_INT : BCF_HT_REAL);
  // A record without the field, or a file whose header does not define it:
  // the genotype calls serve.
  if (count == -3 || count == -1) return;
  if (count < 0 || count % static_cast<int>(samples_.size()) != 0) {
    throw InputError(recordPlace() + ": the genotype likelihoods (" + likelihoodField_ +
                     ") could not be read");
  }
  storeLikelihoods(site, count / static_cast<int>(samples_.size()));
}

// A sample's values are missing when any one the site needs is missing or
// ends early, or (GL) is not a number.
void VcfReader::storeLikelihoods(Site& site, int width) {
  const int needed = site.alleleCount * (site.alleleCount + 1) / 2;
  const bool phred = likelihoodField_ == "PL";
  site.hasLikelihoods = true;
  site.likelihoods.assign(samples_.size() * static_cast<std::size_t>(needed), 0.0);
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    double* out = site.likelihoods.data() + i * static_cast<std::size_t>(needed);
    bool missing = width < needed;
    for (int g = 0; g < needed && !missing; ++g) {
      const std::size_t at = i * static_cast<std::size_t>(width) + static_cast<std::size_t>(g);
      if (phred) {
        const int32_t v = static_cast<const int32_t*>(fieldValues_)[at];
        missing = v == bcf_int32_missing || v == bcf_int32_vector_end || v < 0;
        out[g] = v;
      } else {
        const float v = static_cast<const float*>(fieldValues_)[at];
        missing = bcf_float_is_missing(v) || bcf_float_is_vector_end(v) || v != v || v > 0.0f;
        out[g] = -10.0 * static_cast<double>(v);
      }
    }
    if (missing) out[0] = std::numeric_limits<double>::quiet_NaN();
  }
}

void VcfReader::readGenotypes(Site& site) {
  site.alleles.assign(2 * samples_.size(), kMissingAllele);
  const int count =
      bcf_get_genotypes(header_.get(), record_.get(), genotypes_.data(), genotypes_.capacity());
  if (count == -3) return;  // no GT at this record: every genotype is missing
  if (count < 0 || count % static_cast<int>(samples_.size()) != 0) {
    throw InputError(recordPlace() + ": the genotype calls (GT) could not be read");
  }
  const int width = count / static_cast<int>(samples_.size());
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    const int32_t* values = genotypes_.values() + i * static_cast<std::size_t>(width);
    storeSample(site, i, values, ploidyOf(values, width));
  }
}

void VcfReader::storeSample(Site& site, std::size_t sample, const int32_t* values, int ploidy) {
  // A lone '.' is how many pipelines write a missing diploid call.
  if (ploidy == 0 || (ploidy == 1 && bcf_gt_is_missing(values[0]))) return;
  if (ploidy != 2) {
    throw InputError(recordPlace() + ": sample " + samples_[sample] + " has ploidy " +
                     std::to_string(ploidy) + "; only diploid genotype calls can be imported");
  }
  for (int k = 0; k < 2; ++k) {
    if (bcf_gt_is_missing(values[k])) {
      site.alleles[2 * sample + static_cast<std::size_t>(k)] = kMissingAllele;
      continue;
    }
    const int allele = bcf_gt_allele(values[k]);
    if (allele < 0 || allele >= site.alleleCount) {
      throw InputError(recordPlace() + ": the genotype of sample " + samples_[sample] +
                       " names allele " + std::to_string(allele) + ", but the record has " +
                       std::to_string(site.alleleCount) + " alleles");
    }
    site.alleles[2 * sample + static_cast<std::size_t>(k)] = allele + 1;
  }
}

}  // namespace parmix::importer
