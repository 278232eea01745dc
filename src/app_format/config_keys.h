// Every key of an application's configuration (its Info.plist, or the
// dictionary embedded in a command-line launcher): where it sits, the type
// it must have, and what a value of another type does. The launcher reads
// its keys from here and kvx-bundle writes them from here, so the two cannot
// drift apart.
#pragma once

#include <string_view>

namespace kvx::config {

enum class Place { TopLevel, JavaVM };

enum class Type {
  String,
  // Read as the platform reads booleans: a number or text such as "YES"
  // counts too, a date, data, array or dictionary does not.
  Boolean,
  StringArray,
  // Elements of more than one type; the key's own reader checks them.
  Array,
  Dictionary,
};

// What the launcher does with a value of another type.
enum class OnWrongType {
  // The start ends with an internal error naming the key: the configuration
  // says something the launcher cannot do.
  EndsTheStart,
  // The value counts as absent and a trace line says so: the key only names
  // or describes the application, and the start does not depend on it.
  CountsAsAbsent,
};

// Who reads the key: the launcher (each such key is in the key table of
// docs/gui-launcher.md), or only the desktop and the packaging tools, for
// which kvx-bundle writes it.
enum class Reader { Launcher, Desktop };

struct Key {
  std::string_view name;
  Place place;
  Type type;
  OnWrongType onWrongType;
  Reader reader = Reader::Launcher;
};

using enum Place;
using enum Type;
using enum OnWrongType;
using enum Reader;

// What the platform and a person see of the application.
inline constexpr Key kName{"CFBundleName", TopLevel, String, EndsTheStart};
inline constexpr Key kExecutable{"CFBundleExecutable", TopLevel, String, CountsAsAbsent};
inline constexpr Key kIdentifier{"CFBundleIdentifier", TopLevel, String, CountsAsAbsent};
inline constexpr Key kIconFile{"CFBundleIconFile", TopLevel, String, EndsTheStart};
inline constexpr Key kPackageType{"CFBundlePackageType", TopLevel, String, CountsAsAbsent, Desktop};
inline constexpr Key kInfoDictionaryVersion{"CFBundleInfoDictionaryVersion", TopLevel, String, CountsAsAbsent, Desktop};
inline constexpr Key kShortVersion{"CFBundleShortVersionString", TopLevel, String, CountsAsAbsent, Desktop};
inline constexpr Key kVersion{"CFBundleVersion", TopLevel, String, CountsAsAbsent, Desktop};
inline constexpr Key kGetInfo{"CFBundleGetInfoString", TopLevel, String, CountsAsAbsent, Desktop};
inline constexpr Key kDocumentTypes{"CFBundleDocumentTypes", TopLevel, Array, CountsAsAbsent, Desktop};
inline constexpr Key kVendor{"kvx.vendor", TopLevel, String, CountsAsAbsent, Desktop};

// The launcher's own top-level keys.
inline constexpr Key kMinVersion{"kvx.minVersion", TopLevel, String, EndsTheStart};
inline constexpr Key kMaxVersion{"kvx.maxVersion", TopLevel, String, EndsTheStart};
inline constexpr Key kAllowBeta{"kvx.allowBeta", TopLevel, Boolean, EndsTheStart};
inline constexpr Key kAllowPassthrough{"kvx.allowPassthrough", TopLevel, Boolean, EndsTheStart};
inline constexpr Key kAppId{"kvx.appId", TopLevel, String, EndsTheStart};
inline constexpr Key kBaseDir{"kvx.baseDir", TopLevel, String, EndsTheStart};
inline constexpr Key kInSingleBundle{"kvx.inSingleBundle", TopLevel, Boolean, EndsTheStart};
inline constexpr Key kLauncherDir{"kvx.launcherDir", TopLevel, String, EndsTheStart};
inline constexpr Key kConfigFileId{"kvx.configFileId", TopLevel, String, EndsTheStart};
inline constexpr Key kStartupCache{"kvx.startupCache", TopLevel, Boolean, EndsTheStart};
inline constexpr Key kService{"kvx.service", TopLevel, String, CountsAsAbsent};
inline constexpr Key kKeepWorkingDirectory{"kvx.keepWorkingDirectory", TopLevel, Boolean, EndsTheStart};
inline constexpr Key kArgumentsOnlyWhenNone{"kvx.argumentsOnlyWhenNone", TopLevel, Boolean, EndsTheStart};
inline constexpr Key kAppDir{"kvx.appDir", TopLevel, String, EndsTheStart};
inline constexpr Key kMainModule{"kvx.mainModule", TopLevel, String, EndsTheStart};
// Holds the keys placed in JavaVM; another type holds none of them.
inline constexpr Key kJavaVM{"JavaVM", TopLevel, Dictionary, CountsAsAbsent};

// The keys inside JavaVM.
inline constexpr Key kMainClass{"MainClass", JavaVM, String, EndsTheStart};
inline constexpr Key kClassPath{"ClassPath", JavaVM, String, EndsTheStart};
inline constexpr Key kModulePath{"ModulePath", JavaVM, String, EndsTheStart};
inline constexpr Key kVMOptions{"VMOptionArray", JavaVM, StringArray, EndsTheStart};
inline constexpr Key kVersionSpecificVMOptions{"VersionSpecificVMOptions", JavaVM, Array, EndsTheStart};
inline constexpr Key kArguments{"ArgumentArray", JavaVM, StringArray, EndsTheStart};
inline constexpr Key kWorkingDirectory{"WorkingDirectory", JavaVM, String, EndsTheStart};
inline constexpr Key kSplashFile{"SplashFile", JavaVM, String, EndsTheStart};
inline constexpr Key kStartOnMainThread{"StartOnMainThread", JavaVM, Boolean, EndsTheStart};
inline constexpr Key kSearchSequence{"SearchSequence", JavaVM, StringArray, EndsTheStart};

inline constexpr Key kAllKeys[] = {
    kName, kExecutable, kIdentifier, kIconFile, kPackageType, kInfoDictionaryVersion, kShortVersion,
    kVersion, kGetInfo, kDocumentTypes, kVendor, kMinVersion, kMaxVersion, kAllowBeta,
    kAllowPassthrough, kAppId, kBaseDir, kInSingleBundle, kLauncherDir, kConfigFileId, kStartupCache,
    kService, kKeepWorkingDirectory, kArgumentsOnlyWhenNone, kAppDir, kMainModule, kJavaVM,
    kMainClass, kClassPath, kModulePath, kVMOptions, kVersionSpecificVMOptions, kArguments,
    kWorkingDirectory, kSplashFile, kStartOnMainThread, kSearchSequence,
};

// The keys of each dictionary in CFBundleDocumentTypes: the documents the
// application opens, as the platform's desktop reads them.
inline constexpr std::string_view kDocumentTypeName = "CFBundleTypeName";
inline constexpr std::string_view kDocumentTypeRole = "CFBundleTypeRole";
inline constexpr std::string_view kDocumentTypeExtensions = "CFBundleTypeExtensions";
inline constexpr std::string_view kDocumentTypeMIMETypes = "CFBundleTypeMIMETypes";
inline constexpr std::string_view kDocumentTypeIconFile = "CFBundleTypeIconFile";

}  // namespace kvx::config
