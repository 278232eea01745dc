// The functions of a runtime's launch library that the launcher calls, and
// the list record through which it hands expanded arguments back.
#pragma once

#include <cstddef>

#include "run/globals.h"
#include "platform/dynamic_library.h"

namespace kvx {

extern "C" {
// The library's own list: element array first, then the count, then the capacity.
struct JLIListRecord {
  char** elements;
  size_t size;
  size_t capacity;
};
typedef JLIListRecord* (*JLI_List_new_t)(size_t capacity);
typedef void (*JLI_List_add_t)(JLIListRecord* list, char* string);
typedef void (*JLI_InitArgProcessing_t)(unsigned char hasJavaArgs, unsigned char disableArgFile);
typedef JLIListRecord* (*JLI_PreprocessArg_t)(const char* arg, unsigned char expandSourceOpt);
typedef char* (*JLI_StringDup_t)(const char* string);
typedef void (*JLI_MemFree_t)(void* block);
}

// The six functions that expand "@" argument files; all six or none are used.
struct ArgumentFileFunctions {
  JLI_List_new_t listNew = nullptr;
  JLI_List_add_t listAdd = nullptr;
  JLI_InitArgProcessing_t initArgProcessing = nullptr;
  JLI_PreprocessArg_t preprocessArg = nullptr;
  JLI_StringDup_t stringDup = nullptr;
  JLI_MemFree_t memFree = nullptr;

  bool complete() const {
    return listNew && listAdd && initArgProcessing && preprocessArg && stringDup && memFree;
  }
};

struct LaunchLibraryFunctions {
  JLI_Launch_t launch = nullptr;
  ArgumentFileFunctions argumentFiles;
};

// Resolves the seven functions by name, in the order the library documents
// them; a missing one is left null.
LaunchLibraryFunctions resolveLaunchLibrary(const platform::DynamicLibrary& library);

// When an entry before optionsEnd begins with "@", replaces argc and argv by
// the vector as the library expands it; entries from optionsEnd on are
// copied as they stand. The vector stays as it is when there is no such
// entry, or when one of the six functions is missing.
void expandArgumentFiles(const ArgumentFileFunctions& functions, int& argc, char**& argv,
                         int optionsEnd);

}  // namespace kvx
