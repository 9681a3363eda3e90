#include "data_loader.hpp"

#include <sstream>

#include "validate/data_set_loader.hpp"

namespace parmix::bench {

bool loadDataSet(const std::string& parental, const std::string& individual, DataSet& data,
                 std::string& message) {
  std::ostringstream notes;
  Status status;
  const ReportOpener opener = [&notes](Status&) -> std::ostream* { return &notes; };
  if (parmix::loadDataSet({parental, individual}, data, opener, status) == 0) return true;
  message = status.message();
  return false;
}

}  // namespace parmix::bench
