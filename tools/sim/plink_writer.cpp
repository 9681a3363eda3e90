#include "plink_writer.hpp"

#include <string_view>

#include "input/errors.hpp"

namespace parmix::sim {

namespace {

constexpr int kSpacing = 100;  // between the positions of neighbouring loci, as in the VCF

}  // namespace

PlinkOutput::PlinkOutput(const std::string& prefix, const Options& options,
                         const std::vector<Individual>& individuals) {
  File* files[] = {&bed_, &bim_, &fam_};
  const char* suffixes[] = {".bed", ".bim", ".fam"};
  for (int f = 0; f < 3; ++f) {
    files[f]->path = prefix + suffixes[f];
    // Through the one writer of outputs: whole or not at all, a link's
    // target, a device straight through.
    try {
      files[f]->out = std::make_unique<parmix::OutputFile>(files[f]->path, "PLINK file");
    } catch (const InputError&) {
      files[f]->out.reset();
    }
  }
  if (!unopened().empty()) return;
  static constexpr unsigned char kMagic[3] = {0x6c, 0x1b, 0x01};
  put(bed_, kMagic, 3);
  std::string fam;
  for (bool ofR : {true, false})
    for (int k = 1; k <= options.references; ++k)
      fam += std::string(ofR ? "R" : "S") + ' ' + referenceName(ofR, k) + " 0 0 0 -9\n";
  for (const Individual& individual : individuals) fam += "study " + individual.name + " 0 0 0 -9\n";
  put(fam_, fam.data(), fam.size());
  const std::size_t samples = 2 * static_cast<std::size_t>(options.references) + individuals.size();
  row_.assign((samples + 3) / 4, 0);
}

std::string PlinkOutput::unopened() const {
  for (const File* file : {&bed_, &bim_, &fam_})
    if (!file->out) return file->path;
  return "";
}

void PlinkOutput::put(File& file, const void* data, std::size_t size) {
  if (!file.out) return;
  file.out->write(std::string_view(static_cast<const char*>(data), size));
}

void PlinkOutput::addCodes(const std::vector<Designation>& designations) {
  // Four samples a byte, the first in the lowest bits; a byte is stored
  // when full, so the row is never cleared and never read back.
  for (const Designation& d : designations) {
    pending_ |= bedCode(d) << (2 * (filled_ % 4));
    if (++filled_ % 4 == 0) {
      row_[filled_ / 4 - 1] = static_cast<unsigned char>(pending_);
      pending_ = 0;
    }
  }
}

void PlinkOutput::writeLocus(int index, const std::string& name,
                             const ReferenceSamples& references,
                             const std::vector<Designation>& study) {
  const std::string line = "1\t" + name + "\t0\t" +
                           std::to_string(static_cast<long long>(index + 1) * kSpacing) +
                           "\tC\tA\n";
  put(bim_, line.data(), line.size());
  filled_ = 0;
  pending_ = 0;
  addCodes(references.of(true));
  addCodes(references.of(false));
  addCodes(study);
  if (filled_ % 4 != 0) row_[filled_ / 4] = static_cast<unsigned char>(pending_);
  put(bed_, row_.data(), row_.size());
}

std::string PlinkOutput::close() {
  std::string first;
  for (File* file : {&bed_, &bim_, &fam_}) {
    bool whole = file->out != nullptr;
    try {
      if (whole) file->out->commit();
    } catch (const InputError&) {
      whole = false;
    }
    file->out.reset();
    if (!whole && first.empty()) first = file->path;
  }
  return first;
}

}  // namespace parmix::sim
