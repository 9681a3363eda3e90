#include "files.hpp"

#include <cstdint>

#include "input/data_set.hpp"
#include "input/record_writer.hpp"

namespace parmix::sim {

namespace {

// units / 10^decimals written as a decimal number with that many decimals.
std::string fixedPoint(std::int64_t units, int decimals) {
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::string fraction = std::to_string(units % scale);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  return std::to_string(units / scale) + "." + fraction;
}

std::string describe(const Options& options) {
  return "simulated by parmix-sim, seed " + std::to_string(options.seed) + ": " +
         std::to_string(options.individuals) + " individuals, " + std::to_string(options.loci) +
         " loci";
}

}  // namespace

// A failed run leaves an earlier data set of that prefix as it was.
OutputFile::OutputFile(const std::string& path) {
  try {
    file_ = std::make_unique<parmix::OutputFile>(path);
  } catch (const InputError&) {
    file_.reset();
  }
}

OutputFile::~OutputFile() = default;

void OutputFile::write(const std::string& text) {
  if (file_) file_->write(text);
}

bool OutputFile::close() {
  if (!file_) return false;
  try {
    file_->commit();
    return true;
  } catch (const InputError&) {
    return false;
  }
}

std::string formatFrequency(int units) { return fixedPoint(units, 4); }

std::string formatPhenotypeFrequency(int alleleUnits) {
  const std::int64_t absent = kScale - alleleUnits;
  const std::int64_t square = static_cast<std::int64_t>(kScale) * kScale;
  return fixedPoint(square - absent * absent, 8);
}

std::string formatMillionths(int millionths) { return fixedPoint(millionths, 6); }

std::string parentalHeader(const Options& options) {
  return headerRecord("Parental",
                      describe(options) +
                          "\nC: frequencies of alleles 1..k in R, then in S; D: frequency of the "
                          "dominant\nphenotype in R, then in S",
                      "locus # type, R frequencies, S frequencies");
}

std::string parentalLine(const std::string& name, const Locus& locus) {
  std::vector<std::string> r, s;
  if (locus.dominant) {
    r.push_back(formatPhenotypeFrequency(locus.freqR[0]));
    s.push_back(formatPhenotypeFrequency(locus.freqS[0]));
  } else {
    for (int f : locus.freqR) r.push_back(formatFrequency(f));
    for (int f : locus.freqS) s.push_back(formatFrequency(f));
  }
  return parentalRecord(name, locus.dominant ? 'D' : 'C', r, s);
}

std::string individualHeader(const Options& options, const std::vector<Individual>& individuals) {
  std::vector<std::string> names;
  names.reserve(individuals.size());
  for (const Individual& individual : individuals) names.push_back(individual.name);
  return headerRecord("Individual", describe(options), "names #", names);
}

void appendDesignation(std::string& line, const Locus& locus, const Designation& d) {
  if (locus.dominant) {
    appendPhenotype(line, d.missing ? kMissing : (d.first == 1 ? 1 : 0));
  } else {
    appendAllelePair(line, d.missing ? kMissing : d.first, d.missing ? kMissing : d.second);
  }
}

std::string truthLine(const Individual& individual) {
  return individual.name + "\t" + formatMillionths(individual.hMillionths) + "\t" +
         ancestryName(individual.kind) + "\n";
}

}  // namespace parmix::sim
