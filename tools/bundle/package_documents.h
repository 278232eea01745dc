// The documents every package carries beside the application: who holds
// its copyright under which license, and its history.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bundle_options.h"
#include "package_layout.h"

namespace kvx::bundle {

// The copyright notice: --copyright (else the vendor's or the name's, with
// no year), then the text of --license-file when given.
std::string copyrightText(const BundleOptions& options, const std::optional<std::string>& licenseText);

// "Name <address>": --vendor (else --name) and --linux-deb-maintainer, when
// given.
std::string maintainerOf(const BundleOptions& options);

// A Debian changelog with the one entry of this version, dated at time
// (seconds since 1970, UTC).
std::string debChangelog(const BundleOptions& options, const PackageLayout& layout, int64_t time);

// A date as RFC 5322 writes it, in UTC: "Thu, 01 Jan 1970 00:00:00 +0000".
std::string rfc5322Date(int64_t time);

// The one-line summary: --description, else "The NAME application".
std::string summaryOf(const BundleOptions& options);

}  // namespace kvx::bundle
