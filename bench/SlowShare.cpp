#include "SlowShare.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using Kind = RequestProfile::Kind;

struct SlowShare::Node {
    std::string path; // relative to the source; "." for the source itself
    std::uint64_t lookups = 0;
};

// A folder's entries as read at its opening; the kernel reads them in pieces by offset.
struct SlowShare::Listing {
    struct Entry {
        std::string name;
        ino_t inode;
        unsigned char type;
    };
    std::vector<Entry> entries;
};

SlowShare::SlowShare(int sourceFd, Clock::duration folderDelay, Clock::duration entryDelay,
                     DelayedReplies& replies)
    : sourceFd_(sourceFd), folderDelay_(folderDelay), entryDelay_(entryDelay),
      keepSeconds_(entryDelay > Clock::duration::zero() ? 0.0 : 60.0), replies_(replies),
      root_(std::make_unique<Node>(Node{".", 0})) {}

SlowShare::~SlowShare() = default;

fuse_lowlevel_ops SlowShare::operations() {
    fuse_lowlevel_ops ops{};
    ops.init = init;
    ops.lookup = lookup;
    ops.forget = forget;
    ops.forget_multi = forgetMulti;
    ops.getattr = getattr;
    ops.opendir = opendir;
    ops.readdir = readdir;
    ops.releasedir = releasedir;
    return ops;
}

SlowShare& SlowShare::of(fuse_req_t req) {
    return *static_cast<SlowShare*>(fuse_req_userdata(req));
}

// Lookups and reads in one folder may run side by side, as on a share.
void SlowShare::init(void*, fuse_conn_info* conn) {
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS)
        conn->want |= FUSE_CAP_PARALLEL_DIROPS;
}

SlowShare::Node* SlowShare::node(fuse_ino_t ino) {
    return ino == FUSE_ROOT_ID ? root_.get() : reinterpret_cast<Node*>(ino);
}

void SlowShare::replyError(fuse_req_t req, Kind kind, Clock::time_point arrived,
                           Clock::duration delay, int error) {
    replies_.send(kind, arrived, delay, [req, error] { fuse_reply_err(req, error); });
}

void SlowShare::lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    const Clock::time_point arrived = Clock::now();
    SlowShare& share = of(req);
    const Node* folder = share.node(parent);
    std::string path = folder == share.root_.get() ? std::string(name) : folder->path + "/" + name;
    fuse_entry_param entry{};
    if (::fstatat(share.sourceFd_, path.c_str(), &entry.attr, AT_SYMLINK_NOFOLLOW) != 0) {
        share.replyError(req, Kind::Lookup, arrived, share.entryDelay_, errno);
        return;
    }
    std::unique_ptr<Node>& found = share.nodes_[path];
    if (!found)
        found = std::make_unique<Node>(Node{std::move(path), 0});
    ++found->lookups;
    entry.ino = reinterpret_cast<fuse_ino_t>(found.get());
    entry.attr_timeout = share.keepSeconds_;
    entry.entry_timeout = share.keepSeconds_;
    share.replies_.send(Kind::Lookup, arrived, share.entryDelay_,
                        [req, entry] { fuse_reply_entry(req, &entry); });
}

void SlowShare::release(fuse_ino_t ino, std::uint64_t lookups) {
    Node* released = node(ino);
    if (released == root_.get())
        return;
    released->lookups -= std::min(lookups, released->lookups);
    if (released->lookups == 0)
        nodes_.erase(released->path);
}

void SlowShare::forget(fuse_req_t req, fuse_ino_t ino, std::uint64_t lookups) {
    of(req).release(ino, lookups);
    fuse_reply_none(req);
}

void SlowShare::forgetMulti(fuse_req_t req, std::size_t count, fuse_forget_data* forgets) {
    for (std::size_t i = 0; i < count; ++i)
        of(req).release(forgets[i].ino, forgets[i].nlookup);
    fuse_reply_none(req);
}

void SlowShare::getattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) {
    const Clock::time_point arrived = Clock::now();
    SlowShare& share = of(req);
    struct stat st {};
    if (::fstatat(share.sourceFd_, share.node(ino)->path.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        share.replyError(req, Kind::Getattr, arrived, share.entryDelay_, errno);
        return;
    }
    share.replies_.send(Kind::Getattr, arrived, share.entryDelay_,
                        [req, st, keep = share.keepSeconds_] { fuse_reply_attr(req, &st, keep); });
}

void SlowShare::opendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
    const Clock::time_point arrived = Clock::now();
    SlowShare& share = of(req);
    const int fd = ::openat(share.sourceFd_, share.node(ino)->path.c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        share.replyError(req, Kind::Opendir, arrived, share.folderDelay_, error);
        return;
    }
    auto listing = std::make_unique<Listing>();
    while (const dirent* d = ::readdir(dir))
        listing->entries.push_back(Listing::Entry{d->d_name, d->d_ino, d->d_type});
    ::closedir(dir);
    fi->fh = reinterpret_cast<std::uint64_t>(listing.release());
    const fuse_file_info opened = *fi;
    share.replies_.send(Kind::Opendir, arrived, share.folderDelay_,
                        [req, opened] { fuse_reply_open(req, &opened); });
}

// The first piece of a folder's entries is the read that waits; the rest come from the listing
// made at the opening.
void SlowShare::readdir(fuse_req_t req, fuse_ino_t, std::size_t size, off_t offset,
                        fuse_file_info* fi) {
    const Clock::time_point arrived = Clock::now();
    SlowShare& share = of(req);
    const auto* listing = reinterpret_cast<const Listing*>(fi->fh);
    std::vector<char> buffer(size);
    std::size_t used = 0;
    for (std::size_t i = static_cast<std::size_t>(offset); i < listing->entries.size(); ++i) {
        const Listing::Entry& e = listing->entries[i];
        struct stat st {};
        st.st_ino = e.inode;
        st.st_mode = static_cast<mode_t>(DTTOIF(e.type));
        const std::size_t needed = fuse_add_direntry(
            req, buffer.data() + used, size - used, e.name.c_str(), &st, static_cast<off_t>(i + 1));
        if (needed > size - used)
            break;
        used += needed;
    }
    buffer.resize(used);
    const Clock::duration delay = offset == 0 ? share.folderDelay_ : Clock::duration::zero();
    share.replies_.send(Kind::Readdir, arrived, delay, [req, buffer = std::move(buffer)] {
        fuse_reply_buf(req, buffer.data(), buffer.size());
    });
}

void SlowShare::releasedir(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
    delete reinterpret_cast<Listing*>(fi->fh);
    fuse_reply_err(req, 0);
}
