#include "files.hpp"

#include <cstdint>

namespace parmix::sim {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

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
         " loci\n";
}

}  // namespace

OutputFile::OutputFile(const std::string& path)
    : buffer_(kBufferBytes), file_(std::fopen(path.c_str(), "wb")) {
  if (file_) std::setvbuf(file_.get(), buffer_.data(), _IOFBF, buffer_.size());
}

void OutputFile::write(const std::string& text) {
  if (!file_ || failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) failed_ = true;
}

bool OutputFile::close() {
  if (!file_) return false;
  const bool flushed = std::fflush(file_.get()) == 0;
  const bool closed = std::fclose(file_.release()) == 0;
  return flushed && closed && !failed_;
}

std::string formatFrequency(int units) { return fixedPoint(units, 4); }

std::string formatPhenotypeFrequency(int alleleUnits) {
  const std::int64_t absent = kScale - alleleUnits;
  const std::int64_t square = static_cast<std::int64_t>(kScale) * kScale;
  return fixedPoint(square - absent * absent, 8);
}

std::string formatMillionths(int millionths) { return fixedPoint(millionths, 6); }

std::string parentalHeader(const Options& options) {
  return "Parental\n" + describe(options) +
         "C: frequencies of alleles 1..k in R, then in S; D: frequency of the dominant\n"
         "phenotype in R, then in S\n"
         "locus # type, R frequencies, S frequencies\n";
}

std::string parentalLine(const std::string& name, const Locus& locus) {
  std::string line = name + " # ";
  if (locus.dominant) {
    line += "D " + formatPhenotypeFrequency(locus.freqR[0]) + " " +
            formatPhenotypeFrequency(locus.freqS[0]);
  } else {
    line += "C";
    for (int f : locus.freqR) line += " " + formatFrequency(f);
    for (int f : locus.freqS) line += " " + formatFrequency(f);
  }
  return line + "\n";
}

std::string individualHeader(const Options& options, const std::vector<Individual>& individuals) {
  std::string text = "Individual\n" + describe(options) + "names #";
  for (const Individual& individual : individuals) text += " " + individual.name;
  return text + "\n";
}

void appendDesignation(std::string& line, const Locus& locus, const Designation& d) {
  if (locus.dominant) {
    line += d.missing ? "NA" : (d.first == 1 ? "1" : "0");
    return;
  }
  if (d.missing) {
    line += "NA/NA";
    return;
  }
  line += std::to_string(d.first);
  line += '/';
  line += std::to_string(d.second);
}

std::string truthLine(const Individual& individual) {
  return individual.name + "\t" + formatMillionths(individual.hMillionths) + "\t" +
         ancestryName(individual.kind) + "\n";
}

}  // namespace parmix::sim
