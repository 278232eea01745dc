// The class path while options files edit it. Rebuilding the whole text at
// each "-classpath/p " or "-classpath/a " line would cost the square of the
// number of lines; here each edit costs its own length, and the text is
// joined once, when a reader wants it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvx {

class ClassPathDraft {
 public:
  explicit ClassPathDraft(std::optional<std::string> start) {
    if (start) replace(std::move(*start));
  }

  void replace(std::string value) {
    present_ = true;
    prepended_.clear();
    body_ = std::move(value);
  }
  // Before everything so far; on an absent class path the value alone.
  void prepend(std::string value) {
    if (present_) {
      prepended_.push_back(std::move(value));
    } else {
      replace(std::move(value));
    }
  }
  // After everything so far; on an absent class path the value alone.
  void append(std::string_view value) {
    if (present_) {
      body_.push_back(':');
      body_.append(value);
    } else {
      replace(std::string(value));
    }
  }

  std::optional<std::string> joined() const {
    if (!present_) return std::nullopt;
    std::string text;
    for (auto it = prepended_.rbegin(); it != prepended_.rend(); ++it) {
      text.append(*it);
      text.push_back(':');
    }
    text.append(body_);
    return text;
  }

 private:
  bool present_ = false;
  // Latest last: joined in reverse, each followed by ":".
  std::vector<std::string> prepended_;
  std::string body_;
};

}  // namespace kvx
