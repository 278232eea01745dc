// The launcher's English text of a message, for when the application's
// messages bundle has none in any of its languages.
#pragma once

#include <string>

#include "app_format/message_keys.h"
#include "run/run_state.h"

namespace kvx {

// The English text of key with its infos filled, or nullopt for a key the
// launcher does not know.
OptString builtInMessage(const std::string& key, const OptString& info1, const OptString& info2);

}  // namespace kvx
