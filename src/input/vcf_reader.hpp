#ifndef PARMIX_IMPORT_VCF_READER_HPP
#define PARMIX_IMPORT_VCF_READER_HPP

// Sites of a VCF or BCF file, plain or compressed, read through htslib.
// Only the genotype calls (GT) are read; alleles are numbered in the order
// the record lists them, REF as 1.

#include <htslib/hfile.h>
#include <htslib/hts.h>
#include <htslib/vcf.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "input/site.hpp"

namespace parmix::importer {

struct HtsFileCloser {
  void operator()(htsFile* file) const { hts_close(file); }
};
struct HFileCloser {
  void operator()(hFILE* file) const { hclose_abruptly(file); }
};
struct HeaderDestroyer {
  void operator()(bcf_hdr_t* header) const { bcf_hdr_destroy(header); }
};
struct RecordDestroyer {
  void operator()(bcf1_t* record) const { bcf_destroy(record); }
};

// The genotype array that bcf_get_genotypes grows with realloc.
class GenotypeBuffer {
 public:
  GenotypeBuffer() = default;
  ~GenotypeBuffer() { std::free(data_); }
  GenotypeBuffer(const GenotypeBuffer&) = delete;
  GenotypeBuffer& operator=(const GenotypeBuffer&) = delete;
  int32_t** data() { return &data_; }
  int* capacity() { return &capacity_; }
  const int32_t* values() const { return data_; }

 private:
  int32_t* data_ = nullptr;
  int capacity_ = 0;
};

class VcfReader : public SiteSource {
 public:
  // Throws InputError when the file cannot be read, is not VCF/BCF, has
  // no readable header or no samples.  A BGZF-compressed file (bgzipped
  // VCF, BCF) is decompressed on THREADS threads of htslib's own beside
  // the caller's, which then only parses; the sites are the same either
  // way.  0 decompresses on the caller's thread.
  explicit VcfReader(const std::string& path, int threads = 0);
  ~VcfReader() override { std::free(fieldValues_); }
  VcfReader(const VcfReader&) = delete;
  VcfReader& operator=(const VcfReader&) = delete;

  const std::vector<std::string>& sampleNames() const override { return samples_; }
  // Throws InputError, naming the record, for a record that cannot be read,
  // a ploidy other than 2 or an allele the record does not have.
  bool next(Site& site) override;
  std::uint64_t bytesRead() const override;
  std::uint64_t bytesTotal() const override { return size_; }
  // Also read genotype likelihoods from FIELD ("PL" or "GL") into each
  // site; a record without the field has none.
  void readLikelihoodField(const std::string& field) { likelihoodField_ = field; }
  // What the reader let pass that a user should hear of: INFO, FILTER or
  // FORMAT keys that records use but the header does not define (read as
  // bcftools reads them, as htslib adds them to the header), one line for
  // each kind, naming the first such key and its record; and one line
  // naming the contigs the header did not declare.
  std::vector<std::string> warnings() const override;
  // The contigs that records named but the header did not declare, in the
  // order met: each was added to the header as its first record was read,
  // as bcftools does.
  const std::vector<std::string>& undeclaredContigs() const { return undeclaredContigs_; }

 private:
  int readRecord();
  void declareContig(const kstring_t& line);
  std::string contigWarning() const;
  std::string recordPlace() const;
  void refuseUnreadableRecord() const;
  void requireEndBlock() const;
  void requireSampleCount() const;
  void requirePosition() const;
  void noteHeaderAdditions();
  void readGenotypes(Site& site);
  void readLikelihoods(Site& site);
  void storeLikelihoods(Site& site, int width);
  void storeSample(Site& site, std::size_t sample, const int32_t* values, int ploidy);

  std::string path_;
  hFILE* raw_ = nullptr;  // owned by file_; read for the progress only
  std::unique_ptr<htsFile, HtsFileCloser> file_;
  std::unique_ptr<bcf_hdr_t, HeaderDestroyer> header_;
  std::unique_ptr<bcf1_t, RecordDestroyer> record_;
  GenotypeBuffer genotypes_;
  std::string likelihoodField_;
  void* fieldValues_ = nullptr;  // grown by bcf_get_format_values with realloc
  int fieldCapacity_ = 0;
  std::vector<std::string> samples_;
  std::vector<std::string> undeclaredContigs_;
  std::uint64_t size_ = 0;
  std::size_t records_ = 0;
  std::string lastPlace_;
  int headerLines_ = 0;  // header lines known so far (htslib may add some)
  std::vector<int> warnedKinds_;
  std::vector<std::string> warnings_;
};

}  // namespace parmix::importer

#endif
