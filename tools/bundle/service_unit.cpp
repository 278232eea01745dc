#include "service_unit.h"

#include "package_documents.h"

namespace kvx::bundle {
namespace {

// Free text of a unit, where only "%" starts a specifier.
std::string unitText(const std::string& text) {
  std::string escaped;
  for (char c : text) escaped += c == '%' ? std::string("%%") : std::string(1, c);
  return escaped;
}

}  // namespace

std::string serviceUnitName(const PackageLayout& layout) { return layout.name + ".service"; }

std::string unitCommandWord(const std::string& text) {
  std::string word = "\"";
  for (char c : text) {
    if (c == '%') word += "%%";
    else if (c == '$') word += "$$";
    else if (c == '"' || c == '\\') word += std::string("\\") + c;
    else word += c;
  }
  return word + "\"";
}

std::string serviceUnit(const BundleOptions& options, const PackageLayout& layout) {
  std::string documentation = options.package.aboutUrl.value_or("file:/" + layout.docDir + "/copyright");
  std::string unit;
  unit += "[Unit]\n";
  unit += "Description=" + unitText(summaryOf(options)) + "\n";
  unit += "Documentation=" + unitText(documentation) + "\n";
  unit += "\n[Service]\n";
  // Not the daemonising "start": systemd watches the process it started,
  // which must be the application, not a parent that ends at once.
  // Type=simple rather than exec: systemd before 240 knows no exec.
  unit += "Type=simple\n";
  unit += "ExecStart=" + unitCommandWord(layout.executable) + " run\n";
  // The virtual machine ends on SIGTERM with 128 + 15.
  unit += "SuccessExitStatus=143\n";
  // A Java application never needs to gain privileges through a
  // set-user-ID program, and lintian asks a service for one such setting.
  unit += "NoNewPrivileges=true\n";
  unit += "\n[Install]\n";
  unit += "WantedBy=multi-user.target\n";
  return unit;
}

}  // namespace kvx::bundle
