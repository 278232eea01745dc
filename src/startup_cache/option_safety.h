// Which options the launcher knows to be harmless with the startup cache:
// with them, listing the loaded classes, and later mapping an archive built
// from that list, leaves everything the user sees as it would be without the
// cache. Any other option means no cache for that start: a guess could turn
// a working start into a failing one, or hide what the runtime says.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx {

using OptionList = std::vector<std::string>;

// What an option is to the cache.
enum class OptionRole {
  // Not known to be harmless: no cache.
  Unknown,
  // Changes nothing about the archive; the start alone takes it.
  Harmless,
  // Decides which archive the runtime can map (heap layout, collector,
  // module graph): the run that builds the archive takes it too.
  ShapesArchive,
  // The class path, which the key and the build take from the options.
  ClassPath,
};

// The role of options[i]; *consumed is how many elements the option takes
// (2 for "--add-opens VALUE" and "-cp PATH").
OptionRole roleOf(const OptionList& options, size_t i, int majorVersion, size_t* consumed);

// The first option not known to be harmless on this runtime, or nullopt.
// Options of the runtime's variables (JAVA_TOOL_OPTIONS, …) must be merely
// harmless: the build does not see them.
std::optional<std::string> unknownOption(const OptionList& options, const OptionList& variableOptions,
                                         int majorVersion);

// The options the build must be given so that the start can map its archive.
OptionList archiveShapingOptions(const OptionList& options, int majorVersion);

}  // namespace kvx
