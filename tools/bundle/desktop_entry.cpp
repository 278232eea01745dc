#include "desktop_entry.h"

#include <algorithm>

namespace kvx::bundle {
namespace {

// A value of a string key: backslash and line breaks escaped.
std::string escapedValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// A program path as one quoted argument of Exec. Inside the quotes " ` $
// and backslash take a backslash, and the value's own escaping doubles every
// backslash again; a per cent sign, which would begin a field code, is doubled.
std::string execQuotedText(const std::string& path) {
  std::string out;
  for (char c : path) {
    switch (c) {
      case '"':
      case '`':
      case '$': out += std::string(2, '\\') + c; break;
      case '\\': out += std::string(4, '\\'); break;
      case '%': out += "%%"; break;
      default: out += c;
    }
  }
  return out;
}

std::string quotedExecArgument(const std::string& path) { return "\"" + execQuotedText(path) + "\""; }

std::string replacedAll(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
  return text;
}

std::string line(const char* key, const std::string& value) { return std::string(key) + "=" + value + "\n"; }

}  // namespace

std::string desktopEntryFileName(const std::string& name, const std::optional<std::string>& identifier) {
  return identifier.value_or(name) + ".desktop";
}

std::string desktopEntry(const DesktopEntryParts& parts) {
  std::string app = kAppPathPlaceholder;
  std::string windowClass = parts.mainClass;
  std::replace(windowClass.begin(), windowClass.end(), '.', '-');
  std::string entry = "[Desktop Entry]\n";
  entry += line("Type", "Application");
  entry += line("Name", escapedValue(parts.name));
  if (parts.description) entry += line("Comment", escapedValue(*parts.description));
  std::string documents = parts.mimeTypes.empty() ? "" : " %F";
  entry += line("Exec", quotedExecArgument(app + "/" + parts.executable) + documents);
  if (parts.icon) entry += line("Icon", app + "/" + *parts.icon);
  entry += line("Terminal", parts.terminal ? "true" : "false");
  // A terminal's windows are the terminal's own.
  if (!parts.terminal) entry += line("StartupWMClass", windowClass);
  if (!parts.mimeTypes.empty()) {
    std::string types;
    for (const std::string& type : parts.mimeTypes) types += type + ";";
    entry += line("MimeType", types);
  }
  return entry;
}

std::string placedDesktopEntry(const std::string& entry, const std::string& appPath,
                               const std::optional<std::string>& iconName) {
  std::string placed;
  size_t start = 0;
  while (start < entry.size()) {
    size_t end = entry.find('\n', start);
    if (end == std::string::npos) end = entry.size();
    std::string text = entry.substr(start, end - start);
    start = end + 1;
    if (text.starts_with("Icon=") && iconName) {
      text = "Icon=" + escapedValue(*iconName);
    } else if (text.starts_with("Exec=")) {
      // The placeholder stands inside the quoted argument.
      text = replacedAll(text, kAppPathPlaceholder, execQuotedText(appPath));
    } else {
      text = replacedAll(text, kAppPathPlaceholder, escapedValue(appPath));
    }
    placed += text + "\n";
  }
  return placed;
}

}  // namespace kvx::bundle
