#include "ReferenceDigests.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* script = R"(import hashlib, os, sys
algorithm = sys.argv[1]
for name in sys.argv[2:]:
    with open(os.fsencode(name), "rb") as f:
        print(hashlib.new(algorithm, f.read()).hexdigest())
)";

} // namespace

// Started with a plain fork, as TempTree removes its tree: QProcess's start confuses
// ThreadSanitizer.
std::vector<std::string> ReferenceDigests(const std::string& algorithm,
                                          const std::vector<std::string>& paths) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    std::vector<char*> arguments{const_cast<char*>("python3"), const_cast<char*>("-c"),
                                 const_cast<char*>(script), const_cast<char*>(algorithm.c_str())};
    for (const std::string& path : paths)
        arguments.push_back(const_cast<char*>(path.c_str()));
    arguments.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::execv("/usr/bin/python3", arguments.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string output;
    char piece[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], piece, sizeof piece)) > 0;)
        output.append(piece, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    std::vector<std::string> digests;
    for (std::size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos;
         start = end + 1)
        digests.push_back(output.substr(start, end - start));
    return digests;
}
