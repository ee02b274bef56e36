#pragma once
#include <string>

namespace platform {

// Moves a finished temporary file over target in one step, so that target is never seen half
// written. On failure the temporary file is removed and error holds the reason.
bool ReplaceFile(const std::string &temporary, const std::string &target, std::string &error);

// Removes a file that is no longer wanted; a missing file is no error.
void RemoveFile(const std::string &path);

} // namespace platform
