#include "launcher/argument_vector.h"

#include <cstdlib>
#include <cstring>

#include "run/kept_until_exit.h"

namespace kvx {

char** makeArgumentVector(const std::vector<std::string>& entries) {
  auto** vector = static_cast<char**>(calloc(entries.size() + 1, sizeof(char*)));
  for (size_t i = 0; i < entries.size(); ++i) vector[i] = strdup(entries[i].c_str());
  keepUntilExit(vector);
  return vector;
}

std::vector<std::string> launchVectorEntries(const std::string& programPath,
                                             const std::vector<std::string>& options,
                                             const std::string& javaBundlePath,
                                             const std::vector<std::string>& main,
                                             const std::vector<std::string>& args) {
  std::vector<std::string> entries;
  entries.reserve(options.size() + 2 + main.size() + args.size());
  entries.push_back(programPath);
  entries.insert(entries.end(), options.begin(), options.end());
  // Added on every launch, even when an option of that name is already there.
  entries.push_back("-Dkvx.jreBundle=" + javaBundlePath);
  entries.insert(entries.end(), main.begin(), main.end());
  entries.insert(entries.end(), args.begin(), args.end());
  return entries;
}

}  // namespace kvx
