#include "model/corrections.hpp"

#include <vector>

namespace parmix {

std::string correctionsNote(const Corrections& c) {
  if (!c.any()) return "";
  std::vector<std::string> parts;
  if (!c.likelihoodField.empty()) {
    parts.push_back("genotype likelihoods (" + c.likelihoodField + ") of the study individuals");
    parts.push_back(c.referenceFromCalls
                        ? "parental frequencies counted from the calls (GT)"
                        : "parental frequencies by EM from the reference samples' likelihoods");
  }
  if (c.referenceUncertainty)
    parts.push_back("the parental frequencies' uncertainty (Dirichlet posteriors of the counts)");
  std::string note = "Corrections used:";
  for (std::size_t i = 0; i < parts.size(); ++i)
    note += "\n  " + parts[i] + (i + 1 < parts.size() ? ";" : ".");
  return note + "\n\n";
}

std::string correctionTags(const Corrections& c) {
  std::vector<std::string> tags;
  if (!c.likelihoodField.empty()) {
    tags.push_back("genotype-likelihoods=" + c.likelihoodField);
    tags.push_back(c.referenceFromCalls ? "reference-frequencies=gt" : "reference-frequencies=gl");
  }
  if (c.referenceUncertainty) tags.push_back("reference-uncertainty");
  std::string joined;
  for (const std::string& tag : tags) joined += (joined.empty() ? "" : ",") + tag;
  return joined;
}

}  // namespace parmix
