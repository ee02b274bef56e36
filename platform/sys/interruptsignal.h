#pragma once
// Ctrl-C (SIGINT) and termination requests (SIGTERM) turned into bytes on a pipe, so that an event
// loop can watch for them like for input and end its work in order instead of dying mid-write.

namespace platform {

// Installs the handlers once per process and returns the pipe's reading end (non-blocking); -1 when
// the pipe cannot be made.
int InterruptDescriptor();
// Reads away the bytes of requests seen so far.
void DrainInterrupts(int descriptor);

} // namespace platform
