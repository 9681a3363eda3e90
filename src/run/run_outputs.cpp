#include "run/run_outputs.hpp"

namespace parmix {

namespace {

int failWith(const InputError& error, Status& status) {
  status.fail("%s", error.what());
  return status.setFault(Fault::kReport);
}

}  // namespace

int refuseClashes(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs,
                  Status& status) {
  try {
    refuseOutputClashes(outputs, inputs);
    return 0;
  } catch (const InputError& error) {
    return failWith(error, status);
  }
}

std::unique_ptr<OutputFile> openOutput(const NamedPath& output, Status& status) {
  if (output.path.empty()) return nullptr;
  try {
    return std::make_unique<OutputFile>(output.path, output.role);
  } catch (const InputError& error) {
    failWith(error, status);
    return nullptr;
  }
}

int finishOutput(OutputFile& file, const std::string& text, Status& status) {
  try {
    file.write(text);
    file.commit();
    return 0;
  } catch (const InputError& error) {
    return failWith(error, status);
  }
}

}  // namespace parmix
