#include "validate/diagnosis.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <unordered_map>

#include "input/data_set.hpp"
#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/record_scanner.hpp"
#include "input/text_scan.hpp"
#include "validate/band_checks.hpp"
#include "validate/parental_checks.hpp"

namespace parmix {

namespace {

constexpr double kWeakThreshold = 0.05;

// The parental side as the analysis reads and checks it.
struct Parents {
  DataSet data;
  std::vector<int> alleles;  // per locus, as the record's word count gives
};

// The counts read each file to its end: a device such as /dev/zero has
// none and counts as a file that cannot be read (the analysis's first
// error, which stops at the keyword, says what is wrong with it).
int countRecords(const std::string& path, char* eol) {
  return endsOfItself(path) ? findNumberRowsAndTerminator(path, eol) : -1;
}

void firstErrorOfTheRun(const InputPaths& paths, Status& status) {
  DataSet data;
  std::ostringstream sink;
  loadDataSet(paths, data, [&sink](Status&) -> std::ostream* { return &sink; }, status);
}

void readParentalLabels(const std::string& path, char eol, Parents& p,
                        std::vector<LocusDiagnosis>& loci) {
  RecordScanner scanner(path);
  std::string label, data;
  if (!scanner.nextRecord(eol, data)) return;
  for (int i = 0; i < p.data.nLoci && scanner.readLabel(label); ++i) {
    scanner.readDataPart(eol, data);
    loci[i].label = label;
    const std::size_t words = countWords(data);
    p.alleles[i] = words > 0 ? static_cast<int>((words - 1) / 2) : 0;
  }
}

// Reads and checks the parental file with the analysis's own steps; false
// when it fails (the first error says why).
bool readParents(const InputPaths& paths, int records, char eol, Parents& p) {
  Status status;
  std::ostringstream sink;
  DataSet& d = p.data;
  if (records < 1 || checkKeyword(paths.parental, "Parental", status)) return false;
  d.nLoci = records - 1;
  d.parentalEol = eol;
  if (scanMaxAlleles(paths.parental, d.nLoci, &d.maxAlleles, status, eol)) return false;
  d.allocateGenotypes();
  d.allocateTheRest();
  if (readParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci, d.maxAlleles,
                       paths.parental, status, eol))
    return false;
  return checkParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(),
                           d.locusUsed.data(), d.nLoci, d.maxAlleles, status, sink) == 0;
}

double bandOf(double dominantAllele) { return bandFromAlleleFrequency(dominantAllele); }

void describeLoci(const std::string& path, Parents& p, Diagnosis& out) {
  DataSet& d = p.data;
  out.loci.resize(static_cast<std::size_t>(d.nLoci));
  p.alleles.assign(static_cast<std::size_t>(d.nLoci), 0);
  readParentalLabels(path, d.parentalEol, p, out.loci);
  for (int i = 0; i < d.nLoci; ++i) {
    LocusDiagnosis& locus = out.loci[i];
    locus.type = d.locusType[i];
    locus.excluded = !d.locusUsed[i];
    double diff = 0.0;
    if (locus.type == 'D') {
      locus.alleles = 1;
      locus.bandR = bandOf(d.freqR.rows()[i][0]);
      locus.bandS = bandOf(d.freqS.rows()[i][0]);
      diff = std::fabs(d.freqR.rows()[i][0] - d.freqS.rows()[i][0]);
    } else {
      locus.alleles = p.alleles[i];
      for (int a = 0; a < d.maxAlleles; ++a)
        diff += std::fabs(d.freqR.rows()[i][a] - d.freqS.rows()[i][a]);
    }
    locus.weak = !locus.excluded && diff < kWeakThreshold;
  }
}

// ---- the individual file ----

bool isUsualMissing(const std::string& token) {
  return token == "NA" || token == "?" || token == "-" || token == "-9999";
}

struct Designations {
  const DesignationConverter& converter;
  std::unordered_map<std::string, std::size_t>& spellings;  // index in unusualTokens
  DataSet& parents;  // read only (its tables offer no const view)
  Diagnosis& out;
};

// Distinct unusual spellings kept with their counts; a file of endless
// different words (not genotypes at all) is counted in unusualTotal only.
constexpr std::size_t kMaxSpellings = 100;

