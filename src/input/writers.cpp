#include "input/writers.hpp"

#include <cstdio>

#include "input/data_set.hpp"

namespace parmix::importer {

namespace {

std::string formatFrequency(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::vector<std::string> formatFrequencies(const std::vector<double>& values) {
  std::vector<std::string> text;
  text.reserve(values.size());
  for (double value : values) text.push_back(formatFrequency(value));
  return text;
}

std::string formatPseudoCount(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

int designation(int allele) { return allele == kMissingAllele ? parmix::kMissing : allele; }

}  // namespace

std::string parentalHeader(const std::string& populationR, const std::string& populationS,
                           double pseudoCount) {
  return headerRecord("Parental",
                      "Frequencies counted from reference samples: R = " + populationR +
                          ", S = " + populationS + "\n(pseudo-count " +
                          formatPseudoCount(pseudoCount) + ")",
                      "locus # type, frequencies in R, then in S");
}

std::string parentalRecord(const std::string& label, const std::vector<double>& r,
                           const std::vector<double>& s) {
  return parmix::parentalRecord(label, 'C', formatFrequencies(r), formatFrequencies(s), "   ");
}

std::string individualHeader(const std::string& source, const std::vector<std::string>& names) {
  return headerRecord("Individual", "Individuals to study, imported from " + source, "names #",
                      names);
}

std::string referenceHeader(char letter, const std::string& population, const std::string& source,
                            const std::vector<std::string>& names) {
  return headerRecord("Individual",
                      std::string("Reference sample ") + letter + " (population " + population +
                          "), imported from " + source,
                      "names #", names);
}

std::string countsHeader(const std::string& populationR, const std::string& populationS,
                         const std::string& parental, double pseudoCount) {
  char pseudo[32];
  std::snprintf(pseudo, sizeof pseudo, "%.17g", pseudoCount);
  return "# Counts of the reference samples R = " + populationR + ", S = " + populationS +
         "\n"
         "# behind the parental file " + parental + ".  Per locus: label, type, then\n"
         "# the counts in R and in S, one per allele at a codominant locus ('-' for an\n"
         "# allele seen nowhere, which takes no pseudo-count), band present and band\n"
         "# absent at a dominant one.\n"
         "pseudo-count\t" + pseudo + "\n"
         "locus\ttype\tR\tS\n";
}

namespace {

std::string countList(const AlleleCounts& counts) {
  std::string text;
  for (long copies : counts.copies) text += (text.empty() ? "" : " ") + std::to_string(copies);
  return text;
}

}  // namespace

std::string countsRow(const std::string& label, const AlleleCounts& r, const AlleleCounts& s) {
  std::string row = withoutHash(label);
  for (char& c : row) {
    if (c == '\t') c = ' ';
  }
  return row + "\tC\t" + countList(r) + "\t" + countList(s) + "\n";
}

void individualRecord(const Site& site, const std::vector<std::size_t>& samples,
                      std::string& line) {
  startIndividualRecord(line, site.label);
  for (std::size_t sample : samples) {
    line += ' ';
    appendAllelePair(line, designation(site.alleles[2 * sample]),
                     designation(site.alleles[2 * sample + 1]));
  }
  line += '\n';
}

}  // namespace parmix::importer
