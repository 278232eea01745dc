// What a package's scripts do for its service: the unit is made known to
// systemd but left disabled and stopped on installation, stopped and
// disabled on removal, forgotten on purge. Every step is taken only when
// its tool is there, and systemd is spoken to only when it runs (not in a
// container or a chroot); none of them fails the package's installation.
#pragma once

#include <string>

namespace kvx::bundle {

// Debian's maintainer scripts, through deb-systemd-helper and
// deb-systemd-invoke, as Debian asks (systemctl only to reload): shell
// commands for postinst, prerm and postrm, each testing "$1" itself.
std::string debServicePostinst(const std::string& unit);
std::string debServicePrerm(const std::string& unit);
std::string debServicePostrm(const std::string& unit);

// rpm's %post, %preun and %postun bodies, each testing $1 itself.
std::string rpmServicePost(const std::string& unit);
std::string rpmServicePreun(const std::string& unit);
std::string rpmServicePostun(const std::string& unit);

// A maintainer script made of script (a whole one, or "") and commands.
std::string scriptWith(const std::string& script, const std::string& commands);

}  // namespace kvx::bundle
