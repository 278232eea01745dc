#include "params/java_parameters.h"
#include "run/diagnostic_log.h"

namespace kvx {

namespace {

// The system may add a process serial number as the first argument when
// it starts an application bundle; it is not meant for the application.
bool isProcessSerialNumber(size_t index, const std::string& argument) {
  return index == 1 && argument.starts_with("-psn_");
}

}  // namespace

void appendCommandLineParameters(const std::vector<std::string>& arguments, bool allowPassthrough,
                                 std::vector<std::string>& options, std::vector<std::string>& args) {
  for (size_t index = 1; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (isProcessSerialNumber(index, argument)) continue;
    KVX_TRACE("cl arg: %@ ", argument.c_str());
    if (allowPassthrough && argument.starts_with("-J")) {
      options.push_back(argument.substr(2));
    } else {
      args.push_back(argument);
    }
  }
}

void JavaParameters::addCommandLineParameters(StringList& options, StringList& args) const {
  const bool allow = run_.configFlag(config::kAllowPassthrough);
  appendCommandLineParameters(run_.arguments, allow, options, args);
}

}  // namespace kvx
