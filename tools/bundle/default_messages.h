// The texts an application ships when its packager gives no messages bundle.
// The launcher itself has no texts of its own: without a bundle, a user who
// lacks a suitable Java would see nothing but a line in a log.
#pragma once

#include <string>

namespace kvx::bundle {

// The English Localizable.strings for the launcher's message keys, naming
// the application.
std::string defaultLocalizableStrings(const std::string& appName);

}  // namespace kvx::bundle
