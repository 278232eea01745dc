// kvx-bundle's whole work: check, build beside DEST, rename into place.
#pragma once

#include <string>

#include "bundle_options.h"
#include "platform/interruption.h"

namespace kvx::bundle {

// Makes the application that options ask for at DEST/NAME.app or DEST/NAME.
// It is built in a hidden directory in DEST and renamed into place at the
// end; on any failure, or when an interruption arrives, what was made is
// taken away again and the result is false with one line in *error.
bool makeBundle(const BundleOptions& options, const platform::InterruptionGuard* interruptions,
                std::string* error);

}  // namespace kvx::bundle
