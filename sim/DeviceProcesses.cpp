#include "DeviceProcesses.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::string_view readyWord = "ready";
// The pipe a started process reports on: the same number in every process.
constexpr int readyDescriptor = 3;

std::string ownExecutable() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

// What the process wrote on the pipe until it closed it or the time ran out.
std::string readReport(int from, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string report;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{from, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return report;
        char buffer[512];
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return report;
        report.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace

namespace DeviceProcesses {

std::string localTime(std::time_t moment) {
    std::tm local{};
    ::localtime_r(&moment, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string ending(int waitStatus) {
    if (WIFSIGNALED(waitStatus))
        return "was killed by signal " + std::to_string(WTERMSIG(waitStatus)) + " (" +
               ::strsignal(WTERMSIG(waitStatus)) + ")";
    return "exited with status " + std::to_string(WEXITSTATUS(waitStatus));
}

Started start(const std::vector<std::string>& arguments, bool newSession, std::chrono::milliseconds timeout) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {-1, std::string("cannot start a process: ") + std::strerror(errno)};
    const auto executable = ownExecutable();
    std::vector<std::string> words{executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    words.insert(words.end(), {"--ready", std::to_string(readyDescriptor)});
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], readyDescriptor);
    // Nothing else of this process leaks into a device that outlives it (a pipe a test reads to its end).
    posix_spawn_file_actions_addclosefrom_np(&actions, readyDescriptor + 1);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Whoever starts a device must not hand it signals meant for itself (Ctrl-C at the booting terminal).
    sigset_t defaults;
    sigfillset(&defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, static_cast<short>(POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                                             (newSession ? POSIX_SPAWN_SETSID : 0)));
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipe[1]);
    if (failed != 0) {
        ::close(pipe[0]);
        return {-1, std::string("cannot start ") + executable + ": " + std::strerror(failed)};
    }
    const auto report = readReport(pipe[0], timeout);
    ::close(pipe[0]);
    if (report == readyWord)
        return {pid, {}};
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {-1, report.empty() ? "it " + ending(status) + " before it was ready" : report};
}

void tellReady(int& ready, std::string_view problem) {
    if (ready < 0)
        return;
    const std::string_view word = problem.empty() ? readyWord : problem;
    [[maybe_unused]] const auto written = ::write(ready, word.data(), word.size());
    ::close(ready);
    ready = -1;
}

} // namespace DeviceProcesses
