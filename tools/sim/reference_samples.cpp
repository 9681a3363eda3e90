#include "reference_samples.hpp"

#include "input/record_writer.hpp"

namespace parmix::sim {

namespace {

// Reference samples get a stream of their own, apart from the one that
// draws the text files' data.
constexpr std::uint64_t kReferenceStream = 0x9e3779b97f4a7c15ULL;

Individual pureIndividual(bool ofR) {
  Individual pure;
  pure.kind = ofR ? Ancestry::PureR : Ancestry::PureS;
  pure.hMillionths = ofR ? 1000000 : 0;
  return pure;
}

std::string samplesHeader(bool ofR, const Options& options) {
  std::vector<std::string> names;
  for (int k = 1; k <= options.references; ++k) names.push_back(referenceName(ofR, k));
  return headerRecord("Individual",
                      std::string("reference samples of ") + (ofR ? "R" : "S") +
                          " simulated by parmix-sim, seed " + std::to_string(options.seed),
                      "names #", names);
}

}  // namespace

std::string referenceName(bool ofR, int number) {
  return (ofR ? "refR" : "refS") + std::to_string(number);
}

ReferenceSamples::ReferenceSamples(std::uint64_t seed, int perPopulation, double missingShare)
    : random_(seed ^ kReferenceStream), perPopulation_(perPopulation),
      missingShare_(missingShare) {}

void ReferenceSamples::draw(const Locus& locus, const std::vector<int>& cumR,
                            const std::vector<int>& cumS) {
  for (bool ofR : {true, false}) {
    const Individual pure = pureIndividual(ofR);
    std::vector<Designation>& drawn = ofR ? r_ : s_;
    drawn.clear();
    for (int k = 0; k < perPopulation_; ++k)
      drawn.push_back(drawDesignation(random_, locus, cumR, cumS, pure, missingShare_));
  }
}

ReferenceFiles::ReferenceFiles(const std::string& prefix, const Options& options)
    : paths_{prefix + ".R.txt", prefix + ".S.txt"}, files_{OutputFile(paths_[0]),
                                                           OutputFile(paths_[1])} {
  for (int f = 0; f < 2; ++f) files_[f].write(samplesHeader(f == 0, options));
}

std::string ReferenceFiles::unopened() const {
  for (int f = 0; f < 2; ++f)
    if (!files_[f].isOpen()) return paths_[f];
  return "";
}

void ReferenceFiles::writeLocus(const std::string& name, const Locus& locus,
                                const ReferenceSamples& samples) {
  for (int f = 0; f < 2; ++f) {
    line_ = name + " #";
    for (const Designation& d : samples.of(f == 0)) {
      line_ += ' ';
      appendDesignation(line_, locus, d);
    }
    line_ += '\n';
    files_[f].write(line_);
  }
}

std::string ReferenceFiles::close() {
  std::string failed;
  for (int f = 0; f < 2; ++f)
    if (!files_[f].close() && failed.empty()) failed = paths_[f];
  return failed;
}

}  // namespace parmix::sim
