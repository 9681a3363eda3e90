#include "input/panel_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <locale>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "input/allele_counts.hpp"
#include "input/errors.hpp"
#include "input/input_file.hpp"
#include "input/plink_reader.hpp"
#include "input/vcf_reader.hpp"
#include "input/writers.hpp"
#include "validate/parental_checks.hpp"

namespace parmix::genome {

using importer::InputError;

namespace {

// The numbers of a parental record, read as the parental file's reader
// reads them (stream extraction in the classic locale).
void readBackFrequencies(const std::string& record, std::size_t alleles, std::vector<double>& r,
                         std::vector<double>& s) {
  std::istringstream in(record.substr(record.find(" # C ") + 5));
  in.imbue(std::locale::classic());
  r.resize(alleles);
  s.resize(alleles);
  for (double& value : r) in >> value;
  for (double& value : s) in >> value;
}

// Frequencies of the kept loci, one ragged row each, until the widest is
// known and the tables can be made.
struct RaggedFrequencies {
  std::vector<double> r, s;
  std::vector<std::size_t> start{0};
  int widest = 0;

  void add(const std::vector<double>& rowR, const std::vector<double>& rowS) {
    r.insert(r.end(), rowR.begin(), rowR.end());
    s.insert(s.end(), rowS.begin(), rowS.end());
    start.push_back(r.size());
    widest = std::max(widest, static_cast<int>(rowR.size()));
  }
  std::size_t loci() const { return start.size() - 1; }
};

void fillTables(const RaggedFrequencies& ragged, Panel& panel) {
  const int loci = static_cast<int>(ragged.loci());
  panel.maxAlleles = ragged.widest;
  panel.freqR = RowTable<double>(loci, ragged.widest, 0.0);
  panel.freqS = RowTable<double>(loci, ragged.widest, 0.0);
  for (int i = 0; i < loci; ++i) {
    for (std::size_t k = ragged.start[i]; k < ragged.start[i + 1]; ++k) {
      panel.freqR.rows()[i][k - ragged.start[i]] = ragged.r[k];
      panel.freqS.rows()[i][k - ragged.start[i]] = ragged.s[k];
    }
  }
  panel.locusType.assign(static_cast<std::size_t>(loci), 'C');
  panel.locusUsed.assign(static_cast<std::size_t>(loci), 1);
}

// A list without a name would study nobody: refused rather than run into
// an empty report.
std::vector<std::string> readSampleList(const std::string& path) {
  importer::LineReader in(path, "sample list");
  std::vector<std::string> names;
  std::string line;
  while (in.next(line)) {
    std::istringstream words(line);
    std::string name, extra;
    if (!(words >> name) || name[0] == '#') continue;
    if (words >> extra) {
      throw InputError(path + ", line " + std::to_string(in.line()) +
                       ": a line of the sample list holds one name only");
    }
    names.push_back(name);
  }
  if (names.empty()) throw InputError("The sample list " + path + " names nobody to study");
  return names;
}

std::vector<std::size_t> listed(const std::vector<std::string>& names, const std::string& path) {
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t j = 0; j < names.size(); ++j) index.emplace(names[j], j);
  std::vector<bool> chosen(names.size(), false);
  for (const std::string& name : readSampleList(path)) {
    const auto found = index.find(name);
    if (found == index.end()) {
      throw InputError("The sample list " + path + " names " + name +
                       ", who is not among the individuals to study");
    }
    chosen[found->second] = true;
  }
  std::vector<std::size_t> kept;
  for (std::size_t j = 0; j < names.size(); ++j)
    if (chosen[j]) kept.push_back(j);
  return kept;
}

}  // namespace

std::pair<std::size_t, std::size_t> shardRange(const Selection& selection, std::size_t total) {
  if (selection.shardCount <= 0) return {0, total};
  // Consecutive parts, so the shards' rows in shard order are a whole
  // run's rows.
  const std::size_t k = static_cast<std::size_t>(selection.shardIndex);
  const std::size_t parts = static_cast<std::size_t>(selection.shardCount);
  return {(k - 1) * total / parts, k * total / parts};
}

