#pragma once

#define FUSE_USE_VERSION 35
#include "DelayedReplies.h"

#include <chrono>
#include <cstdint>
#include <fuse_lowlevel.h>
#include <map>
#include <memory>
#include <string>

// A read-only view of a local folder through FUSE that answers like a network share: each folder
// open and the first read of its entries wait `folderDelay`, each lookup and attribute request of
// an entry waits `entryDelay`, and any number of requests may wait at once. With no entry delay,
// names and attributes stay valid in the kernel for a minute, as on an NFS client after
// READDIRPLUS, so a folder costs its two round trips; otherwise nothing is kept and every stat of
// an entry costs a lookup and an attribute request. The file system is served by one thread
// (fuse_session_loop): the answers are ready at once and only their sending waits.
class SlowShare final {
public:
    using Clock = DelayedReplies::Clock;

    // `sourceFd` is the shared folder, which stays open as long as this object.
    SlowShare(int sourceFd, Clock::duration folderDelay, Clock::duration entryDelay,
              DelayedReplies& replies);
    ~SlowShare();
    SlowShare(const SlowShare&) = delete;
    SlowShare& operator=(const SlowShare&) = delete;

    // The operations for fuse_session_new, with this object as the session's user data.
    static fuse_lowlevel_ops operations();

private:
    struct Node;
    struct Listing;

    static SlowShare& of(fuse_req_t req);
    static void init(void* userdata, fuse_conn_info* conn);
    static void lookup(fuse_req_t req, fuse_ino_t parent, const char* name);
    static void forget(fuse_req_t req, fuse_ino_t ino, std::uint64_t lookups);
    static void forgetMulti(fuse_req_t req, std::size_t count, fuse_forget_data* forgets);
    static void getattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi);
    static void opendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi);
    static void readdir(fuse_req_t req, fuse_ino_t ino, std::size_t size, off_t offset,
                        fuse_file_info* fi);
    static void releasedir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi);

    Node* node(fuse_ino_t ino);
    void release(fuse_ino_t ino, std::uint64_t lookups);
    void replyError(fuse_req_t req, RequestProfile::Kind kind, Clock::time_point arrived,
                    Clock::duration delay, int error);

    const int sourceFd_;
    const Clock::duration folderDelay_;
    const Clock::duration entryDelay_;
    const double keepSeconds_; // how long the kernel may keep names and attributes
    DelayedReplies& replies_;
    std::unique_ptr<Node> root_;
    // Looked-up entries by their path below the source; the node's address is its inode number.
    std::map<std::string, std::unique_ptr<Node>> nodes_;
};
