// The strings-file reader over arbitrary bytes (old-style text in UTF-8 or
// UTF-16, or a property list): it must end in a table or a one-line reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "plist/strings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kvx::plist;
  std::vector<char> buffer(data, data + size);
  std::string_view bytes(buffer.data(), buffer.size());
  std::string error;
  std::optional<StringsTable> table = parseStringsFile(bytes, &error);
  if (!table && (error.empty() || error.find('\n') != std::string::npos)) abort();
  decodeText(bytes);
  return 0;
}
