// The exception the platform raises for failures that end a launch: a name,
// a reason and the call stack where it was raised.
#pragma once

#include <exception>
#include <string>
#include <vector>

namespace kvx {

class PlatformException : public std::exception {
 public:
  PlatformException(std::string name, std::string reason);

  const std::string& name() const { return name_; }
  const std::string& reason() const { return reason_; }
  const std::vector<std::string>& callStackSymbols() const { return callStack_; }
  // The description shown to the user: the reason.
  const char* what() const noexcept override { return reason_.c_str(); }

 private:
  std::string name_;
  std::string reason_;
  std::vector<std::string> callStack_;
};

}  // namespace kvx
