#include "validate/data_set_loader.hpp"

#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "model/likelihood.hpp"
#include "validate/individual_checks.hpp"
#include "validate/parental_checks.hpp"

namespace parmix {

namespace {

// The record count of one input file (header included) as found with its
// terminator, refusing a file without any '#', which holds no header record
// and so cannot be read at all.
int checkRecordCount(const std::string& path, int nRows, Status& status) {
  if (nRows < 0) return status.fail("File %s could not be read", path.c_str());
  if (nRows == 0)
    return status.fail(
        "File %s holds no '#': its header record must follow the first '#' of the file.",
        path.c_str());
  return 0;
}

// Keyword checks, terminators, counts and scans (everything before the
// report is opened), then the data set at its final size.
int measureInputs(const InputPaths& paths, DataSet& data, Status& status) {
  if (checkKeyword(paths.parental, "Parental", status)) return status.setFault(Fault::kParental);
  if (checkKeyword(paths.individual, "Individual", status))
    return status.setFault(Fault::kIndividual);
  if (countLoci(paths, data, status)) return 1;
  if (countColumns(paths.individual, &data.nInd, &data.nCols, status, data.individualEol))
    return status.setFault(Fault::kIndividual);
  data.allocateGenotypes();
  if (scanMaxAlleles(paths.parental, data.nLoci, &data.maxAlleles, status, data.parentalEol))
    return status.setFault(Fault::kParental);
  data.allocateTheRest();
  return 0;
}

int readParental(const InputPaths& paths, DataSet& d, std::ostream& report, Status& status) {
  if (readParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci, d.maxAlleles,
                       paths.parental, status, d.parentalEol))
    return status.setFault(Fault::kParental);
  if (checkParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.locusUsed.data(),
                        d.nLoci, d.maxAlleles, status, report))
    return status.setFault(Fault::kParental);
  return 0;
}

int readIndividuals(const InputPaths& paths, DataSet& d, Status& status) {
  d.nameWidth = 10;
  if (readIndData(d.genotypes.rows(), d.indNames.data(), paths.individual, d.nLoci, d.nCols,
                  d.nInd, d.maxAlleles, d.locusType.data(), d.locusUsed.data(), &d.nameWidth,
                  status, d.individualEol))
    return status.setFault(Fault::kIndividual);
  if (checkIndData(d.genotypes.rows(), d.freqR.rows(), d.freqS.rows(), d.locusType.data(),
                   d.locusUsed.data(), d.nLoci, d.nCols, status))
    return status.setFault(Fault::kIndividual);
  return checkLocusTypes(d, status);
}

}  // namespace

int countLoci(const InputPaths& paths, DataSet& data, Status& status) {
  const int parentalRows = findNumberRowsAndTerminator(paths.parental, &data.parentalEol);
  const int individualRows = findNumberRowsAndTerminator(paths.individual, &data.individualEol);
  if (checkRecordCount(paths.parental, parentalRows, status))
    return status.setFault(Fault::kParental);
  if (checkRecordCount(paths.individual, individualRows, status))
    return status.setFault(Fault::kIndividual);
  if (parentalRows != individualRows) {
    status.fail("Input files appear to differ in the number of loci they contain.");
    return status.setFault(Fault::kLoci);
  }
  data.nLoci = parentalRows - 1;
  return 0;
}

int checkLocusTypes(const DataSet& data, Status& status) {
  const int unknown = firstUnknownLocusType(data.locusType.data(), data.nLoci);
  if (unknown < 0) return 0;
  status.fail("Internal error in Likelihood(). Locus: %d", unknown);
  return status.setFault(Fault::kInternal);
}

int loadDataSet(const InputPaths& paths, DataSet& data, const ReportOpener& openReport,
                Status& status) {
  if (measureInputs(paths, data, status)) return 1;
  std::ostream* report = openReport(status);
  if (report == nullptr) return 1;
  if (readParental(paths, data, *report, status)) return 1;
  return readIndividuals(paths, data, status);
}

}  // namespace parmix
