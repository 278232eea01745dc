#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/environment.h"

namespace kvx::platform {

std::string joinPath(std::string_view base, std::string_view component) {
  if (component.empty()) return std::string(base);
  if (base.empty()) return std::string(component);
  std::string result(base);
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  size_t skip = 0;
  while (skip < component.size() && component[skip] == '/') ++skip;
  if (result != "/") result += '/';
  result.append(component.substr(skip));
  return result;
}

std::string lastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return "/";
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string deletingLastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return "/";
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return "";
  if (slash == 0) return "/";
  std::string_view dir = path.substr(0, slash);
  while (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
  return std::string(dir);
}

bool isAbsolutePath(std::string_view path) {
  return !path.empty() && (path[0] == '/' || path[0] == '~');
}

namespace {

// "~" is the user's home, "~name" that user's; an unknown user is left as written.
std::string withHomeExpanded(std::string path) {
  if (path.empty() || path[0] != '~') return path;
  const size_t slash = path.find('/');
  const std::string user = path.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
  const std::string rest = slash == std::string::npos ? std::string() : path.substr(slash);
  if (user.empty()) return homeDirectory() + rest;
  if (const struct passwd* entry = getpwnam(user.c_str())) return entry->pw_dir + rest;
  return path;
}

}  // namespace

std::string standardizePath(std::string_view input) {
  std::string path = withHomeExpanded(std::string(input));
  bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string_view> parts;
  for (std::string_view part : splitAt(path, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == ".." && absolute) {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '/';
    result += parts[i];
  }
  return result;
}

std::string pathWithComponents(const std::vector<std::string>& components) {
  std::string result;
  for (const std::string& c : components) result = result.empty() ? c : joinPath(result, c);
  return result;
}

std::string homeDirectory() {
  std::optional<std::string> home = getEnv("HOME");
  std::string result;
  if (home && !home->empty()) {
    result = *home;
  } else if (const struct passwd* pw = getpwuid(getuid())) {
    result = pw->pw_dir;
  }
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

namespace {

std::string xdgDirectory(const char* variable, const char* fallbackInHome) {
  std::optional<std::string> value = getEnv(variable);
  if (value && value->starts_with('/')) return *value;
  return joinPath(homeDirectory(), fallbackInHome);
}

}  // namespace

std::string userConfigDirectory() { return xdgDirectory("XDG_CONFIG_HOME", ".config"); }

std::string userCacheDirectory() { return xdgDirectory("XDG_CACHE_HOME", ".cache"); }

std::string userDataDirectory() { return xdgDirectory("XDG_DATA_HOME", ".local/share"); }

std::string userExecutableDirectory() { return joinPath(homeDirectory(), ".local/bin"); }

std::optional<std::string> temporaryDirectory() {
  std::optional<std::string> tmp = getEnv("TMPDIR");
  if (tmp && !tmp->empty()) return tmp;
  return std::string("/tmp/");
}

}  // namespace kvx::platform