std::string shardNote(const Selection& selection, std::size_t total) {
  if (selection.shardCount <= 0) return "";
  const auto [first, last] = shardRange(selection, total);
  return "Shard " + std::to_string(selection.shardIndex) + " of " +
         std::to_string(selection.shardCount) + ": " + std::to_string(last - first) + " of " +
         std::to_string(total) + " study individuals, after the first " + std::to_string(first) +
         ".\n\n";
}

std::vector<std::size_t> selectIndividuals(const std::vector<std::string>& names,
                                           const Selection& selection) {
  if (!selection.samplesFile.empty()) return listed(names, selection.samplesFile);
  const auto [first, last] = shardRange(selection, names.size());
  std::vector<std::size_t> kept;
  for (std::size_t j = first; j < last; ++j) kept.push_back(j);
  return kept;
}

namespace {

// PLINK's two-bit calls, the first sample in the lowest bits: 00 two A1,
// 01 missing, 10 one of each, 11 two A2; A2 is allele 1, A1 allele 2 (as
// the PLINK reader designates them).
constexpr int kPlinkMissing = 1;
constexpr int kPlinkFirst[4] = {2, importer::kMissingAllele, 1, 1};
constexpr int kPlinkSecond[4] = {2, importer::kMissingAllele, 2, 1};
// The store's code of each PLINK code.
constexpr std::uint8_t kStoreCode[4] = {CompactGenotypes::kHomozygote2,
                                        CompactGenotypes::kMissingCode,
                                        CompactGenotypes::kHeterozygote,
                                        CompactGenotypes::kHomozygote1};

// The bits set in WORD, which has them at even places only (one for each
// two-bit code marked).
std::size_t evenBitsSet(std::uint64_t word) {
  word = (word & 0x3333333333333333u) + ((word >> 2) & 0x3333333333333333u);
  word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<std::size_t>((word * 0x0101010101010101u) >> 56);
}

int codeOfSample(const std::uint8_t* row, std::size_t sample) {
  return (row[sample / 4] >> (2 * (sample % 4))) & 3;
}

// A .bed row read without a site record: the missing calls among the
// samples used counted a byte (or eight) at a time, the reference samples
// decoded into a small site of their own for the filters, and the selected
// study individuals' codes translated four at a time into the store's
// form when they stand together in the .fam (one at a time otherwise).
//
// The row path takes a biallelic row whose two alleles both occur among
// the reference samples; the generic path takes the rest (a site of A1
// "0", whose calls of A1 are refused with the .bim line, and a site with
// an allele absent from both references, which only the study individuals'
// calls can judge), and every site of a run with corrections.
class RowView {
 public:
  RowView(const importer::Options& options, const Panel& panel,
          const std::vector<std::size_t>& used, std::size_t samples)
      : rowBytes_((samples + 3) / 4),
        usedMask_(rowBytes_, 0),
        context_{options.filters, options.pseudoCount, referenceRoles_, noneUsed_} {
    for (std::size_t sample : used)
      if (sample < samples) usedMask_[sample / 4] |= static_cast<std::uint8_t>(1u << (2 * (sample % 4)));
    references_ = panel.roles.r;
    references_.insert(references_.end(), panel.roles.s.begin(), panel.roles.s.end());
    for (std::size_t k = 0; k < references_.size(); ++k)
      (k < panel.roles.r.size() ? referenceRoles_.r : referenceRoles_.s).push_back(k);
    reference_.alleles.resize(2 * references_.size());
    for (std::size_t k : panel.selected) study_.push_back(panel.roles.study[k]);
    contiguous_ = !study_.empty();
    for (std::size_t k = 1; k < study_.size(); ++k)
      contiguous_ = contiguous_ && study_[k] == study_[k - 1] + 1;
    codes_.resize((study_.size() + 3) / 4);
    for (unsigned byte = 0; byte < 256; ++byte) {
      unsigned out = 0;
      for (unsigned k = 0; k < 4; ++k) out |= unsigned{kStoreCode[(byte >> (2 * k)) & 3u]} << (2 * k);
      table_[byte] = static_cast<std::uint8_t>(out);
    }
  }
  RowView(const RowView&) = delete;
  RowView& operator=(const RowView&) = delete;

