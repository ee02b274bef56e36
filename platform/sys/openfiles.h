#pragma once

namespace platform {

// Raises the soft limit on open files to wanted, capped by the hard limit; a higher soft limit is
// left as it is. Returns the soft limit in force afterwards, or -1 if it cannot be read.
long RaiseOpenFilesLimit(long wanted);

} // namespace platform
