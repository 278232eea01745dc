#include "argument_files.h"

#include "platform/files.h"
#include "platform/read_limits.h"

namespace kvx::bundle {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char escapedCharacter(char c) {
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    case 'f': return '\f';
    default: return c;
  }
}

// Splits a file's text the way its reader expects, one character at a time.
class ArgumentScanner {
 public:
  explicit ArgumentScanner(std::string_view text) : text_(text) {}

  std::optional<std::vector<std::string>> scan(std::string* error) {
    for (; at_ < text_.size(); ++at_) {
      char c = text_[at_];
      if (quote_) {
        if (!inQuote(c, error)) return std::nullopt;
      } else if (!outsideQuote(c)) {
        skipComment();
      }
      if (c == '\n') ++line_;
    }
    if (quote_) return unclosed(error);
    finishArgument();
    return std::move(arguments_);
  }

 private:
  bool inQuote(char c, std::string* error) {
    if (c == '\n') {
      unclosed(error);
      return false;
    }
    if (c == quote_) {
      quote_ = 0;
    } else if (c == '\\' && at_ + 1 < text_.size() && text_[at_ + 1] != '\n') {
      current_ += escapedCharacter(text_[++at_]);
    } else {
      current_ += c;
    }
    return true;
  }

  // False when a comment begins here.
  bool outsideQuote(char c) {
    if (isBlank(c)) {
      finishArgument();
    } else if (c == '#' && !inArgument_) {
      return false;
    } else if (c == '"' || c == '\'') {
      quote_ = c;
      inArgument_ = true;
    } else {
      current_ += c;
      inArgument_ = true;
    }
    return true;
  }

  void skipComment() {
    while (at_ + 1 < text_.size() && text_[at_ + 1] != '\n') ++at_;
  }

  void finishArgument() {
    if (inArgument_) arguments_.push_back(std::move(current_));
    current_.clear();
    inArgument_ = false;
  }

  std::optional<std::vector<std::string>> unclosed(std::string* error) {
    *error = "line " + std::to_string(line_) + ": a quote is not closed";
    return std::nullopt;
  }

  std::string_view text_;
  size_t at_ = 0;
  int line_ = 1;
  char quote_ = 0;
  bool inArgument_ = false;
  std::string current_;
  std::vector<std::string> arguments_;
};

}  // namespace

std::optional<std::vector<std::string>> argumentsOfText(std::string_view text, std::string* error) {
  return ArgumentScanner(text).scan(error);
}

std::optional<std::vector<std::string>> expandArgumentFiles(const std::vector<std::string>& args,
                                                            std::string* error) {
  std::vector<std::string> expanded;
  for (const std::string& arg : args) {
    if (!arg.starts_with("@") || arg.size() == 1) {
      expanded.push_back(arg);
      continue;
    }
    std::string path = arg.substr(1);
    std::optional<std::string> text = platform::readFile(path, platform::read_limit::kArgumentFile);
    if (!text) {
      *error = "@" + path + ": the file cannot be read";
      return std::nullopt;
    }
    std::string reason;
    std::optional<std::vector<std::string>> inFile = argumentsOfText(*text, &reason);
    if (!inFile) {
      *error = "@" + path;
      error->append(": ").append(reason);
      return std::nullopt;
    }
    expanded.insert(expanded.end(), inFile->begin(), inFile->end());
  }
  return expanded;
}

}  // namespace kvx::bundle
