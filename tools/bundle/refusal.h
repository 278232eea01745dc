// How every check of kvx-bundle refuses: false, with the one line the person
// reads in *error.
#pragma once

#include <string>
#include <utility>

namespace kvx::bundle {

inline bool fail(std::string* error, std::string message) {
  *error = std::move(message);
  return false;
}

}  // namespace kvx::bundle
