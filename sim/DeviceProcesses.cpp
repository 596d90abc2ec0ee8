#include "DeviceProcesses.h"

#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::string_view readyWord = "ready";

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

Started start(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {-1, std::string("cannot start a process: ") + std::strerror(errno)};
    ChildProcesses::Plan plan{{ownExecutable()}};
    plan.arguments.insert(plan.arguments.end(), arguments.begin(), arguments.end());
    plan.arguments.insert(plan.arguments.end(),
                          {"--ready", std::to_string(ChildProcesses::reportDescriptor)});
    plan.input = plan.output = plan.errors = ChildProcesses::discardedStream;
    plan.report = pipe[1];
    plan.detached = true;
    std::string problem;
    const pid_t pid = ChildProcesses::spawn(plan, problem);
    ::close(pipe[1]);
    if (pid < 0) {
        ::close(pipe[0]);
        return {-1, problem};
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
