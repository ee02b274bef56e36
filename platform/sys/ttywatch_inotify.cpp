#include "platform/sys/ttywatch.h"

#include "platform/sys/uniquefd.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

constexpr uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

class FolderWatch : public TtyWatch {
public:
    FolderWatch(const std::string &devDir, const std::string &byIdDir)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), devDir_(devDir), byIdDir_(byIdDir),
          byIdParent_(std::filesystem::path(byIdDir).parent_path().string())
    {
        if (!fd_.valid())
            return;
        dev_ = inotify_add_watch(fd_.get(), devDir_.c_str(), kEntryEvents);
        watchByIdFolder();
    }

    int Fd() const override { return fd_.get(); }

    std::vector<TtyChange> Take() override
    {
        std::vector<TtyChange> changes;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = read(fd_.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                const std::string name = event.len ? std::string(buffer + at + sizeof event) : std::string();
                take(event, name.c_str(), changes);
                at += static_cast<ssize_t>(sizeof event + event.len);
            }
        }
        // Links made before the new folder was watched are reported as they stand.
        if (watchByIdFolder()) {
            std::error_code ec;
            for (std::filesystem::directory_iterator it(byIdDir_, ec), end; !ec && it != end; it.increment(ec))
                changes.push_back({true, it->path().string()});
        }
        return changes;
    }

private:
    void take(const inotify_event &event, const char *name, std::vector<TtyChange> &changes)
    {
        if (event.mask & IN_IGNORED) {
            // The folder went away; watched again once it is back.
            if (event.wd == byId_)
                byId_ = -1;
            if (event.wd == parent_)
                parent_ = -1;
            return;
        }
        const bool added = event.mask & (IN_CREATE | IN_MOVED_TO);
        const bool removed = event.mask & (IN_DELETE | IN_MOVED_FROM);
        if (!added && !removed)
            return;
        if (event.wd == dev_ && std::strncmp(name, "tty", 3) == 0)
            changes.push_back({added, devDir_ + "/" + name});
        else if (event.wd == byId_)
            changes.push_back({added, byIdDir_ + "/" + name});
    }

    // The by-id folder is made with the first adapter; its parent is watched so that its making is heard.
    // True when it is watched from now on.
    bool watchByIdFolder()
    {
        if (byId_ >= 0 || !fd_.valid())
            return false;
        if (parent_ < 0 && byIdParent_ != devDir_)
            parent_ = inotify_add_watch(fd_.get(), byIdParent_.c_str(), kEntryEvents);
        byId_ = inotify_add_watch(fd_.get(), byIdDir_.c_str(), kEntryEvents);
        return byId_ >= 0;
    }

    UniqueFd fd_;
    std::string devDir_, byIdDir_, byIdParent_;
    int dev_ = -1, parent_ = -1, byId_ = -1;
};

} // namespace

std::unique_ptr<TtyWatch> WatchFolders(const std::string &devDir, const std::string &byIdDir)
{
    return std::make_unique<FolderWatch>(devDir, byIdDir);
}

} // namespace platform
