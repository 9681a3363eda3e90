#include "report/report_writer.hpp"

#include <ctime>
#include <iomanip>

namespace parmix {

namespace {
constexpr int kNumberWidth = 14;
}

void writeTimestamp(std::ostream& report) {
  const std::time_t now = std::time(nullptr);
  // ctime_r: the command may run in several threads' interpreters at once.
  char text[64];
  const char* stamp = ctime_r(&now, text);
  report << "Time-stamp: " << (stamp != nullptr ? stamp : "unknown\n") << std::endl;
}

void writeHeader(std::ostream& report, int nameWidth) {
  report << std::setw(nameWidth) << "Individual" << std::setw(kNumberWidth) << "h"
         << std::setw(kNumberWidth) << "Lower_Bound" << std::setw(kNumberWidth) << "Upper_Bound"
         << std::endl;
}

void writeOutputRow(std::ostream& report, std::string name, double h, double lowerBound,
                    double upperBound, const bool* truncated, int nameWidth) {
  report << std::setw(nameWidth) << name << std::setw(kNumberWidth) << h
         << std::setw(kNumberWidth) << lowerBound;
  if (truncated[0]) report << "*";
  report << std::setw(kNumberWidth) << upperBound;
  if (truncated[1]) report << "*";
  report << std::endl;
}

void writeEndingRow(std::ostream& report) {
  report << "\nNote: A * symbol indicates that the confidence interval is truncated by\n"
            "the upper or lower limit for h."
         << std::endl;
}

void useRowNumberFormat(std::ostream& report) {
  report.precision(5);
  report.setf(std::ios::fixed | std::ios::showpoint);
}

void writeReportBody(std::ostream& report, const std::string& notes,
                     const std::vector<std::string>& names,
                     const std::vector<IndividualEstimate>& rows, int nameWidth) {
  report << notes;
  writeHeader(report, nameWidth);
  useRowNumberFormat(report);
  for (std::size_t j = 0; j < rows.size(); ++j)
    writeOutputRow(report, names[j], rows[j].h, rows[j].lowerBound, rows[j].upperBound,
                   rows[j].truncated, nameWidth);
  writeEndingRow(report);
}

}  // namespace parmix
