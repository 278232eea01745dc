// Hands the launcher's own command line on to the Java application.
#pragma once

#include <string>
#include <vector>

namespace kvx {

// Appends arguments (element 0 the program's path, which is skipped) to
// args, or, when allowPassthrough is set and an argument begins with "-J",
// the rest of that argument to options. Arguments are handed on unchanged.
void appendCommandLineParameters(const std::vector<std::string>& arguments, bool allowPassthrough,
                                 std::vector<std::string>& options, std::vector<std::string>& args);

}  // namespace kvx
