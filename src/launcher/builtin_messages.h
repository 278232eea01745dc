// The launcher's own English texts for the messages it can show, used when
// the application ships no messages bundle or none of its languages has the
// key: a message is never lost for want of a translation.
#pragma once

#include <string>

#include "base/message_keys.h"
#include "run/run_state.h"

namespace kvx {

// The built-in text of key with its infos filled, or nullopt for a key the
// launcher does not know.
OptString builtInMessage(const std::string& key, const OptString& info1, const OptString& info2);

}  // namespace kvx
