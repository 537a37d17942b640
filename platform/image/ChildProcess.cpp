#include "platform/image/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

std::string SearchPath(const std::string& program, const std::vector<std::string>& environment) {
    if (program.find('/') != std::string::npos)
        return program;
    std::string path = "/usr/bin:/bin";
    for (const std::string& entry : environment) {
        if (entry.compare(0, 5, "PATH=") == 0)
            path = entry.substr(5);
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string candidate = path.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

// Reads both pipes to their ends without letting either fill up.
void Drain(int outputPipe, int errorPipe, ChildResult& result) {
    pollfd watched[2] = {{outputPipe, POLLIN, 0}, {errorPipe, POLLIN, 0}};
    std::string* sinks[2] = {&result.output, &result.errors};
    int open = 2;
    char buffer[8192];
    while (open > 0) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (watched[i].fd < 0 || !(watched[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                watched[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment) {
    ChildResult result;
    if (arguments.empty())
        return result;
    const std::string program = SearchPath(arguments[0], environment);
    if (program.empty())
        return result;
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    int outputPipe[2], errorPipe[2];
    if (pipe2(outputPipe, O_CLOEXEC) != 0)
        return result;
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        close(outputPipe[0]);
        close(outputPipe[1]);
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (nothing < 0 || dup2(nothing, 0) < 0 || dup2(outputPipe[1], 1) < 0 ||
            dup2(errorPipe[1], 2) < 0) {
            _exit(127);
        }
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(outputPipe[1]);
    close(errorPipe[1]);
    if (child > 0)
        Drain(outputPipe[0], errorPipe[0], result);
    close(outputPipe[0]);
    close(errorPipe[0]);
    if (child < 0)
        return result;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return result;
    }
    result.started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
