#ifndef PARMIX_INPUT_PLINK_READER_HPP
#define PARMIX_INPUT_PLINK_READER_HPP

// Sites of a PLINK 1 binary fileset (PREFIX.bed, PREFIX.bim, PREFIX.fam).
//
// The .bed is read in place through a read-only memory map, one variant
// row after another (SNP-major mode only), and the pages already read are
// handed back, so a genome-scale file costs no more memory than a window
// of it.  The .bim is streamed beside it and the .fam is read whole.
//
// Alleles are designated in the order the .bim gives them, as the VCF that
// `plink --keep-allele-order --recode vcf` writes from the same files would
// designate them: A2 is REF (allele 1), A1 the first ALT (allele 2); an A1
// of "0" leaves the site with REF alone.  (Without --keep-allele-order
// plink 1.9 first makes A1 the minor allele, which renumbers the alleles of
// some sites but leaves every estimate as it is.)  Sites are
// labelled CHROM:POS with the chromosome code as the .bim writes it.
// Every call is taken as diploid, as the .bed stores it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "input/input_file.hpp"
#include "input/population_map.hpp"
#include "input/site.hpp"

namespace parmix::importer {

// One line of a .fam: the family and individual IDs and where they stand.
struct FamSample {
  std::string family;
  std::string individual;
  int line = 0;
};

// The .fam lines of PATH.  Throws InputError naming the file and line for
// a line of other than six fields, a sex code or phenotype that is not a
// number, or a FID and IID pair given twice; also for a file with no line.
std::vector<FamSample> readFam(const std::string& path);

// The names the population map MAP gives the samples: their IIDs when
// every individual it names is an IID, or "FID_IID" (as `plink --recode
// vcf` names them) when every one is such a pair.  Throws InputError when
// the map fits both forms or neither, or when the form it uses names two
// samples alike.  FAM_PATH names the .fam in messages.
std::vector<std::string> samplesNamedAsMap(const std::vector<FamSample>& samples,
                                           const PopulationMap& map, const std::string& famPath);

// A read-only memory map of a whole file; the pages behind a point can be
// handed back to the system.
class MappedFile {
 public:
  // Pages read are handed back in steps of this many bytes by default:
  // small beside any .bed worth mapping (a step larger than the file would
  // leave all of it resident to the end), large enough that the calls cost
  // nothing beside the reading.
  static constexpr std::uint64_t kReleaseStep = std::uint64_t{4} << 20;

  // Throws InputError when PATH cannot be opened or mapped.  RELEASE_STEP
  // is the least span release() hands back at once.
  explicit MappedFile(const std::string& path, std::uint64_t releaseStep = kReleaseStep);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const std::uint8_t* data() const { return data_; }
  std::uint64_t size() const { return size_; }
  // Drops the resident pages wholly before OFFSET (they are not read again).
  void release(std::uint64_t offset);

 private:
  std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t released_ = 0;
  std::uint64_t releaseStep_;
};

class PlinkReader : public SiteSource {
 public:
  // Throws InputError naming the file (and line) for a missing or faulty
  // .fam or .bim, a .bed without PLINK's magic bytes, in sample-major mode,
  // or of another size than the .fam and .bim make it.
  explicit PlinkReader(const std::string& prefix);

  // The samples' IIDs until nameSamplesAfter chose the map's form.
  const std::vector<std::string>& sampleNames() const override { return names_; }
  // Names the samples as MAP does (see samplesNamedAsMap).
  void nameSamplesAfter(const PopulationMap& map) override;
  // Throws InputError naming the .bim line for a faulty line, or a call of
  // A1 where the .bim gives A1 as missing ("0").
  bool next(Site& site) override;
  // The next variant without its calls decoded: fills SITE's label, place
  // and alleles' description (not its calls) and returns the .bed row, two
  // bits a sample in .fam order (see decodeRow), readable while the reader
  // lives; null at the end.  Throws as next() does for a faulty
  // .bim line.
  const std::uint8_t* nextRow(Site& site);
  // The calls of ROW (from nextRow) into SITE.  Throws InputError naming
  // the .bim line for a call of A1 where the .bim gives A1 as missing.
  void decodeRow(Site& site, const std::uint8_t* row) const;
  std::size_t rowBytes() const { return static_cast<std::size_t>(rowBytes_); }
  std::uint64_t bytesRead() const override { return offset_; }
  std::uint64_t bytesTotal() const override { return bed_.size(); }

  // The three files of PREFIX.
  static std::vector<std::string> filesOf(const std::string& prefix);

 private:
  void requireBedShape(std::size_t variants) const;
  bool nextBimLine(std::string& text);

  std::string bedPath_, bimPath_, famPath_;
  std::vector<FamSample> samples_;
  std::vector<std::string> names_;
  MappedFile bed_;
  LineReader bim_;
  std::uint64_t rowBytes_ = 0;
  std::uint64_t offset_ = 3;  // past the magic bytes and the mode
  std::vector<std::string> fields_;
};

}  // namespace parmix::importer

#endif
