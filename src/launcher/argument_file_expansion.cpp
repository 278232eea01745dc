// "@" argument files are expanded by the runtime's own launch library, so
// that the launcher reads them exactly as that runtime's java command would.
#include <algorithm>

#include "launcher/argument_vector.h"
#include "run/diagnostic_log.h"
#include "launcher/launch_library.h"
#include "run/kept_until_exit.h"

namespace kvx {
namespace {

bool hasArgumentFile(int optionsEnd, char** argv) {
  for (int i = 0; i < optionsEnd; ++i) {
    if (argv[i][0] == '@') return true;
  }
  return false;
}

template <typename Function>
Function resolve(const platform::DynamicLibrary& library, const char* name) {
  return reinterpret_cast<Function>(library.symbol(name));
}

}  // namespace

LaunchLibraryFunctions resolveLaunchLibrary(const platform::DynamicLibrary& library) {
  LaunchLibraryFunctions f;
  f.launch = resolve<JLI_Launch_t>(library, "JLI_Launch");
  ArgumentFileFunctions& a = f.argumentFiles;
  a.listNew = resolve<JLI_List_new_t>(library, "JLI_List_new");
  a.listAdd = resolve<JLI_List_add_t>(library, "JLI_List_add");
  a.initArgProcessing = resolve<JLI_InitArgProcessing_t>(library, "JLI_InitArgProcessing");
  a.preprocessArg = resolve<JLI_PreprocessArg_t>(library, "JLI_PreprocessArg");
  a.stringDup = resolve<JLI_StringDup_t>(library, "JLI_StringDup");
  a.memFree = resolve<JLI_MemFree_t>(library, "JLI_MemFree");
  return f;
}

void expandArgumentFiles(const ArgumentFileFunctions& f, int& argc, char**& argv, int optionsEnd) {
  optionsEnd = std::clamp(optionsEnd, 0, argc);
  if (!hasArgumentFile(optionsEnd, argv)) return;
  KVX_TRACE("@ argument found");
  if (!f.complete()) {
    KVX_TRACE("did not find all list functions %p %p %p %p %p %p",
              reinterpret_cast<void*>(f.listNew), reinterpret_cast<void*>(f.listAdd),
              reinterpret_cast<void*>(f.initArgProcessing), reinterpret_cast<void*>(f.preprocessArg),
              reinterpret_cast<void*>(f.stringDup), reinterpret_cast<void*>(f.memFree));
    return;
  }
  f.initArgProcessing(true, false);
  JLIListRecord* list = f.listNew(static_cast<size_t>(argc) + 1);
  // The program path is never an argument file.
  f.listAdd(list, f.stringDup(argv[0]));
  for (int i = 1; i < argc; ++i) {
    JLIListRecord* replacement = i < optionsEnd ? f.preprocessArg(argv[i], true) : nullptr;
    if (replacement == nullptr) {
      f.listAdd(list, f.stringDup(argv[i]));
      continue;
    }
    // The list takes the strings over; only the replacement's record goes.
    int count = static_cast<int>(replacement->size);
    for (int k = 0; k < count; ++k) f.listAdd(list, replacement->elements[k]);
    f.memFree(replacement->elements);
    f.memFree(replacement);
  }
  argc = static_cast<int>(list->size);
  f.listAdd(list, nullptr);
  // Read after the terminator went in: adding may have moved the array.
  argv = list->elements;
  keepUntilExit(list);
}

}  // namespace kvx
