#include "launcher/message_format.h"

namespace kvx {
namespace {

// "%N$@" at text[pos]: N (from 1) and the length, or 0 when it is not one.
size_t positionalPlaceholder(std::string_view text, size_t pos, size_t* index) {
  size_t i = pos + 1;
  size_t n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 1000) {
    n = n * 10 + static_cast<size_t>(text[i] - '0');
    ++i;
  }
  if (n == 0 || i + 1 >= text.size() || text[i] != '$' || text[i + 1] != '@') return 0;
  *index = n;
  return i + 2 - pos;
}

}  // namespace

std::string formatMessage(std::string_view text, const std::vector<std::string>& infos) {
  std::string out;
  size_t next = 0;
  auto info = [&](size_t index) -> std::string_view {
    return index < infos.size() ? std::string_view(infos[index]) : std::string_view();
  };
  for (size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '%' || pos + 1 >= text.size()) {
      out += text[pos];
      continue;
    }
    size_t index = 0;
    if (text[pos + 1] == '@') {
      out += info(next++);
      ++pos;
    } else if (text[pos + 1] == '%') {
      out += '%';
      ++pos;
    } else if (size_t length = positionalPlaceholder(text, pos, &index)) {
      out += info(index - 1);
      pos += length - 1;
    } else {
      out += '%';
    }
  }
  return out;
}

}  // namespace kvx
