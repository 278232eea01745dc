// Writing a configuration into a copy of a launcher stub.
#pragma once

#include <string>

namespace kvx::embed {

struct EmbedRequest {
  std::string stub;
  std::string config;
  std::string output;
};

// Writes request.config into a copy of request.stub at request.output. On
// failure returns false and puts one line into *message, naming the file at fault.
bool embedConfiguration(const EmbedRequest& request, std::string* message);

}  // namespace kvx::embed
