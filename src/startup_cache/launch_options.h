// What the assembled options of a start say that a startup cache depends on:
// the paths classes come from, the options that decide class-data sharing
// themselves, and the options the runtime checks a cache against.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx {

using OptionList = std::vector<std::string>;

// The first option that already decides how the runtime shares class data
// ("-Xshare:off", "-XX:SharedArchiveFile=…", "-XX:AOTCache=…", …), among the
// options and then the runtime's own option variables; nullopt when none does.
std::optional<std::string> decidingOption(const OptionList& options, const OptionList& variableOptions);

// The first option that names a file of further options ("@file",
// "-XX:VMOptionsFile=", "-XX:Flags="): the runtime reads it after the
// launcher has decided, so what it holds is unknown here.
std::optional<std::string> argumentFileOption(const OptionList& options);

// The class path the runtime will use: the last one the options give
// ("-Djava.class.path=", "-cp", "-classpath", "--class-path"), else the
// CLASSPATH variable, else the current directory.
std::string effectiveClassPath(const OptionList& options, const std::optional<std::string>& classPathVariable);

// Whether a system property changes which classes are loaded, or by which
// loader ("-Djdk.module.…", "-Djava.system.class.loader=").
bool isLoadingProperty(std::string_view option);

// The options a cache is made for: every option but system properties
// (except those that change how modules and classes are loaded), logging and
// the splash screen, which the runtime does not check; the class and module
// paths are left to their own entries.
OptionList keyedOptions(const OptionList& options);

// The options of one of the runtime's option variables (JAVA_TOOL_OPTIONS),
// split at white space; quotes keep white space inside an option.
OptionList splitVariableOptions(const std::string& value);

}  // namespace kvx
