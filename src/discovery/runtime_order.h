// The order in which the entries of the system's runtime directory are tried.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "run/run_state.h"

namespace kvx {

struct RuntimeEntry {
  std::string name;
  // The version the runtime says it has (its release file); absent when it
  // says none, and always absent where names carry the version.
  OptString version;
};

// Newest first. Where entry names carry the version (jdk-21.jdk), by name.
// Where they carry a vendor (/usr/lib/jvm: java-17-openjdk-amd64,
// temurin-25-jdk-amd64), by the version each runtime holds, with the same
// token comparison; entries without a readable version follow in name order.
// An entry that is a link to another entry is left out: it would only try
// the same runtime twice.
std::vector<RuntimeEntry> runtimeEntriesNewestFirst(const std::string& directory,
                                                    std::vector<platform::DirectoryEntry> listing);

}  // namespace kvx
