// The XML property-list reader over arbitrary bytes, given without a
// terminating NUL as the embedded configuration is: it must end in a value
// or a one-line reason, and what it reads must be writable in binary.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "plist/plist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kvx::plist;
  std::vector<char> buffer(data, data + size);
  std::string error;
  std::optional<Value> value = parseXml(std::string_view(buffer.data(), buffer.size()), &error);
  if (!value) {
    if (error.empty() || error.find('\n') != std::string::npos) abort();
    return 0;
  }
  if (!parseBinary(writeBinary(*value), &error)) abort();
  describe(*value);
  return 0;
}
