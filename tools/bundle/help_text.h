// What kvx-bundle --help shows.
#pragma once

namespace kvx::bundle {

extern const char kUsage[];
extern const char kHelp[];

}  // namespace kvx::bundle
