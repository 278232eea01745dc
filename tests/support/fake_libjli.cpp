// Stands in for a runtime's launch library. It writes every call it receives
// to the file named by KVX_FAKE_JLI_RECORD, one "name value" line each, and
// returns from JLI_Launch the exit code named by KVX_FAKE_JLI_EXIT.
//
// With KVX_FAKE_JLI_REENTER=1, JLI_Launch calls the program's exported main
// again from a new thread with the vector it was given, as the library does on
// a platform whose GUI needs the first thread, and returns what that main
// returns. Built in three variants: complete, without the six list functions
// (FAKE_JLI_NO_LIST_FUNCTIONS) and without JLI_Launch (FAKE_JLI_NO_LAUNCH).
#include <dlfcn.h>
#include <pthread.h>

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void record(const char* format, ...) __attribute__((format(printf, 1, 2)));

void record(const char* format, ...) {
  const char* path = getenv("KVX_FAKE_JLI_RECORD");
  if (path == nullptr) return;
  FILE* out = fopen(path, "a");
  if (out == nullptr) return;
  va_list args;
  va_start(args, format);
  vfprintf(out, format, args);
  va_end(args);
  fputc('\n', out);
  fclose(out);
}

}  // namespace

#ifndef FAKE_JLI_NO_LIST_FUNCTIONS

struct FakeList {
  char** elements;
  size_t size;
  size_t capacity;
};

EXPORT FakeList* JLI_List_new(size_t capacity) {
  auto* list = static_cast<FakeList*>(malloc(sizeof(FakeList)));
  list->capacity = capacity > 0 ? capacity : 1;
  list->elements = static_cast<char**>(malloc(list->capacity * sizeof(char*)));
  list->size = 0;
  return list;
}

EXPORT void JLI_List_add(FakeList* list, char* string) {
  if (list->size == list->capacity) {
    list->capacity *= 2;
    list->elements = static_cast<char**>(realloc(list->elements, list->capacity * sizeof(char*)));
  }
  list->elements[list->size++] = string;
}

EXPORT void JLI_InitArgProcessing(unsigned char hasJavaArgs, unsigned char disableArgFile) {
  record("initArgProcessing %d %d", hasJavaArgs, disableArgFile);
}

EXPORT char* JLI_StringDup(const char* string) { return strdup(string); }

EXPORT void JLI_MemFree(void* block) { free(block); }

// "@file" becomes the file's whitespace-separated words; anything else, and
// an unreadable file, is taken as it stands.
EXPORT FakeList* JLI_PreprocessArg(const char* arg, unsigned char expandSourceOpt) {
  record("preprocess %s %d", arg, expandSourceOpt);
  if (arg[0] != '@') return nullptr;
  FILE* in = fopen(arg + 1, "r");
  if (in == nullptr) return nullptr;
  FakeList* list = JLI_List_new(4);
  char word[4096];
  while (fscanf(in, "%4095s", word) == 1) JLI_List_add(list, strdup(word));
  fclose(in);
  return list;
}

#endif  // FAKE_JLI_NO_LIST_FUNCTIONS

#ifndef FAKE_JLI_NO_LAUNCH

namespace {

const char* orNull(const char* s) { return s ? s : "(null)"; }

struct Reentry {
  int argc;
  char** argv;
  int result;
};

void* callMainAgain(void* data) {
  auto* reentry = static_cast<Reentry*>(data);
  auto programMain = reinterpret_cast<int (*)(int, char**)>(dlsym(RTLD_DEFAULT, "main"));
  reentry->result = programMain ? programMain(reentry->argc, reentry->argv) : -1;
  record("main returned %d", reentry->result);
  return nullptr;
}

bool s_reentering = false;

void recordCall(int argc, char** argv, int jargc, const char** jargv, int appclassc,
                const char** appclassv, const char* fullversion, const char* dotversion,
                const char* pname, const char* lname, unsigned char javaargs,
                unsigned char cpwildcard, unsigned char javaw, int ergo) {
  Dl_info self;
  record("call %s", s_reentering ? "reentry" : "first");
  record("library %s", dladdr(reinterpret_cast<void*>(&recordCall), &self) ? self.dli_fname : "?");
  record("argc %d", argc);
  for (int i = 0; i <= argc; ++i) record("argv[%d] %s", i, orNull(argv[i]));
  record("jargc %d", jargc);
  record("jargv %s", jargv ? "set" : "(null)");
  record("appclassc %d", appclassc);
  record("appclassv %s", appclassv ? "set" : "(null)");
  record("fullversion %s", orNull(fullversion));
  record("dotversion %s", orNull(dotversion));
  record("pname %s", orNull(pname));
  record("lname %s", orNull(lname));
  record("javaargs %d", javaargs);
  record("cpwildcard %d", cpwildcard);
  record("javaw %d", javaw);
  record("ergo %d", ergo);
  char cwd[4096];
  record("cwd %s", getcwd(cwd, sizeof cwd) ? cwd : "?");
  record("LANG %s", orNull(getenv("LANG")));
}

}  // namespace

EXPORT int JLI_Launch(int argc, char** argv, int jargc, const char** jargv, int appclassc,
                      const char** appclassv, const char* fullversion, const char* dotversion,
                      const char* pname, const char* lname, unsigned char javaargs,
                      unsigned char cpwildcard, unsigned char javaw, int ergo) {
  recordCall(argc, argv, jargc, jargv, appclassc, appclassv, fullversion, dotversion, pname,
             lname, javaargs, cpwildcard, javaw, ergo);
  const char* exitCode = getenv("KVX_FAKE_JLI_EXIT");
  int result = exitCode ? atoi(exitCode) : 0;
  const char* reenter = getenv("KVX_FAKE_JLI_REENTER");
  if (s_reentering || reenter == nullptr || strcmp(reenter, "1") != 0) return result;

  s_reentering = true;
  Reentry reentry{argc, argv, 0};
  pthread_t thread;
  if (pthread_create(&thread, nullptr, callMainAgain, &reentry) != 0) return -1;
  pthread_join(thread, nullptr);
  return reentry.result;
}

#endif  // FAKE_JLI_NO_LAUNCH

#ifdef FAKE_JLI_NO_LAUNCH
// A library must export something to be a library worth loading.
EXPORT int fake_jli_without_launch() { return 0; }
#endif
