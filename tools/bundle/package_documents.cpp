#include "package_documents.h"

#include <cstdio>

namespace kvx::bundle {
namespace {

// The civil date of a day counted from 1970-01-01 (Howard Hinnant's
// algorithm), so that no time zone of the machine reaches a package.
void civilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  unsigned shifted = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  month = shifted < 10 ? shifted + 3 : shifted - 9;
  year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::string rfc5322Date(int64_t time) {
  static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int64_t days = time >= 0 ? time / 86400 : (time - 86399) / 86400;
  int64_t seconds = time - days * 86400;
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  civilFromDays(days, year, month, day);
  char text[64];
  (void)snprintf(text, sizeof text, "%s, %02u %s %lld %02lld:%02lld:%02lld +0000", kDays[((days % 7) + 7) % 7], day,
                 kMonths[month - 1], static_cast<long long>(year), static_cast<long long>(seconds / 3600),
                 static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

std::string maintainerOf(const BundleOptions& options) {
  std::string name = options.vendor.value_or(options.name);
  return options.package.maintainer ? name + " <" + *options.package.maintainer + ">" : name;
}

std::string summaryOf(const BundleOptions& options) {
  return options.description.value_or("The " + options.name + " application");
}

std::string copyrightText(const BundleOptions& options, const std::optional<std::string>& licenseText) {
  std::string text = options.name + "\n\n";
  text += options.package.copyright.value_or("Copyright " + options.vendor.value_or(options.name)) + "\n";
  if (licenseText) {
    text += "\n" + *licenseText;
    if (!licenseText->ends_with("\n")) text += "\n";
  }
  return text;
}

std::string debChangelog(const BundleOptions& options, const PackageLayout& layout, int64_t time) {
  return layout.name + " (" + layout.version + "-" + layout.release + ") unstable; urgency=medium\n\n" +
         "  * " + options.name + " " + layout.version + ", packaged with its launcher.\n\n" +
         " -- " + maintainerOf(options) + "  " + rfc5322Date(time) + "\n";
}

}  // namespace kvx::bundle
