// The two exceptions a start can end with. Below the entry nothing catches
// them to carry on, and nothing ends the process: the entry turns each into
// what the user sees and into the exit status.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace kvx {

// Where an exception was raised. std::source_location would do, but not
// every compiler that builds the launcher (clang 14 with this C++ library)
// provides it; the builtins it rests on are there in both.
struct SourceLocation {
  const char* file = "";
  unsigned line = 0;
  const char* function = "";

  static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                          unsigned line = __builtin_LINE(),
                                          const char* function = __builtin_FUNCTION()) {
    return {file, line, function};
  }
};

// A failure the launcher did not plan for (a value of the wrong type in a
// configuration, a runtime library that cannot be loaded): a name, a reason,
// where it was raised and the call stack there. The user is shown the reason
// under "torqa.InternalError".
class PlatformException : public std::exception {
 public:
  PlatformException(std::string name, std::string reason,
                    SourceLocation where = SourceLocation::current());

  const std::string& name() const { return name_; }
  const std::string& reason() const { return reason_; }
  const SourceLocation& where() const { return where_; }
  const std::vector<std::string>& callStackSymbols() const { return callStack_; }
  // The description shown to the user: the reason.
  const char* what() const noexcept override { return reason_.c_str(); }

 private:
  std::string name_;
  std::string reason_;
  SourceLocation where_;
  std::vector<std::string> callStack_;
};

// A value of the configuration (or of a file read as one) of another type
// than the key needs: the packager's mistake, reported as a configuration
// that cannot be used rather than as a fault of the launcher.
class ValueTypeError : public PlatformException {
 public:
  using PlatformException::PlatformException;
};

// A failure the user is told about by a message key of the application's
// messages, with up to two infos for its placeholders.
class MessageError : public std::exception {
 public:
  explicit MessageError(std::string key, std::optional<std::string> info1 = std::nullopt,
                        std::optional<std::string> info2 = std::nullopt)
      : key_(std::move(key)), info1_(std::move(info1)), info2_(std::move(info2)) {}

  const std::string& key() const { return key_; }
  const std::optional<std::string>& info1() const { return info1_; }
  const std::optional<std::string>& info2() const { return info2_; }
  const char* what() const noexcept override { return key_.c_str(); }

 private:
  std::string key_;
  std::optional<std::string> info1_;
  std::optional<std::string> info2_;
};

}  // namespace kvx
