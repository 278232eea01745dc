// Installations laid out the way the launcher finds them: an application
// bundle whose executable is a copy of the built launcher, and runtimes whose
// launch library is the fake one built with the tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "plist/plist.h"
#include "test_support/temp_dir.h"

namespace kvx::test {

inline plist::Value str(std::string text) { return plist::Value::string(std::move(text)); }

inline plist::Value strings(const std::vector<std::string>& items) {
  plist::Array array;
  for (const std::string& item : items) array.push_back(plist::Value::string(item));
  return plist::Value::array(std::move(array));
}

inline plist::Value dict(plist::Dictionary entries) {
  return plist::Value::dictionary(std::move(entries));
}

struct AppBundle {
  std::string path;        // .../Foo.app
  std::string executable;  // .../Foo.app/Contents/MacOS/Foo
  std::string appRoot;     // .../Foo.app/Contents/Resources/app
};

// dir/<name>.app with info as Contents/Info.plist (binary), the launcher as
// Contents/MacOS/<name> and the test messages bundle in the application root.
inline AppBundle layOutApp(const std::string& dir, const std::string& name,
                           const plist::Value& info) {
  namespace fs = std::filesystem;
  AppBundle app{dir + "/" + name + ".app", "", ""};
  app.executable = app.path + "/Contents/MacOS/" + name;
  app.appRoot = app.path + "/Contents/Resources/app";
  writeFile(app.path + "/Contents/Info.plist", plist::writeBinary(info));
  fs::create_directories(app.path + "/Contents/MacOS");
  fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", app.executable,
                fs::copy_options::overwrite_existing);
  fs::create_directories(app.appRoot + "/.kestrovel");
  fs::copy(KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle",
           app.appRoot + "/.kestrovel/Messages.bundle",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  return app;
}

// The fake launch library, by variant: "fake-jli", "fake-jli-no-list-functions",
// "fake-jli-no-launch".
inline std::string fakeLibrary(const std::string& variant = "fake-jli") {
  return std::string(KVX_BUILD_DIR "/lib") + variant + ".so";
}

// Copies the fake library to path. A copy, not a link: each place must be a
// file of its own for the loader to tell them apart.
inline void placeFakeLibrary(const std::string& path, const std::string& variant = "fake-jli") {
  namespace fs = std::filesystem;
  fs::create_directories(fs::path(path).parent_path());
  fs::copy_file(fakeLibrary(variant), path, fs::copy_options::overwrite_existing);
}

// A plain runtime home of the given version: a release file and lib/libjli.so.
inline std::string layOutFakeRuntime(const std::string& home, const std::string& version,
                                     const std::string& variant = "fake-jli") {
  writeFile(home + "/release", "JAVA_VERSION=\"" + version + "\"\n");
  placeFakeLibrary(home + "/lib/libjli.so", variant);
  return home;
}

// The record that the fake library wrote, one line per item.
inline std::vector<std::string> recordLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The vector of the first recorded call of JLI_Launch, terminator excluded.
inline std::vector<std::string> recordedVector(const std::vector<std::string>& record) {
  std::vector<std::string> vector;
  for (const std::string& line : record) {
    if (line == "call reentry") break;
    if (line.rfind("argv[", 0) != 0) continue;
    std::string value = line.substr(line.find("] ") + 2);
    vector.push_back(value);
  }
  if (!vector.empty() && vector.back() == "(null)") vector.pop_back();
  return vector;
}

// The value of the first "name value" line, or "<absent>".
inline std::string recordedValue(const std::vector<std::string>& record, const std::string& name) {
  for (const std::string& line : record) {
    if (line.rfind(name + " ", 0) == 0) return line.substr(name.size() + 1);
  }
  return "<absent>";
}

}  // namespace kvx::test
