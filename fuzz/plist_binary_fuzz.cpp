// The binary property-list reader over arbitrary bytes: it must end in a
// value or a reason, never read outside the buffer, and what it reads must
// survive being written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/exception.h"
#include "plist/plist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kvx::plist;
  // An allocation of exactly the input's size, so that a read past it is caught.
  std::vector<char> buffer(data, data + size);
  std::string error;
  std::optional<Value> value = parseBinary(std::string_view(buffer.data(), buffer.size()), &error);
  if (!value) {
    if (error.empty() || error.find('\n') != std::string::npos) abort();
    return 0;
  }
  std::optional<Value> again = parseBinary(writeBinary(*value), &error);
  if (!again || describe(*again) != describe(*value)) abort();
  try {
    boolValue(*value);
    integerValue(*value);
  } catch (const kvx::PlatformException&) {
  }
  return 0;
}