  // Decodes the reference samples of ROW; true when the row path takes it.
  bool takes(const importer::Site& head, const std::uint8_t* row) {
    if (head.alleleCount != 2) return false;
    bool seen[3] = {false, false, false};
    for (std::size_t k = 0; k < references_.size(); ++k) {
      const int code = codeOfSample(row, references_[k]);
      reference_.alleles[2 * k] = kPlinkFirst[code];
      reference_.alleles[2 * k + 1] = kPlinkSecond[code];
      seen[kPlinkFirst[code]] = true;
      seen[kPlinkSecond[code]] = true;
    }
    return seen[1] && seen[2];
  }

  // The reference samples of the row last given to takes(), as a site.
  const importer::Site& references(const importer::Site& head) {
    reference_.alleleCount = head.alleleCount;
    reference_.biallelicSnp = head.biallelicSnp;
    return reference_;
  }
  // The filters' context for references(): R and S, nobody studied.
  const importer::FilterContext& referenceContext() const { return context_; }

  // Missing calls among the samples used.  A missing call is 01: its low
  // bit set and its high bit clear.
  std::size_t missingUsed(const std::uint8_t* row) const {
    std::size_t missing = 0, i = 0;
    for (; i + 8 <= rowBytes_; i += 8) {
      std::uint64_t codes, mask;
      std::memcpy(&codes, row + i, 8);
      std::memcpy(&mask, usedMask_.data() + i, 8);
      missing += evenBitsSet(codes & ~(codes >> 1) & mask);
    }
    for (; i < rowBytes_; ++i) {
      const unsigned codes = row[i];
      missing += evenBitsSet(codes & ~(codes >> 1) & usedMask_[i]);
    }
    return missing;
  }

  // The selected study individuals' codes in the store's form.
  const std::uint8_t* studyCodes(const std::uint8_t* row) {
    if (contiguous_) {
      translateRun(row);
    } else {
      std::fill(codes_.begin(), codes_.end(), std::uint8_t{0});
      for (std::size_t k = 0; k < study_.size(); ++k) {
        const unsigned code = kStoreCode[codeOfSample(row, study_[k])];
        codes_[k / 4] = static_cast<std::uint8_t>(codes_[k / 4] | (code << (2 * (k % 4))));
      }
    }
    return codes_.data();
  }

 private:
  // Four calls a byte from the run's first sample on, however the run
  // stands against the row's bytes; the bits past its end cleared.
  void translateRun(const std::uint8_t* row) {
    const std::size_t start = study_.front() / 4;
    const unsigned shift = 2 * (study_.front() % 4);
    for (std::size_t i = 0; i < codes_.size(); ++i) {
      unsigned bits = row[start + i] >> shift;
      if (shift != 0 && start + i + 1 < rowBytes_) bits |= unsigned{row[start + i + 1]} << (8 - shift);
      codes_[i] = table_[bits & 0xffu];
    }
    const std::size_t tail = study_.size() % 4;
    if (tail != 0) codes_.back() = static_cast<std::uint8_t>(codes_.back() & ((1u << (2 * tail)) - 1));
  }

  std::size_t rowBytes_;
  std::vector<std::uint8_t> usedMask_;  // 01 at each sample used
  std::vector<std::size_t> references_;  // R's samples, then S's
  importer::SampleRoles referenceRoles_;
  std::vector<std::size_t> noneUsed_;
  importer::FilterContext context_;
  importer::Site reference_;
  std::vector<std::size_t> study_;  // the selected, as samples of the row
  bool contiguous_ = false;
  std::vector<std::uint8_t> codes_;
  std::uint8_t table_[256] = {};
};

// Everything the site loop needs besides the site.
class PanelBuilder {
 public:
  PanelBuilder(const importer::Options& options, const Corrections& corrections, Panel& panel,
               std::size_t samples, bool keepLabels)
      : panel_(panel),
        corrections_(corrections),
        keepLabels_(keepLabels),
        used_(importer::usedSamples(panel.roles)),
        context_{options.filters, options.pseudoCount, panel.roles, used_},
        pairs_(2 * panel.selected.size()),
        rows_(options, panel, used_, samples) {}

