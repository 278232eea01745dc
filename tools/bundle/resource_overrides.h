// --resource-dir: files of the packager's own that take the place of those
// kvx-bundle writes. They are used as they are, nothing filled in:
//   NAME.desktop  the desktop entry (of an app tree, and in a package)
//   NAME.png      the icon, when --icon is not given
//   NAME.service  the systemd unit of --launcher-as-service
//   NAME.rpmbuild the .rpm's build recipe; %{kvx_root} names the folder
//                 holding the package's files as they will be installed
//   control       the .deb's control file
//   postinst, prerm, postrm  the .deb's maintainer scripts
// NAME is --name. Other files in the folder are not looked at.
#pragma once

#include <optional>
#include <string>

#include "bundle_options.h"
#include "step_log.h"

namespace kvx::bundle {

// The packager's file of that name, when the folder has one; --verbose says
// that it is used.
std::optional<std::string> overridingFile(const BundleOptions& options, const std::string& fileName,
                                          const StepLog& log);

// The text a generated file is to have: the packager's file of that name
// when there is one, else generated. nullopt with one line in *error when
// the packager's file cannot be read.
std::optional<std::string> textOrOverride(const BundleOptions& options, const std::string& fileName,
                                          const std::string& generated, const StepLog& log, std::string* error);

// NAME.png as the icon of a tree that shows one, when --icon is not given.
void takeIconFromResources(BundleOptions& options, const StepLog& log);

}  // namespace kvx::bundle
