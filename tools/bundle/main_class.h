// Which class starts the application, checked against the jars themselves.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::bundle {

struct MainClassChoice {
  std::string mainClass;    // as written for the launcher
  std::string mainJar;      // relative to the input: first on the class path
  std::string minimumJava;  // the release its class file needs ("17", "1.8")
};

struct MainClassRequest {
  std::string input;                    // the input directory
  std::vector<std::string> jars;        // every jar in it, relative, in byte order
  std::optional<std::string> mainJar;   // --main-jar
  std::optional<std::string> mainClass; // --main-class
};

// The class is --main-class, else the Main-Class of the main jar's manifest.
// The main jar is --main-jar; else, with --main-class, the jar that holds
// the class; else the one jar whose manifest names a Main-Class. Every jar is opened, so a broken one is found
// here. nullopt with one line in *error when a jar cannot be read, the main
// jar is not in the input, it names no Main-Class and none is given, or the
// class is in none of the jars (naming the class and the jars).
std::optional<MainClassChoice> chooseMainClass(const MainClassRequest& request, std::string* error);

}  // namespace kvx::bundle
