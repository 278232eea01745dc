// Entries of the configuration kvx-bundle writes, named by the key table the
// launcher reads them with, so that each lies where the launcher looks and
// has the type it takes.
#pragma once

#include <string>
#include <vector>

#include "app_format/config_keys.h"
#include "plist/plist.h"

namespace kvx::bundle {

// Adds key's entry to dict, which is the top level or JavaVM as key says.
void addEntry(plist::Dictionary& dict, const config::Key& key, plist::Value value);

// Replaces the value of key's entry in dict; nothing when there is none.
void replaceEntry(plist::Dictionary& dict, const config::Key& key, plist::Value value);

// An array of strings, as VMOptionArray and ArgumentArray hold.
plist::Value stringArray(const std::vector<std::string>& values);

// A class or module path: each entry below base (as the launcher names the
// input's copy), in order, joined with ":".
std::string pathList(const std::string& base, const std::vector<std::string>& entries);

}  // namespace kvx::bundle
