// Path strings, handled as the platform's string operations handle them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::platform {

// Joins with exactly one "/" between the parts (an empty part adds nothing).
std::string joinPath(std::string_view base, std::string_view component);
std::string lastPathComponent(std::string_view path);
std::string deletingLastPathComponent(std::string_view path);
// Absolute means beginning with "/" or "~".
bool isAbsolutePath(std::string_view path);
// Expands a leading "~", removes "." and empty components and a trailing "/",
// and in an absolute path folds each ".." against the component before it.
std::string standardizePath(std::string_view path);
std::string pathWithComponents(const std::vector<std::string>& components);

// HOME, else the password database; no trailing "/".
std::string homeDirectory();
// Where the user's own configuration and caches go: XDG_CONFIG_HOME and
// XDG_CACHE_HOME, else ~/.config and ~/.cache. A relative value is ignored,
// as the XDG rules say, so nothing is ever read relative to the current
// directory.
std::string userConfigDirectory();
std::string userCacheDirectory();
// XDG_DATA_HOME (absolute), else ~/.local/share: where a user's menu entries
// and icons go.
std::string userDataDirectory();
// ~/.local/bin, the XDG place for a user's own commands.
std::string userExecutableDirectory();
// TMPDIR, else "/tmp/", used as given.
std::optional<std::string> temporaryDirectory();

}  // namespace kvx::platform