  void add(const importer::Site& site) {
    ++panel_.sites;
    const importer::Verdict verdict = importer::judgeSite(site, context_);
    panel_.tally.add(verdict);
    if (!verdict.kept) return;
    if (site.alleleCount > CompactGenotypes::kMaxAllele) {
      throw InputError(site.where + ": the site has " + std::to_string(site.alleleCount) +
                       " alleles; at most " + std::to_string(CompactGenotypes::kMaxAllele) +
                       " can be studied");
    }
    const std::string record =
        importer::parentalRecord(site.label, verdict.frequenciesR, verdict.frequenciesS);
    readBackFrequencies(record, verdict.frequenciesR.size(), rowR_, rowS_);
    if (corrections_.any()) addCorrectedParts(site);
    noteAbsentAlleles(site);
    noteAlikeSite(site);
    frequencies_.add(rowR_, rowS_);
    storeGenotypes(site);
    if (keepLabels_) panel_.locusLabels.push_back(site.label);
  }

  // Adds a biallelic PLINK row straight from its two-bit codes (ROW, of
  // the reader's samples in .fam order), HEAD carrying the site's label,
  // place and alleles without calls.  False, with nothing counted, for a
  // row the generic path must take (see RowView::takes).
  bool addRow(const importer::Site& head, const std::uint8_t* row) {
    if (!rows_.takes(head, row) || corrections_.any()) return false;
    ++panel_.sites;
    const importer::Verdict verdict = judgeRow(head, row);
    panel_.tally.add(verdict);
    if (!verdict.kept) return true;
    const std::string record =
        importer::parentalRecord(head.label, verdict.frequenciesR, verdict.frequenciesS);
    readBackFrequencies(record, verdict.frequenciesR.size(), rowR_, rowS_);
    noteAbsentAllelesOfRow(row);
    noteAlikeSite(head);
    frequencies_.add(rowR_, rowS_);
    panel_.genotypes.appendPackedCodes(rows_.studyCodes(row));
    if (keepLabels_) panel_.locusLabels.push_back(head.label);
    return true;
  }

  void finish() { fillTables(frequencies_, panel_); }
  // True once a kept site gave a study individual likelihoods (of every
  // study individual, so that the shards of a run agree).
  bool likelihoodsUsed() const { return likelihoodsUsed_; }

 private:
  void addCorrectedParts(const importer::Site& site) {
    panel_.siteGenotypes.push_back(referenceSite(site, panel_.roles, corrections_,
                                         context_.pseudoCount, rowR_, rowS_));
    if (corrections_.likelihoodField.empty()) return;
    if (!site.hasLikelihoods) {
      panel_.likelihoods.appendCalledLocus();
      return;
    }
    const std::size_t g = static_cast<std::size_t>(genotypeCount(site.alleleCount));
    noteLikelihoodsUsed(site, g);
    phred_.resize(g * panel_.selected.size());
    for (std::size_t k = 0; k < panel_.selected.size(); ++k) {
      const std::size_t sample = panel_.roles.study[panel_.selected[k]];
      std::copy_n(site.likelihoods.data() + sample * g, g, phred_.data() + k * g);
    }
    panel_.likelihoods.appendLocus(static_cast<int>(g), phred_.data());
  }

  void noteLikelihoodsUsed(const importer::Site& site, std::size_t genotypes) {
    for (std::size_t sample : panel_.roles.study) {
      if (likelihoodsUsed_) return;
      likelihoodsUsed_ = !std::isnan(site.likelihoods[sample * genotypes]);
    }
  }

