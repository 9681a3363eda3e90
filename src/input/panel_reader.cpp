#include "input/panel_reader.hpp"

#include <algorithm>
#include <cmath>
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

// Everything the site loop needs besides the site.
class PanelBuilder {
 public:
  PanelBuilder(const importer::Options& options, const Corrections& corrections, Panel& panel,
               bool keepLabels)
      : panel_(panel),
        corrections_(corrections),
        keepLabels_(keepLabels),
        used_(importer::usedSamples(panel.roles)),
        context_{options.filters, options.pseudoCount, panel.roles, used_},
        pairs_(2 * panel.selected.size()) {}

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

}  // namespace

Panel readPanel(const importer::Options& options, const Selection& selection,
                const ReadProgress& progress, const Corrections& corrections,
                bool keepLabels) {
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
  PanelBuilder builder(options, corrections, panel, keepLabels);
  importer::Site site;
  while (reader.next(site)) {
    builder.add(site);
    if (progress) progress(panel.sites, reader.bytesRead(), reader.bytesTotal());
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
