#pragma once

#include <utility>

// A folder the engine holds open. The process's descriptor budget (DescriptorBudget) counts it
// from before its open to its close; this is the one place that opens such a folder, counts it
// and closes it and gives its count back, on every way out.
class FolderDescriptor final {
public:
    // How the last component of a name is taken: the folder the user named may be a link, a
    // folder below it never is, so no path can lead the scan elsewhere.
    enum class Link { Follow, NoFollow };

    // A descriptor the budget has counted ahead of an open that only saves time, when room was
    // left for one (DescriptorBudget::tryTake). An open takes it over; one that is never used
    // gives its count back.
    class Reservation final {
    public:
        static Reservation tryMake();
        Reservation(Reservation&& other) noexcept : held_(std::exchange(other.held_, false)) {}
        Reservation& operator=(Reservation&&) = delete;
        Reservation(const Reservation&) = delete;
        Reservation& operator=(const Reservation&) = delete;
        ~Reservation();
        explicit operator bool() const { return held_; }

    private:
        friend class FolderDescriptor;
        explicit Reservation(bool held) : held_(held) {}
        bool held_;
    };

    FolderDescriptor() = default;
    ~FolderDescriptor() { reset(); }
    FolderDescriptor(FolderDescriptor&& other) noexcept;
    FolderDescriptor& operator=(FolderDescriptor&& other) noexcept;
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;

    // Opens the folder `name` relative to the open folder `parent` (AT_FDCWD: the working
    // folder), counted by the budget whatever its room: the scan cannot go on without it. When
    // the open fails, the count is given back and errno says why.
    static FolderDescriptor open(int parent, const char* name, Link link);
    // The same on a reservation (one that was not granted is counted as above).
    static FolderDescriptor open(Reservation reserved, int parent, const char* name, Link link);
    // A duplicate of the open folder `fd`, on a reservation likewise.
    static FolderDescriptor duplicate(Reservation reserved, int fd);

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes the folder, if one is held, and gives its count back.
    void reset();

private:
    // Takes over a descriptor the budget has counted already; when `fd` is no descriptor, the
    // count is given back.
    explicit FolderDescriptor(int fd);
    static void takeOver(Reservation& reserved);

    int fd_ = -1;
};