void noteUnusual(const std::string& token, int locus, int individual, const Designations& at) {
  Diagnosis& out = at.out;
  ++out.unusualTotal;
  const auto seen = at.spellings.find(token);
  if (seen != at.spellings.end()) {
    ++out.unusualTokens[seen->second].count;
    return;
  }
  if (out.unusualTokens.size() >= kMaxSpellings) return;
  at.spellings.emplace(token, out.unusualTokens.size());
  out.unusualTokens.push_back(UnusualToken{token, 1, locus, individual});
}

// The designation's value, kMissing for missing data; notes an unusual
// spelling.  A number beyond the int range stays as a refused token.
int valueOf(const std::string& token, int locus, int individual, const Designations& at,
            bool* beyondInt) {
  int value = kMissing;
  ++at.out.designationsRead;
  if (at.converter.convert(token, &value, beyondInt) || *beyondInt) return value;
  if (!isUsualMissing(token)) noteUnusual(token, locus, individual, at);
  return kMissing;
}

bool outsideEveryAllele(int value, bool beyondInt, char type, const DataSet& d) {
  if (beyondInt || value > d.maxAlleles) return true;
  return type == 'C' && value != kMissing && value < 1;
}

bool knownAllele(int value, int locus, char layout, DataSet& d) {
  const int slot = layout == 'D' ? 0 : value - 1;
  return d.freqR.rows()[locus][slot] > 0.0 || d.freqS.rows()[locus][slot] > 0.0;
}

// Checks the one or two tokens of individual j at locus i; true when the
// genotype can be used.  Refused genotypes are listed once each.
bool checkGenotype(const std::vector<Word>& words, int i, int j, char layout,
                   const Designations& at) {
  DataSet& d = at.parents;
  const bool used = d.locusUsed[i] != 0;
  const int first = layout == 'D' ? j : 2 * j;
  const int count = layout == 'D' ? 1 : 2;
  bool usable = true;
  bool refused = false;
  for (int k = 0; k < count; ++k) {
    const std::size_t c = static_cast<std::size_t>(first + k);
    if (c >= words.size()) return false;
    const std::string token = words[c].str();
    bool beyondInt = false;
    const int v = valueOf(token, i, j, at, &beyondInt);
    const bool range = outsideEveryAllele(v, beyondInt, used ? layout : 'B', d);
    const bool unknown = !range && used && v != kMissing && !knownAllele(v, i, layout, d);
    if (v == kMissing && !beyondInt) usable = false;
    if ((range || unknown) && !refused) {
      refused = true;
      at.out.refused.push_back(RefusedGenotype{i, j, static_cast<int>(c), token, range});
      if (range) ++at.out.loci[i].outOfRange;
      else ++at.out.loci[i].unknown;
    }
    if (layout == 'D' && used && !range && !unknown && v != kMissing) {
      ++at.out.loci[i].scored;
      at.out.loci[i].bands += v == 1 ? 1 : 0;
      if (v != 0 && v != 1) --at.out.loci[i].scored;
    }
  }
  return usable && !refused;
}

// Where a codominant record's designations stop pairing up with the
// individuals: the first blank-separated field that holds a single
// designation while others hold a pair, else where the designations run
// out.
PairingBreak placeBreak(const std::string& data, const std::vector<Word>& words, int i, int nInd) {
  PairingBreak b;
  b.locus = i;
  b.designations = static_cast<int>(words.size());
  std::vector<Word> fields;
  splitWords(data, fields);
  const WordBreaks breaks(kSeparatorSet);
  std::vector<Word> parts;
  bool pairs = false;
  std::string field;  // the parts are views into it
  for (const Word& f : fields) {
    field = f.str();
    splitWords(field, parts, breaks);
    if (parts.size() >= 2) pairs = true;
  }
  if (pairs) {
    int individual = 0;
    for (const Word& f : fields) {
      field = f.str();
      splitWords(field, parts, breaks);
      if (parts.size() == 1) {
        b.individual = individual;
        b.token = parts[0].str();
        return b;
      }
      individual += static_cast<int>(parts.size()) / 2;
    }
  }
  if (b.designations < 2 * nInd) b.individual = b.designations / 2;
  return b;
}