  // A genotype with one allele missing is missing, as the individual file
  // writes it (NA/NA).
  void storeGenotypes(const importer::Site& site) {
    for (std::size_t k = 0; k < panel_.selected.size(); ++k) {
      const std::size_t sample = panel_.roles.study[panel_.selected[k]];
      const int a = site.alleles[2 * sample], b = site.alleles[2 * sample + 1];
      const bool missing = a == importer::kMissingAllele || b == importer::kMissingAllele;
      pairs_[2 * k] = static_cast<std::uint8_t>(missing ? 0 : a);
      pairs_[2 * k + 1] = static_cast<std::uint8_t>(missing ? 0 : b);
    }
    panel_.genotypes.appendLocus(pairs_.data());
  }

  // The filters in their order, as judgeSite applies them to the whole
  // site: the missing share from the codes, the rest from the reference
  // samples alone (the row path leaves no allele absent from both).
  importer::Verdict judgeRow(const importer::Site& head, const std::uint8_t* row) {
    const importer::Filters& filters = context_.filters;
    const bool notSnp = filters.biallelicSnpsOnly && !head.biallelicSnp;
    if (!notSnp && !used_.empty()) {
      const double share = static_cast<double>(rows_.missingUsed(row)) /
                           static_cast<double>(used_.size());
      if (share > filters.maxMissingShare) {
        importer::Verdict verdict;
        verdict.reason = importer::DropReason::TooMuchMissing;
        return verdict;
      }
    }
    return importer::judgeSite(rows_.references(head), rows_.referenceContext());
  }

  // noteAbsentAlleles from the codes; only a frequency of 0 in both
  // tables sends it through the study individuals.
  void noteAbsentAllelesOfRow(const std::uint8_t* row) {
    bool anyAbsent = false;
    for (std::size_t k = 0; k < rowR_.size(); ++k)
      anyAbsent = anyAbsent || (rowR_[k] <= 0.0 && rowS_[k] <= 0.0);
    if (!anyAbsent) return;
    const int locus = static_cast<int>(frequencies_.loci());
    for (std::size_t column = 0; column < 2 * panel_.roles.study.size(); ++column) {
      const int code = codeOfSample(row, panel_.roles.study[column / 2]);
      if (code == kPlinkMissing) continue;
      const int allele = column % 2 == 0 ? kPlinkFirst[code] : kPlinkSecond[code];
      if (rowR_[allele - 1] <= 0.0 && rowS_[allele - 1] <= 0.0) {
        panel_.absent.push_back({locus, static_cast<int>(column), allele});
        return;
      }
    }
  }

  void noteAlikeSite(const importer::Site& site) {
    const int width = static_cast<int>(rowR_.size());
    if (frequencyDifference(rowR_.data(), rowS_.data(), width, 'C') < kIdentityThreshold)
      panel_.alikeSites.emplace_back(static_cast<int>(frequencies_.loci()), site.label);
  }

  // The analysis refuses a designation that neither parental table has;
  // the first one of each locus is kept for the check after the parental
  // checks, which may take the locus out of the analysis.
  void noteAbsentAlleles(const importer::Site& site) {
    const int locus = static_cast<int>(frequencies_.loci());
    for (std::size_t column = 0; column < 2 * panel_.roles.study.size(); ++column) {
      const std::size_t sample = panel_.roles.study[column / 2];
      const int a = site.alleles[2 * sample], b = site.alleles[2 * sample + 1];
      if (a == importer::kMissingAllele || b == importer::kMissingAllele) continue;
      const int allele = column % 2 == 0 ? a : b;
      if (rowR_[allele - 1] <= 0.0 && rowS_[allele - 1] <= 0.0) {
        panel_.absent.push_back({locus, static_cast<int>(column), allele});
        return;
      }
    }
  }

