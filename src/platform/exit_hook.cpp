#include "platform/exit_hook.h"

#include <stdlib.h>

namespace kvx::platform {
namespace {

struct Hook {
  void (*action)(void*);
  void* data;
};

void runHook(int /*status*/, void* hook) {
  const Hook* h = static_cast<const Hook*>(hook);
  h->action(h->data);
  delete h;
}

}  // namespace

bool runAtExit(void (*action)(void* data), void* data) {
  // on_exit, unlike atexit, hands its function an argument, so the work
  // needs no global of its own to find its data.
  Hook* hook = new Hook{action, data};
  if (on_exit(runHook, hook) == 0) return true;
  delete hook;
  return false;
}

}  // namespace kvx::platform
