#pragma once
#include <string>

namespace platform {

// Folder of the running program's executable, without a trailing slash; empty if it cannot be read.
std::string ProgramFolder();

// File name of the running program's executable; empty if it cannot be read.
std::string ProgramName();

} // namespace platform
