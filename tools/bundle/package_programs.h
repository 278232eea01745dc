// The system's packaging programs (dpkg-deb, dpkg-shlibdeps, rpmbuild, …),
// found on PATH as a shell would find them.
#pragma once

#include <optional>
#include <string>

namespace kvx::bundle {

// The first executable file named name in PATH's folders (the standard
// folders when PATH is unset), or nullopt with *error saying which program
// is missing and which Debian package brings it.
std::optional<std::string> findPackagingProgram(const std::string& name, const std::string& debianPackage,
                                                std::string* error);

}  // namespace kvx::bundle
