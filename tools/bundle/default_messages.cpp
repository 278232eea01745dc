#include "default_messages.h"

namespace kvx::bundle {
namespace {

// The name inside a quoted strings-file value that the launcher formats:
// quotes and backslashes escaped, a per cent sign doubled.
std::string quotedName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '"' || c == '\\') out += '\\';
    out += c == '%' ? std::string("%%") : std::string(1, c);
  }
  return out;
}

}  // namespace

std::string defaultLocalizableStrings(const std::string& appName) {
  std::string name = quotedName(appName);
  return "/* Written by kvx-bundle; ship your own with --messages. */\n\n"
         "/* 1: the lowest Java release accepted, 2: the application's name */\n"
         "\"AppleJavaMinVersionError\" = \"%2$@ needs Java %1$@ or later. "
         "Please install it and start %2$@ again.\";\n\n"
         "/* 1: what went wrong */\n"
         "\"torqa.InternalError\" = \"" + name + " could not be started: %@\";\n\n"
         "\"NonWritablePackDir\" = \"" + name +
         " must finish its installation before its first start, but its folder cannot be written. "
         "Please start it once as a user who may change it.\";\n";
}

}  // namespace kvx::bundle