void readLocusRecord(const std::string& data, int i, const WordBreaks& breaks,
                     const Designations& at) {
  Diagnosis& out = at.out;
  DataSet& d = at.parents;
  const int nInd = static_cast<int>(out.individuals.size());
  std::vector<Word> words;
  splitWords(data, words, breaks);
  const char layout = d.locusType[i];
  if (layout == 'C' && static_cast<int>(words.size()) != 2 * nInd)
    out.pairingBreaks.push_back(placeBreak(data, words, i, nInd));
  const bool used = d.locusUsed[i] != 0;
  for (int j = 0; j < nInd; ++j) {
    const bool usable = checkGenotype(words, i, j, layout, at);
    if (!used) continue;
    if (usable) {
      ++out.individuals[j].loci;
    } else {
      ++out.individuals[j].missing;
      ++out.loci[i].missing;
    }
  }
}

void readIndividuals(const InputPaths& paths, char eol, Parents& p, Diagnosis& out) {
  Status status;
  if (checkKeyword(paths.individual, "Individual", status)) return;
  RecordScanner scanner(paths.individual);
  std::string label, data;
  if (!scanner.nextRecord(eol, data)) return;
  std::vector<Word> names;
  splitWords(data, names);
  for (const Word& w : names) out.individuals.push_back(IndividualDiagnosis{w.str(), 0, 0});
  const DesignationConverter converter;
  std::unordered_map<std::string, std::size_t> spellings;
  const Designations at{converter, spellings, p.data, out};
  const WordBreaks breaks(kSeparatorSet);
  for (int i = 0; i < p.data.nLoci && scanner.readLabel(label); ++i) {
    scanner.readDataPart(eol, data);
    if (!label.empty()) out.loci[i].label = label;
    readLocusRecord(data, i, breaks, at);
  }
  out.individualsRead = true;
}

// ---- dominant loci against the parental band frequencies ----

double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

BandPlace placeLocus(const LocusDiagnosis& l, double alpha, bool asAlleleFrequencies) {
  double r = clamp01(l.bandR), s = clamp01(l.bandS);
  if (asAlleleFrequencies) {
    r = bandFromAlleleFrequency(r);
    s = bandFromAlleleFrequency(s);
  }
  return placeBandCount(l.bands, l.scored, std::min(r, s), std::max(r, s), alpha);
}

// The sign of allele frequencies given as band frequencies: a band
// frequency g read as an allele frequency makes the study's bands more
// common than either parent allows, never less.  So the note needs (a) at
// least three tested dominant loci, and at least a quarter of them, whose
// band counts lie above the parental range (one-sided binomial tail below
// 1e-3), (b) none below it, and (c) none outside the range that the file's
// values give when read as allele frequencies.  Sampling noise alone
// almost never puts a quarter of the loci beyond a 1e-3 tail.
void judgeBands(Diagnosis& out) {
  int tested = 0, above = 0, below = 0, outsideAsAlleles = 0;
  for (LocusDiagnosis& l : out.loci) {
    if (l.type != 'D' || l.excluded || l.scored < kMinScored) continue;
    const BandPlace place = placeLocus(l, kBandAlpha, false);
    l.bandPlace = place == BandPlace::kAbove ? 1 : place == BandPlace::kBelow ? -1 : 0;
    ++tested;
    const BandPlace loose = placeLocus(l, kSignAlpha, false);
    above += loose == BandPlace::kAbove;
    below += loose == BandPlace::kBelow;
    outsideAsAlleles += placeLocus(l, kSignAlpha, true) != BandPlace::kInside;
  }
  out.alleleFrequencySign = above >= 3 && 4 * above >= tested && below == 0 && outsideAsAlleles == 0;
}

}  // namespace

void diagnose(const InputPaths& paths, Diagnosis& out, bool findFirstError) {
  out = Diagnosis();
  if (findFirstError) firstErrorOfTheRun(paths, out.firstError);
  char parentalEol = '\n', individualEol = '\n';
  out.parentalRecords = countRecords(paths.parental, &parentalEol);
  out.individualRecords = countRecords(paths.individual, &individualEol);
  if (!endsOfItself(paths.parental) || !endsOfItself(paths.individual)) return;
  Parents p;
  if (!readParents(paths, out.parentalRecords, parentalEol, p)) return;
  out.parentalRead = true;
  describeLoci(paths.parental, p, out);
  // Records that do not pair up locus by locus would pin every problem on
  // the wrong locus; the counts say enough then.
  if (out.parentalRecords != out.individualRecords) return;
  readIndividuals(paths, individualEol, p, out);
  judgeBands(out);
}

}  // namespace parmix
