// Where each part of a finished application lies, relative to its top
// directory: DEST/NAME.app for --type app, DEST/NAME for --type cli. These
// are the places the launcher looks at, so the two must agree.
#pragma once

#include <string>

#include "bundle_options.h"

namespace kvx::bundle {

struct BundleLayout {
  std::string top;             // "Hello.app" | "hello", in DEST
  std::string executable;      // the launcher: Contents/MacOS/Hello | bin/hello
  std::string inputCopy;       // the input's files: Contents/Resources/app | lib
  std::string classPathBase;   // inputCopy as the launcher names it from the application root
  std::string runtime;         // the shipped runtime: Contents/PlugIns/jre.bundle | .kestrovel/jre
  std::string runtimeHome;     // its home: <runtime>/Contents/Home | .kestrovel/jre
  std::string messagesBundle;  // <application root>/.kestrovel/Messages.bundle
  std::string resources;       // icon and desktop entry: Contents/Resources | "" (none)
  std::string infoPlist;       // Contents/Info.plist | "" (the configuration is embedded)
};

BundleLayout layoutFor(BundleType type, const std::string& name);

}  // namespace kvx::bundle
