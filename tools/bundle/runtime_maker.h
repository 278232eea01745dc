// Making an application's own small runtime with the JDK's tools.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jdk_location.h"
#include "platform/directory_handle.h"
#include "platform/interruption.h"
#include "step_log.h"

namespace kvx::bundle {

struct RuntimeRequest {
  const Jdk& jdk;
  std::vector<std::string> jars;        // the application's jars, to be analysed
  std::vector<std::string> addModules;  // --add-modules
  // Where the runtime goes, relative to workingDirectory; must not exist yet.
  std::string home;
  // The directory jlink and the new runtime's java run in.
  const platform::DirectoryHandle& workingDirectory;
  // SOURCE_DATE_EPOCH is set: two runs must give the same bytes.
  bool reproducible = false;
  // --default-modules: the modules jpackage would ship (default_modules.h) as well.
  bool defaultModules = false;
  // A modular application's module files, absolute. With linkedModule they
  // go into the runtime, starting from that module; without, jdeps reads
  // them so that the runtime holds the JDK's modules they require.
  std::vector<std::string> modulePath;
  std::optional<std::string> linkedModule;
  // --jlink-options: in place of kvx-bundle's own (jlinkDefaults()).
  std::optional<std::vector<std::string>> jlinkOptions;
};

// What jlink is given beyond the modules and the output, unless the
// packager gives options of their own: no debug attributes, manual pages
// or header files, which a launched application never reads.
std::vector<std::string> jlinkDefaults();

// The modules jdeps found, from its --print-module-deps output (one line of
// names separated by commas); java.base when it printed none.
std::vector<std::string> modulesOfJdepsOutput(const std::string& output);

// Makes a runtime at request.home holding the modules the jars need (found
// with jdeps) and the added ones, without debug attributes, manual pages and
// header files (jlinkDefaults(), or --jlink-options in their place), and with its own class-data-sharing archive, so that
// it starts as fast as a full runtime (java -Xshare:dump). A reproducible
// runtime from a JDK whose archive differs from run to run goes without
// one (see archiveIsStable). False with one
// line in *error, the failing tool's own complaint in it.
// Whether java -Xshare:dump of this feature release writes the same bytes
// at every run. Before 21 it does not: the archived heap objects lie where
// that run's collector put them.
bool archiveIsStable(int featureRelease);

bool makeRuntime(const RuntimeRequest& request, const StepLog& log,
                 const platform::InterruptionGuard* interruptions, std::string* error);

}  // namespace kvx::bundle
