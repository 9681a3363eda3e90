#include "vcf_writer.hpp"

#include "draws/reads.hpp"

#include <unistd.h>

#include <cstdio>

namespace parmix::sim {

namespace {

// The reads have a stream of their own too, so the calls' files are the
// same with and without them.
constexpr std::uint64_t kReadStream = 0xc2b2ae3d27d4eb4fULL;
constexpr int kSpacing = 100;  // between the positions of neighbouring loci

std::unique_ptr<parmix::OutputFile> openOutput(const std::string& path) {
  try {
    return std::make_unique<parmix::OutputFile>(path);
  } catch (const InputError&) {
    return nullptr;
  }
}

// BGZF writes on a descriptor of its own, which it closes; the one writer
// keeps its own to put the whole file in place.
BGZF* openBgzf(parmix::OutputFile* out) {
  if (out == nullptr) return nullptr;
  const int fd = ::dup(out->descriptor());
  return fd < 0 ? nullptr : bgzf_dopen(fd, "w");
}

}  // namespace

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
      out_(openOutput(path_)),
      file_(openBgzf(out_.get())),
      reads_(options.seed ^ kReadStream),
      depth_(options.depth),
      error_(options.error),
      references_(options.references) {
  if (!file_) return;
  std::string header =
      "##fileformat=VCFv4.2\n##source=parmix-sim\n##contig=<ID=1>\n"
      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n";
  if (depth_ > 0.0) {
    header +=
        "##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"Reads of each allele\">\n"
        "##FORMAT=<ID=PL,Number=G,Type=Integer,Description=\"Phred-scaled genotype "
        "likelihoods\">\n";
  }
  header += "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
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
                           const ReferenceSamples& references,
                           const std::vector<Designation>& study) {
  line_ = "1\t" + std::to_string(static_cast<long long>(index + 1) * kSpacing) + '\t' + name +
          '\t' + vcfAllele(1) + '\t';
  const int alleles = static_cast<int>(locus.freqR.size());
  for (int k = 2; k <= alleles; ++k) line_ += (k > 2 ? "," : "") + vcfAllele(k);
  line_ += depth_ > 0.0 ? "\t.\t.\t.\tGT:AD:PL" : "\t.\t.\t.\tGT";
  for (bool ofR : {true, false})
    for (const Designation& d : references.of(ofR)) appendGenotype(d);
  for (const Designation& d : study) appendGenotype(d);
  line_ += '\n';
  write(line_);
}

// With reads: the reads of the true genotype, their PL, and as GT the
// genotype of PL 0, as a caller would write it.  The text files keep the
// true genotypes: they are what the reads are drawn from.
void VcfOutput::appendGenotype(const Designation& d) {
  line_ += '\t';
  if (depth_ <= 0.0) {
    appendVcfGenotype(line_, d);
    return;
  }
  if (d.missing) {
    line_ += "./.:.:.";
    return;
  }
  const int alt = (d.first == 2) + (d.second == 2);
  const ReadCounts reads = drawReads(reads_, alt, depth_, error_);
  const std::array<int, 3> pl = phredLikelihoods(reads, error_);
  const int called = calledAltCopies(pl);
  // Reads that leave two genotypes equally likely (none at all, say) make
  // no call.
  static const char* const kCalls[] = {"./.", "0/0", "0/1", "1/1"};
  line_ += kCalls[called + 1];
  line_ += ':' + std::to_string(reads.ref) + ',' + std::to_string(reads.alt) + ':' +
           std::to_string(pl[0]) + ',' + std::to_string(pl[1]) + ',' + std::to_string(pl[2]);
}

bool VcfOutput::close() {
  if (!file_) return false;
  if (bgzf_close(file_.release()) != 0 || failed_) return false;
  try {
    out_->commit();
    return true;
  } catch (const InputError&) {
    return false;
  }
}

bool writePopulationMap(const std::string& path, int references,
                        const std::vector<Individual>& individuals) {
  const std::unique_ptr<parmix::OutputFile> file = openOutput(path);
  if (!file) return false;
  for (bool ofR : {true, false})
    for (int k = 1; k <= references; ++k)
      file->write(referenceName(ofR, k) + (ofR ? "\tR\n" : "\tS\n"));
  for (const Individual& individual : individuals) file->write(individual.name + "\tstudy\n");
  try {
    file->commit();
    return true;
  } catch (const InputError&) {
    return false;
  }
}

}  // namespace parmix::sim
