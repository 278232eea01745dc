// A kind of document the application opens (--file-associations FILE): its
// file name extensions, its media type, what it is called and its icon, read
// from a properties file as the JDK's packaging tool takes one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plist/plist.h"

namespace kvx::bundle {

struct FileAssociation {
  std::string file;                        // the properties file it was read from
  std::vector<std::string> extensions;     // without the dot: "greet", "tar.gz"
  std::string mimeType;                    // application/x-greeting
  std::optional<std::string> description;
  std::optional<std::string> icon;         // a PNG file
};

// The association in the properties file at path: the keys extension (one
// or more, separated by blanks or commas), mime-type (one), description and
// icon. nullopt with one line in *error naming the file and the key at fault:
// an unknown key, no extension, no or several media types, a name that a
// glob or a media type cannot hold.
std::optional<FileAssociation> readFileAssociation(const std::string& path, std::string* error);

// The media types of the associations, in order, each once.
std::vector<std::string> mimeTypesOf(const std::vector<FileAssociation>& associations);

// The media type's name as the icon theme and file names take it: "/" made "-".
std::string mimeTypeIconName(const std::string& mimeType);

// The icon's file name in an app tree's Contents/Resources: <type-subtype>.png.
std::string associationIconFile(const FileAssociation& association);

// What it is called: the description, else "<application> document".
std::string associationName(const FileAssociation& association, const std::string& applicationName);

// CFBundleDocumentTypes: one dictionary an association, with the role Editor.
// iconFiles are the icons' names in Contents/Resources, "" where there is none.
plist::Value documentTypes(const std::vector<FileAssociation>& associations, const std::string& applicationName,
                           const std::vector<std::string>& iconFiles);

// A shared-MIME-info file telling the desktop each association's media type
// by its extensions.
std::string sharedMimeInfo(const std::vector<FileAssociation>& associations, const std::string& applicationName);

}  // namespace kvx::bundle
