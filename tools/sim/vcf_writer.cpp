#include "vcf_writer.hpp"

#include <cstdio>

namespace parmix::sim {

namespace {

// Reference samples get a stream of their own, apart from the one that
// draws the text files' data.
constexpr std::uint64_t kReferenceStream = 0x9e3779b97f4a7c15ULL;
constexpr int kSpacing = 100;  // between the positions of neighbouring loci

Individual pureIndividual(bool ofR) {
  Individual pure;
  pure.kind = ofR ? Ancestry::PureR : Ancestry::PureS;
  pure.hMillionths = ofR ? 1000000 : 0;
  return pure;
}

}  // namespace

std::string referenceName(bool ofR, int number) {
  return (ofR ? "refR" : "refS") + std::to_string(number);
}

std::string vcfAllele(int k) {
  static const char kBases[] = "ACGT";
  if (k <= 4) return std::string(1, kBases[k - 1]);
  return "A" + std::string(static_cast<std::size_t>(k - 4), 'C');
}

namespace {
void appendAlleleIndex(std::string& line, int index) {
  if (index < 10) {
    line += static_cast<char>('0' + index);  // nearly every call: no string made
  } else {
    line += std::to_string(index);
  }
}
}  // namespace

void appendVcfGenotype(std::string& line, const Designation& d) {
  if (d.missing) {
    line += "./.";
    return;
  }
  appendAlleleIndex(line, d.first - 1);
  line += '/';
  appendAlleleIndex(line, d.second - 1);
}

VcfOutput::VcfOutput(const std::string& prefix, const Options& options,
                     const std::vector<Individual>& individuals)
    : path_(prefix + ".vcf.gz"),
      file_(bgzf_open(path_.c_str(), "w")),
      random_(options.seed ^ kReferenceStream),
      references_(options.references),
      missingShare_(options.missingShare) {
  if (!file_) return;
  std::string header =
      "##fileformat=VCFv4.2\n##source=parmix-sim\n##contig=<ID=1>\n"
      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  for (bool ofR : {true, false})
    for (int k = 1; k <= references_; ++k) header += '\t' + referenceName(ofR, k);
  for (const Individual& individual : individuals) header += '\t' + individual.name;
  write(header + '\n');
}

void VcfOutput::write(const std::string& text) {
  if (failed_ || !file_) return;
  if (bgzf_write(file_.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    failed_ = true;
}

void VcfOutput::writeLocus(int index, const std::string& name, const Locus& locus,
                           const std::vector<int>& cumR, const std::vector<int>& cumS,
                           const std::vector<Designation>& study) {
  line_ = "1\t" + std::to_string(static_cast<long long>(index + 1) * kSpacing) + '\t' + name +
          '\t' + vcfAllele(1) + '\t';
  const int alleles = static_cast<int>(locus.freqR.size());
  for (int k = 2; k <= alleles; ++k) line_ += (k > 2 ? "," : "") + vcfAllele(k);
  line_ += "\t.\t.\t.\tGT";
  for (bool ofR : {true, false}) {
    const Individual pure = pureIndividual(ofR);
    for (int k = 0; k < references_; ++k) {
      line_ += '\t';
      appendVcfGenotype(line_, drawDesignation(random_, locus, cumR, cumS, pure, missingShare_));
    }
  }
  for (const Designation& d : study) {
    line_ += '\t';
    appendVcfGenotype(line_, d);
  }
  line_ += '\n';
  write(line_);
}

bool VcfOutput::close() {
  if (!file_) return false;
  const bool closed = bgzf_close(file_.release()) == 0;
  return closed && !failed_;
}

bool writePopulationMap(const std::string& path, int references,
                        const std::vector<Individual>& individuals) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  bool ok = true;
  for (bool ofR : {true, false})
    for (int k = 1; k <= references; ++k)
      ok = std::fprintf(file, "%s\t%s\n", referenceName(ofR, k).c_str(), ofR ? "R" : "S") > 0 && ok;
  for (const Individual& individual : individuals)
    ok = std::fprintf(file, "%s\tstudy\n", individual.name.c_str()) > 0 && ok;
  return std::fclose(file) == 0 && ok;
}

}  // namespace parmix::sim
