// Checking a messages bundle before it is shipped, so that a mistake in it
// shows now, not when a user meets the message.
#pragma once

#include <string>

namespace kvx::bundle {

// dir must hold Contents/Resources/<language>.lproj/Localizable.strings for
// at least one language, and every such file must parse. False with one
// line in *error naming the file at fault.
bool checkMessagesBundle(const std::string& dir, std::string* error);

}  // namespace kvx::bundle
