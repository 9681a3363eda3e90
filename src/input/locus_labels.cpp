#include "input/locus_labels.hpp"

#include "input/record_scanner.hpp"

namespace parmix {

std::vector<std::string> readLocusLabels(const std::string& parental, char eol, int nLoci) {
  std::vector<std::string> names;
  RecordScanner scanner(parental);
  std::string label, data;
  if (scanner.isOpen() && scanner.nextRecord(eol, data)) {  // the header record
    while (static_cast<int>(names.size()) < nLoci && scanner.readLabel(label)) {
      scanner.readDataPart(eol, data);
      names.push_back(label);
    }
  }
  names.resize(nLoci < 0 ? 0 : nLoci);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i].empty()) names[i] = "row " + std::to_string(i + 1);
  return names;
}

}  // namespace parmix