  Panel& panel_;
  const Corrections& corrections_;
  bool keepLabels_;
  std::vector<double> phred_;
  std::vector<std::size_t> used_;
  importer::FilterContext context_;
  std::vector<std::uint8_t> pairs_;
  std::vector<double> rowR_, rowS_;
  RaggedFrequencies frequencies_;
  bool likelihoodsUsed_ = false;
  RowView rows_;
};

void nameStudyIndividuals(const std::vector<std::string>& samples, Panel& panel) {
  for (std::size_t sample : panel.roles.study) {
    panel.studyNames.push_back(samples[sample]);
    if (samples[sample].size() > panel.nameWidth)
      panel.nameWidth = static_cast<unsigned>(samples[sample].size());
  }
}

}  // namespace

namespace {

// The reader of the input's format; the likelihoods are a VCF's only.
std::unique_ptr<importer::SiteSource> openSource(const importer::Options& options,
                                                 const Corrections& corrections) {
  if (options.format == importer::InputFormat::Plink)
    return std::make_unique<importer::PlinkReader>(options.input);
  auto vcf = std::make_unique<importer::VcfReader>(options.input, options.decompressionThreads);
  if (!corrections.likelihoodField.empty()) vcf->readLikelihoodField(corrections.likelihoodField);
  return vcf;
}

void readSites(importer::SiteSource& reader, PanelBuilder& builder, const Panel& panel,
               const ReadProgress& progress) {
  importer::Site site;
  while (reader.next(site)) {
    builder.add(site);
    if (progress) progress(panel.sites, reader.bytesRead(), reader.bytesTotal());
  }
}

void readRows(importer::PlinkReader& reader, PanelBuilder& builder, const Panel& panel,
              const ReadProgress& progress) {
  importer::Site site;
  while (const std::uint8_t* row = reader.nextRow(site)) {
    if (!builder.addRow(site, row)) {
      reader.decodeRow(site, row);
      builder.add(site);
    }
    if (progress) progress(panel.sites, reader.bytesRead(), reader.bytesTotal());
  }
}

}  // namespace

Panel readPanel(const importer::Options& options, const Selection& selection,
                const ReadProgress& progress, const Corrections& corrections,
                bool keepLabels) {
  return readPanel(options, selection, progress, corrections, keepLabels, PlinkRows::Direct);
}

Panel readPanel(const importer::Options& options, const Selection& selection,
                const ReadProgress& progress, const Corrections& corrections, bool keepLabels,
                PlinkRows rows) {
  const std::unique_ptr<importer::SiteSource> source = openSource(options, corrections);
  importer::SiteSource& reader = *source;
  const importer::PopulationMap map = importer::readPopulationMap(options.populationMap);
  reader.nameSamplesAfter(map);
  Panel panel;
  const importer::RoleRequest request{options.populationR, options.populationS,
                                      options.studyPopulations};
  panel.roles = importer::assignRoles(map, reader.sampleNames(), options.input, request);
  nameStudyIndividuals(reader.sampleNames(), panel);
  panel.selected = selectIndividuals(panel.studyNames, selection);
  panel.genotypes = CompactGenotypes(static_cast<int>(panel.selected.size()));
  panel.likelihoods = CompactLikelihoods(static_cast<int>(panel.selected.size()));
  PanelBuilder builder(options, corrections, panel, reader.sampleNames().size(), keepLabels);
  auto* plink = dynamic_cast<importer::PlinkReader*>(source.get());
  if (plink != nullptr && rows == PlinkRows::Direct) {
    readRows(*plink, builder, panel, progress);
  } else {
    readSites(reader, builder, panel, progress);
  }
  if (panel.sites == 0) throw InputError("File " + options.input + " holds no site");
  if (panel.tally.kept == 0)
    throw InputError("No locus of " + options.input + " passed the filters");
  // A correction that no genotype takes part in would be announced by the
  // report all the same: refused instead.
  if (!corrections.likelihoodField.empty() && !builder.likelihoodsUsed()) {
    throw InputError("No genotype of the individuals studied in " + options.input +
                     " has likelihoods (" + corrections.likelihoodField +
                     ") at a kept site: there is nothing to correct with them; study the "
                     "genotype calls without asking for likelihoods");
  }
  panel.warnings = reader.warnings();
  builder.finish();
  return panel;
}

}  // namespace parmix::genome
