// Everything the virtual machine is started with: options, class and module
// paths, main class and program arguments, from the configuration, the
// options files and the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "params/class_path_draft.h"
#include "params/main_entry.h"
#include "params/options_pass.h"
#include "run/run_state.h"
#include "run/runtime_choice.h"
#include "run/variables.h"

namespace kvx {

// One object is one pass over the option sources: a file included many times
// is read from disk once, the environment is taken once, at the first
// substitution (nothing the pass does changes it), and what substitution may
// add is bounded for the pass as a whole.
class JavaParameters {
 public:
  // runtime is the search's outcome so far; before a runtime is chosen its
  // fields are still absent.
  JavaParameters(const RunState& run, const RuntimeChoice& runtime) : run_(run), runtime_(runtime) {}

  // Sets LANG, changes the working directory and assembles the lists.
  void readJavaParameters(StringList& options, std::optional<MainEntry>& main, StringList& args,
                          bool* firstThread);

  // The option sources in their fixed order: the configuration's
  // "VMOptionArray", the options for the chosen runtime's version (only when
  // withVersionOptions), the bundle's vmoptions.txt (a GUI launcher), the
  // launcher's .vmoptions, the user's own options file. Appends to options and returns the class path
  // threaded through them. The runtime override is found in the same order.
  OptString addOptionSources(StringList& options, OptString classPath, bool withVersionOptions);

  // The command line after the program path: "-J" options (when the
  // configuration allows them) to options, the rest to args.
  void addCommandLineParameters(StringList& options, StringList& args) const;

  // A class or module path with environment references and directories of
  // archives expanded.
  static OptString resolveArtifactPath(const OptString& path);

  // An option list of the configuration: each element substituted and
  // appended, "-include-options FILE" elements read as options files.
  OptString addPredefinedOptions(const std::optional<StringList>& list, StringList& options,
                                 OptString classPath);
  // One options file and the files it includes; a missing file adds nothing.
  OptString readOptionsFile(const OptString& path, StringList& options, OptString classPath);

  OptString replaceVariables(const OptString& text) const;

  // The user's own options file for this application, read after the
  // installation's: ${XDG_CONFIG_HOME:-~/.config}/kestrovel/<id>.vmoptions,
  // where <id> is "CFBundleIdentifier", else the launcher's file name.
  std::optional<std::string> userOptionsFile() const;

 private:
  // The operations above with the class path as a draft, joined only when
  // the caller wants the text.
  void addPredefinedOptionsTo(const std::optional<StringList>& list, StringList& options,
                              ClassPathDraft& classPath);
  void readOptionsFileInto(const OptString& path, StringList& options, ClassPathDraft& classPath);
  // readOptionsFile once its path is expanded: no further substitution.
  void readOptionsFileAt(const std::string& filePath, StringList& options, ClassPathDraft& classPath);
  void applyOptionLine(const std::string& line, const std::string& fileDirectory, StringList& options,
                       ClassPathDraft& classPath);

  const RunState& run_;
  const RuntimeChoice& runtime_;
  OptionsPass pass_;
  // Taken at the first substitution.
  mutable std::optional<SubstitutionPass> substitutions_;
};

// Appends arguments (element 0 the program's path, which is skipped) to
// args, or, when allowPassthrough is set and an argument begins with "-J",
// the rest of that argument to options. Arguments are handed on unchanged.
void appendCommandLineParameters(const std::vector<std::string>& arguments, bool allowPassthrough,
                                 std::vector<std::string>& options, std::vector<std::string>& args);

// Whether the system knows the launcher as an application with a bundle.
bool isStartedWithoutBundle();

}  // namespace kvx
