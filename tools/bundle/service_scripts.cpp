#include "service_scripts.h"

namespace kvx::bundle {
namespace {

constexpr const char kReloadWhenRunning[] =
    "if [ -d /run/systemd/system ]; then\n"
    "  systemctl --system daemon-reload >/dev/null || true\n"
    "fi\n";

}  // namespace

// On an upgrade a service the administrator enabled stays enabled, and one
// running is restarted on the new files; a first installation (no state
// recorded yet: not debian-installed) enables and starts nothing.
std::string debServicePostinst(const std::string& unit) {
  return "if [ \"$1\" = configure ] || [ \"$1\" = abort-upgrade ] || [ \"$1\" = abort-deconfigure ] || "
         "[ \"$1\" = abort-remove ]; then\n"
         "  if command -v deb-systemd-helper >/dev/null 2>&1; then\n"
         "    if deb-systemd-helper debian-installed '" + unit + "'; then\n"
         "      deb-systemd-helper unmask '" + unit + "' >/dev/null || true\n"
         "      if deb-systemd-helper --quiet was-enabled '" + unit + "'; then\n"
         "        deb-systemd-helper enable '" + unit + "' >/dev/null || true\n"
         "      fi\n"
         "    fi\n"
         "    deb-systemd-helper update-state '" + unit + "' >/dev/null || true\n"
         "  fi\n"
         "  if [ -d /run/systemd/system ]; then\n"
         "    systemctl --system daemon-reload >/dev/null || true\n"
         "    if [ -n \"$2\" ] && command -v deb-systemd-invoke >/dev/null 2>&1; then\n"
         "      deb-systemd-invoke try-restart '" + unit + "' >/dev/null || true\n"
         "    fi\n"
         "  fi\n"
         "fi\n";
}

std::string debServicePrerm(const std::string& unit) {
  return "if [ \"$1\" = remove ] && [ -d /run/systemd/system ] && command -v deb-systemd-invoke >/dev/null 2>&1; then\n"
         "  deb-systemd-invoke stop '" + unit + "' >/dev/null || true\n"
         "fi\n";
}

// A removed package's unit is masked, so that its enablement is kept for
// a reinstallation but nothing starts it meanwhile; purging forgets all.
std::string debServicePostrm(const std::string& unit) {
  return "if command -v deb-systemd-helper >/dev/null 2>&1; then\n"
         "  if [ \"$1\" = remove ]; then\n"
         "    deb-systemd-helper mask '" + unit + "' >/dev/null || true\n"
         "  fi\n"
         "  if [ \"$1\" = purge ]; then\n"
         "    deb-systemd-helper purge '" + unit + "' >/dev/null || true\n"
         "    deb-systemd-helper unmask '" + unit + "' >/dev/null || true\n"
         "  fi\n"
         "fi\n" +
         std::string(kReloadWhenRunning);
}

std::string rpmServicePost(const std::string&) { return kReloadWhenRunning; }

// $1 is the number of the package's versions left: 0 on erasure.
std::string rpmServicePreun(const std::string& unit) {
  return "if [ \"$1\" -eq 0 ] && command -v systemctl >/dev/null 2>&1; then\n"
         "  systemctl --no-reload disable --now '" + unit + "' >/dev/null 2>&1 || true\n"
         "fi\n";
}

std::string rpmServicePostun(const std::string& unit) {
  return std::string(kReloadWhenRunning) +
         "if [ \"$1\" -ge 1 ] && [ -d /run/systemd/system ]; then\n"
         "  systemctl try-restart '" + unit + "' >/dev/null 2>&1 || true\n"
         "fi\n";
}

std::string scriptWith(const std::string& script, const std::string& commands) {
  if (commands.empty()) return script;
  if (script.empty()) return "#!/bin/sh\nset -e\n\n" + commands;
  return script + "\n" + commands;
}

}  // namespace kvx::bundle
