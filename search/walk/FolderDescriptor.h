#pragma once

// A folder the engine holds open. The process's descriptor budget (DescriptorBudget) counts it
// from before its open to its close; this is the one place that opens such a folder and the one
// that closes it and gives its count back, on every way out.
class FolderDescriptor final {
public:
    // How the last component of a name is taken: the folder the user named may be a link, a
    // folder below it never is, so no path can lead the scan elsewhere.
    enum class Link { Follow, NoFollow };

    FolderDescriptor() = default;
    ~FolderDescriptor() { reset(); }
    FolderDescriptor(FolderDescriptor&& other) noexcept;
    FolderDescriptor& operator=(FolderDescriptor&& other) noexcept;
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;

    // Opens the folder `name` relative to the open folder `parent` (AT_FDCWD: the working
    // folder). The budget has counted it already (take, or a tryTake that was granted); when the
    // open fails, the count is given back and errno says why.
    static FolderDescriptor open(int parent, const char* name, Link link);
    // A duplicate of the open folder `fd`, counted likewise.
    static FolderDescriptor duplicate(int fd);

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes the folder, if one is held, and gives its count back.
    void reset();

private:
    explicit FolderDescriptor(int fd);

    int fd_ = -1;
};
