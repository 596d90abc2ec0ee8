#include "ChildProcess.h"

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

void wireStream(posix_spawn_file_actions_t& actions, int given, int stream, int openFlags) {
    if (given == ChildProcesses::discardedStream)
        posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", openFlags, 0);
    else if (given >= 0)
        posix_spawn_file_actions_adddup2(&actions, given, stream);
}

} // namespace

namespace ChildProcesses {

pid_t spawn(const Plan& plan, std::string& problem) {
    if (plan.arguments.empty()) {
        problem = "no program to start";
        return -1;
    }
    std::vector<char*> argv;
    for (const auto& argument : plan.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    wireStream(actions, plan.input, STDIN_FILENO, O_RDONLY);
    wireStream(actions, plan.output, STDOUT_FILENO, O_WRONLY);
    wireStream(actions, plan.errors, STDERR_FILENO, O_WRONLY);
    if (plan.report >= 0)
        posix_spawn_file_actions_adddup2(&actions, plan.report, reportDescriptor);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigfillset(&defaults);
    sigset_t none;
    sigemptyset(&none);
    if (plan.detached) {
        posix_spawn_file_actions_addclosefrom_np(&actions, reportDescriptor + 1);
        posix_spawn_file_actions_addchdir_np(&actions, "/");
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(
            &attributes,
            static_cast<short>(POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID));
    }
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        problem = "cannot start " + plan.arguments[0] + ": " + std::strerror(failed);
        return -1;
    }
    return pid;
}

} // namespace ChildProcesses

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, bool withErrors) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    std::string problem;
    ChildProcesses::Plan plan{arguments};
    plan.output = fds[1];
    if (withErrors)
        plan.errors = fds[1];
    _pid = ChildProcesses::spawn(plan, problem);
    ::close(fds[1]);
    _output = fds[0];
}

ChildProcess::~ChildProcess() {
    if (_pid > 0 && !_exited) {
        ::kill(_pid, SIGKILL);
        ::waitpid(_pid, nullptr, 0);
    }
    if (_output >= 0)
        ::close(_output);
}

bool ChildProcess::readUntil(const std::string& text, std::chrono::milliseconds timeout, std::size_t from) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (_text.find(text, from) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{_output, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[4096];
        const ssize_t count = ::read(_output, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return _text.find(text, from) != std::string::npos;
        _text.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

const std::string& ChildProcess::readAll() {
    while (_output >= 0) {
        char buffer[4096];
        const ssize_t count = ::read(_output, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        _text.append(buffer, static_cast<std::size_t>(count));
    }
    return _text;
}

int ChildProcess::wait() {
    if (_pid <= 0 || _exited)
        return -1;
    int status = 0;
    ::waitpid(_pid, &status, 0);
    _exited = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Finished runToEnd(const std::vector<std::string>& arguments) {
    ChildProcess process(arguments, true);
    process.readAll();
    return {process.wait(), process.output()};
}
