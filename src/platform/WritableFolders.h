#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

namespace zdr::platform {

// A folder of the user's own without its owner's write bit (the copy of a
// read-only folder) is made writable for its owner while a run works in it
// and gets its bits back when the run leaves it: on the system these bits
// come from, a read-only folder still takes and gives up files. Root needs
// none of this. Each such folder carries a mark with the process and its
// bits meanwhile, so a later run gives them back when this one is killed.
class WritableFolders {
public:
    WritableFolders() = default;
    ~WritableFolders() { restoreAll(); }
    WritableFolders(const WritableFolders&) = delete;
    WritableFolders& operator=(const WritableFolders&) = delete;

    // The folder open as fd (any kind of descriptor): writable for its owner
    // from now on where this user owns it and it was not. One a killed run
    // left writable gets its bits back when this run leaves it. true when it
    // was changed now.
    [[nodiscard]] bool openUp(int fd);
    // Gives the folder of that identity its bits back.
    void restore(std::uint64_t device, std::uint64_t inode);
    void restoreAll();
    bool empty() const { return opened_.empty(); }

private:
    struct Opened {
        int fd; // path-only, changed through its name in /proc
        std::uint64_t device;
        std::uint64_t inode;
        mode_t mode;
    };
    static void giveBack(const Opened& folder);
    std::vector<Opened> opened_;
};

} // namespace zdr::platform
