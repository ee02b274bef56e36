#pragma once
// Hears serial device nodes come and go without polling. The owner waits in its event loop for Fd()
// to become readable and then calls Take(), which never blocks. One thread at a time.
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct TtyChange {
    bool added;       // false: removed
    std::string path; // the node or link that came or went
};

class TtyWatch {
public:
    virtual ~TtyWatch() = default;
    // -1 when nothing could be watched; no change is ever reported then.
    virtual int Fd() const = 0;
    // The changes that arrived since the last call, oldest first.
    virtual std::vector<TtyChange> Take() = 0;
};

// The tty subsystem as udev announces it, with its by-id links already in place.
std::unique_ptr<TtyWatch> WatchUdev();

// The device folder (names beginning with "tty") and the by-id folder (every name) through inotify,
// for machines without a udev daemon. The by-id folder may appear later; it is watched from then on.
std::unique_ptr<TtyWatch> WatchFolders(const std::string &devDir, const std::string &byIdDir);

// udev when its daemon runs and the device folders are the machine's own, the folders otherwise.
std::unique_ptr<TtyWatch> WatchMachine();

} // namespace platform
