// Runtimes laid out on disk for tests: executable headers for chosen
// processors, runtime bundles with their Info.plist, plain JDK homes.
#pragma once

#include <stdio.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace kvx::test {

inline void putU32(std::string& bytes, size_t offset, uint32_t value, bool bigEndian) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4, '\0');
  for (size_t i = 0; i < 4; ++i)
    bytes[offset + i] = static_cast<char>(value >> (8 * (bigEndian ? 3 - i : i)));
}

// A 64-byte ELF header for machine (62 x86_64, 183 aarch64, 3 i386, 40 arm).
inline std::string elfHeader(uint16_t machine, bool is64 = true, bool bigEndian = false) {
  std::string bytes(64, '\0');
  bytes.replace(0, 4, "\x7F" "ELF");
  bytes[4] = is64 ? 2 : 1;
  bytes[5] = bigEndian ? 2 : 1;
  bytes[6] = 1;
  bytes[16] = bigEndian ? 0 : 3;  // e_type ET_DYN
  bytes[18] = static_cast<char>(bigEndian ? machine >> 8 : machine & 0xFF);
  bytes[19] = static_cast<char>(bigEndian ? machine & 0xFF : machine >> 8);
  return bytes;
}

// A thin Mach-O header (32 bytes for 64-bit, 28 for 32-bit).
inline std::string machOHeader(uint32_t cpuType, bool is64 = true, bool bigEndian = false) {
  std::string bytes(is64 ? 32 : 28, '\0');
  putU32(bytes, 0, is64 ? 0xFEEDFACF : 0xFEEDFACE, bigEndian);
  putU32(bytes, 4, cpuType, bigEndian);
  return bytes;
}

// A fat header listing the given processor types (big-endian, as written).
inline std::string fatHeader(const std::vector<uint32_t>& cpuTypes, bool is64 = false) {
  size_t entry = is64 ? 32 : 20;
  std::string bytes(8 + cpuTypes.size() * entry, '\0');
  putU32(bytes, 0, is64 ? 0xCAFEBABF : 0xCAFEBABE, true);
  putU32(bytes, 4, static_cast<uint32_t>(cpuTypes.size()), true);
  for (size_t i = 0; i < cpuTypes.size(); ++i) putU32(bytes, 8 + i * entry, cpuTypes[i], true);
  return bytes;
}

// The ELF header of the processor these tests run on, and one of another.
inline std::string nativeExecutable() {
#if defined(__aarch64__)
  return elfHeader(183);
#else
  return elfHeader(62);
#endif
}
inline std::string foreignExecutable() {
#if defined(__aarch64__)
  return elfHeader(62);
#else
  return elfHeader(183);
#endif
}

inline std::string xmlPlist(const std::string& dictBody) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n" +
         dictBody + "</dict>\n</plist>\n";
}

inline std::string xmlKeyString(const std::string& key, const std::string& value) {
  return "<key>" + key + "</key><string>" + value + "</string>\n";
}

// The dictionary body of a runtime's Info.plist: "JavaVM" → "JVMVersion"
// when a version is given, the executable's name, and any extra entries.
inline std::string runtimeInfoBody(const std::string* jvmVersion, const std::string& extra = "") {
  std::string body = xmlKeyString("CFBundleExecutable", "libjli.so");
  if (jvmVersion) body += "<key>JavaVM</key><dict>" + xmlKeyString("JVMVersion", *jvmVersion) + "</dict>\n";
  return body + extra;
}

// bundle/Contents/{Info.plist,MacOS/libjli.so}.
inline void makeRuntimeBundle(const std::string& bundle, const std::string& infoPlist,
                              const std::string& executable = nativeExecutable()) {
  writeFile(bundle + "/Contents/Info.plist", infoPlist);
  writeFile(bundle + "/Contents/MacOS/libjli.so", executable);
}

// A bundle for the processor the tests run on that names jvmVersion.
inline void makeVersionedBundle(const std::string& bundle, const std::string& jvmVersion) {
  makeRuntimeBundle(bundle, xmlPlist(runtimeInfoBody(&jvmVersion)));
}

// A JDK home as Linux distributions install it: release and lib/libjli.so.
inline void makePlainHome(const std::string& home, const std::string& javaVersion,
                          const std::string& executable = nativeExecutable()) {
  writeFile(home + "/release", "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + javaVersion +
                                   "\"\nJAVA_VERSION_DATE=\"2025-01-01\"\n");
  writeFile(home + "/lib/libjli.so", executable);
}

// Writes a property list with Python's plistlib, an independent writer;
// json is the value in JSON.
inline void writePlistWithPython(const std::string& path, const std::string& json, bool binary) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::string command =
      "python3 -c 'import json,plistlib,sys; plistlib.dump(json.load(sys.stdin), "
      "open(sys.argv[1], \"wb\"), fmt=plistlib." +
      std::string(binary ? "FMT_BINARY" : "FMT_XML") + ")' '" + path + "'";
  FILE* pipe = popen(command.c_str(), "w");
  if (!pipe) throw std::runtime_error("cannot start python3");
  fwrite(json.data(), 1, json.size(), pipe);
  if (pclose(pipe) != 0) throw std::runtime_error("python3 could not write " + path);
}

}  // namespace kvx::test
