#ifndef PARMIX_REPORT_RUN_OUTPUTS_HPP
#define PARMIX_REPORT_RUN_OUTPUTS_HPP

// The outputs of a run that reports through a Status: each goes through the
// one writer (input/output_file.hpp), and its failures become the run's
// failure of kind kReport with the writer's message.

#include <memory>
#include <string>
#include <vector>

#include "input/output_file.hpp"
#include "input/status.hpp"

namespace parmix {

// 0 when no output names an input or another output; 1 with the refusal
// in STATUS.  Outputs with an empty path are left out.
int refuseClashes(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs,
                  Status& status);

// The output opened; null with the failure in STATUS, or when its path is
// empty (no such output asked for).
std::unique_ptr<OutputFile> openOutput(const NamedPath& output, Status& status);

// Writes TEXT and puts the file in place: 0, or 1 with the failure in
// STATUS (an earlier file of that name is then as it was).
int finishOutput(OutputFile& file, const std::string& text, Status& status);

}  // namespace parmix

#endif
