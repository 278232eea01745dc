#include "file_association.h"

#include <algorithm>

#include "app_format/config_keys.h"
#include "base/text.h"
#include "configuration_entry.h"
#include "properties_file.h"

namespace kvx::bundle {
namespace {

bool fail(std::string* error, const std::string& file, const std::string& why) {
  *error = "--file-associations " + file + ": " + why;
  return false;
}

std::vector<std::string> listOf(const std::string& value) {
  std::vector<std::string> items;
  for (std::string_view item : splitAtAny(value, " ,\t")) {
    if (!item.empty()) items.emplace_back(item);
  }
  return items;
}

bool isMimeTokenCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$&-^_.+").find(c) != std::string_view::npos;
}

// type/subtype, each a token of RFC 6838's characters.
bool validMimeType(const std::string& type) {
  size_t slash = type.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == type.size()) return false;
  std::string_view kind = std::string_view(type).substr(0, slash);
  std::string_view subtype = std::string_view(type).substr(slash + 1);
  return std::all_of(kind.begin(), kind.end(), isMimeTokenCharacter) &&
         std::all_of(subtype.begin(), subtype.end(), isMimeTokenCharacter);
}

// A glob "*.EXT" must match exactly that ending: nothing a glob or a path reads.
bool validExtension(const std::string& extension) {
  return extension.front() != '.' && std::none_of(extension.begin(), extension.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20 || c == 0x7f || std::string_view("/*?[]\\\"'<>&").find(c) != std::string_view::npos;
         });
}

bool hasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

bool take(FileAssociation& a, const std::string& key, const std::string& value, std::string* error) {
  if (key == "extension") {
    a.extensions = listOf(value);
    for (const std::string& extension : a.extensions) {
      if (!validExtension(extension)) {
        return fail(error, a.file, "extension \"" + extension + "\": an extension is written without its dot and holds none of / * ? [ ] \\ \" ' < > &");
      }
    }
    return true;
  }
  if (key == "mime-type") {
    std::vector<std::string> types = listOf(value);
    if (types.size() != 1) return fail(error, a.file, "mime-type: one media type an association, not " + std::to_string(types.size()));
    if (!validMimeType(types[0])) return fail(error, a.file, "mime-type \"" + types[0] + "\" is no media type (type/subtype)");
    a.mimeType = types[0];
    return true;
  }
  if (key == "description") {
    if (hasControlCharacter(value)) return fail(error, a.file, "description: a value may not hold control characters");
    a.description = value;
    return true;
  }
  if (key == "icon") {
    a.icon = value;
    return true;
  }
  return fail(error, a.file, "unknown key \"" + key + "\" (extension, mime-type, description, icon)");
}

std::string xmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<FileAssociation> readFileAssociation(const std::string& path, std::string* error) {
  std::string reason;
  std::optional<Properties> properties = readPropertiesFile(path, &reason);
  if (!properties) {
    *error = "--file-associations " + reason;
    return std::nullopt;
  }
  FileAssociation association;
  association.file = path;
  for (const auto& [key, value] : *properties) {
    if (!take(association, key, value, error)) return std::nullopt;
  }
  if (association.extensions.empty()) {
    fail(error, path, "extension is required: the desktop tells the documents by their ending");
    return std::nullopt;
  }
  if (association.mimeType.empty()) {
    fail(error, path, "mime-type is required: the desktop entry names the documents by their media type");
    return std::nullopt;
  }
  return association;
}

std::vector<std::string> mimeTypesOf(const std::vector<FileAssociation>& associations) {
  std::vector<std::string> types;
  for (const FileAssociation& association : associations) {
    if (std::find(types.begin(), types.end(), association.mimeType) == types.end()) types.push_back(association.mimeType);
  }
  return types;
}

std::string mimeTypeIconName(const std::string& mimeType) {
  std::string name = mimeType;
  std::replace(name.begin(), name.end(), '/', '-');
  return name;
}

std::string associationIconFile(const FileAssociation& association) {
  return mimeTypeIconName(association.mimeType) + ".png";
}

std::string associationName(const FileAssociation& association, const std::string& applicationName) {
  return association.description.value_or(applicationName + " document");
}

plist::Value documentTypes(const std::vector<FileAssociation>& associations, const std::string& applicationName,
                           const std::vector<std::string>& iconFiles) {
  plist::Array types;
  for (size_t i = 0; i < associations.size(); ++i) {
    const FileAssociation& a = associations[i];
    plist::Dictionary type;
    type.emplace_back(std::string(config::kDocumentTypeName), plist::Value::string(associationName(a, applicationName)));
    type.emplace_back(std::string(config::kDocumentTypeRole), plist::Value::string("Editor"));
    type.emplace_back(std::string(config::kDocumentTypeExtensions), stringArray(a.extensions));
    type.emplace_back(std::string(config::kDocumentTypeMIMETypes), stringArray({a.mimeType}));
    if (i < iconFiles.size() && !iconFiles[i].empty()) type.emplace_back(std::string(config::kDocumentTypeIconFile), plist::Value::string(iconFiles[i]));
    types.push_back(plist::Value::dictionary(std::move(type)));
  }
  return plist::Value::array(std::move(types));
}

std::string sharedMimeInfo(const std::vector<FileAssociation>& associations, const std::string& applicationName) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const FileAssociation& a : associations) {
    xml += "  <mime-type type=\"" + xmlEscaped(a.mimeType) + "\">\n";
    xml += "    <comment>" + xmlEscaped(associationName(a, applicationName)) + "</comment>\n";
    for (const std::string& extension : a.extensions) xml += "    <glob pattern=\"*." + xmlEscaped(extension) + "\"/>\n";
    xml += "  </mime-type>\n";
  }
  return xml + "</mime-info>\n";
}

}  // namespace kvx::bundle
