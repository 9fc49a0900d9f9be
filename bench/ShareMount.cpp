// fi_bench_share [--profile FILE] SOURCE MOUNTPOINT FOLDER_MS ENTRY_MS COMMAND [ARG...]: mounts
// SOURCE read-only at MOUNTPOINT as a slow share (see SlowShare), runs COMMAND, and unmounts when
// it ends, so every command meets a share whose names and attributes no earlier run has cached.
// Exits with the command's status, 125 when the share could not be mounted. With --profile, the
// command's time and the requests in flight during it are written to FILE ("name value" lines).

#include "SlowShare.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int mountFailed = 125;

volatile std::sig_atomic_t commandPid = 0;

// A stop signal for this program goes to the command; the share is unmounted once it ends.
void passOn(int signal) {
    if (commandPid > 0)
        ::kill(commandPid, signal);
}

struct Options {
    const char* profile = nullptr;
    const char* source = nullptr;
    const char* mountPoint = nullptr;
    SlowShare::Clock::duration folderDelay{};
    SlowShare::Clock::duration entryDelay{};
    char** command = nullptr;
};

SlowShare::Clock::duration delayOf(const char* text) {
    char* end = nullptr;
    const double ms = std::strtod(text, &end);
    if (end == text || *end != '\0' || ms < 0 || ms > 10000)
        throw std::invalid_argument(std::string("not a delay in milliseconds: ") + text);
    return std::chrono::duration_cast<SlowShare::Clock::duration>(
        std::chrono::duration<double, std::milli>(ms));
}

Options parse(int argc, char** argv) {
    Options options;
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--profile") == 0) {
        options.profile = argv[i + 1];
        i += 2;
    }
    if (argc - i < 5)
        throw std::invalid_argument("usage: fi_bench_share [--profile FILE] SOURCE MOUNTPOINT "
                                    "FOLDER_MS ENTRY_MS COMMAND [ARG...]");
    options.source = argv[i];
    options.mountPoint = argv[i + 1];
    options.folderDelay = delayOf(argv[i + 2]);
    options.entryDelay = delayOf(argv[i + 3]);
    options.command = argv + i + 4;
    return options;
}

// The command's exit status as a shell gives it.
int runCommand(char** command) {
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, command[0], nullptr, nullptr, command, environ);
    if (error != 0) {
        std::fprintf(stderr, "fi_bench_share: cannot run %s: %s\n", command[0],
                     std::strerror(error));
        return 127;
    }
    commandPid = pid;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    commandPid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Mounts the share, serves it on its own thread while the command runs, and unmounts it.
int serveWhileRunning(const Options& options, RequestProfile& profile,
                      RequestProfile::Clock::time_point& started,
                      RequestProfile::Clock::time_point& ended) {
    const int sourceFd = ::open(options.source, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sourceFd < 0) {
        std::fprintf(stderr, "fi_bench_share: %s: %s\n", options.source, std::strerror(errno));
        return mountFailed;
    }
    DelayedReplies replies(profile);
    SlowShare share(sourceFd, options.folderDelay, options.entryDelay, replies);
    const fuse_lowlevel_ops ops = SlowShare::operations();
    std::vector<std::string> arguments{"fi_bench_share", "-o", "ro,fsname=fi_bench_share"};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(argv.size()), argv.data());
    fuse_session* session = fuse_session_new(&args, &ops, sizeof(ops), &share);
    if (session == nullptr || fuse_session_mount(session, options.mountPoint) != 0) {
        std::fprintf(stderr, "fi_bench_share: cannot mount %s\n", options.mountPoint);
        if (session != nullptr)
            fuse_session_destroy(session);
        ::close(sourceFd);
        return mountFailed;
    }
    std::thread loop([session] { fuse_session_loop(session); });
    started = RequestProfile::Clock::now();
    const int status = runCommand(options.command);
    ended = RequestProfile::Clock::now();
    // Requests of a command that was killed may still wait; none is answered after the unmount.
    replies.flush();
    fuse_session_exit(session);
    fuse_session_unmount(session);
    loop.join();
    fuse_session_destroy(session);
    ::close(sourceFd);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = passOn;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);

    RequestProfile profile;
    RequestProfile::Clock::time_point started{};
    RequestProfile::Clock::time_point ended{};
    const int status = serveWhileRunning(options, profile, started, ended);
    if (options.profile != nullptr && status != mountFailed) {
        std::FILE* out = std::fopen(options.profile, "w");
        if (out == nullptr) {
            std::fprintf(stderr, "fi_bench_share: %s: %s\n", options.profile, std::strerror(errno));
            return mountFailed;
        }
        profile.write(out, started, ended);
        std::fclose(out);
    }
    return status;
}
