// The startup cache an application asks for with "kvx.startupCache": the
// runtime's own class-data archive, kept per application and runtime under
// ${XDG_CACHE_HOME:-~/.cache}/kestrovel/<application>/, made by one start and
// used by the starts after it.
#pragma once

#include <string>

#include "run/run_state.h"
#include "run/runtime_choice.h"

namespace kvx {

// The options that use this application's cache on the chosen runtime or,
// when there is none, make one during this start; they go before every
// other option. None when the configuration does not ask for a cache or
// none can be used: a start never fails because of the cache, and the trace
// says which cache was used, which is being made, or why there is none.
// options are the assembled options, mainClass the class the start runs
// (or "-m MODULE" for a main module: only its text enters the key).
StringList startupCacheOptions(const RunState& run, const RuntimeChoice& runtime,
                               const StringList& options, const std::string& mainClass);

}  // namespace kvx
