#pragma once

#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// Another process whose standard output this one reads.
class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& arguments) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            _pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        _output = fds[0];
    }
    ~ChildProcess() {
        if (_pid > 0 && !_exited) {
            ::kill(_pid, SIGKILL);
            ::waitpid(_pid, nullptr, 0);
        }
        if (_output >= 0)
            ::close(_output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return _pid > 0; }

    // Reads until the output so far holds `text` after position `from`, or the time is up. Answers whether it
    // does.
    bool readUntil(const std::string& text, std::chrono::milliseconds timeout, std::size_t from = 0) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (_text.find(text, from) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{_output, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[4096];
            const ssize_t count = ::read(_output, buffer, sizeof buffer);
            if (count <= 0)
                return _text.find(text, from) != std::string::npos;
            _text.append(buffer, static_cast<std::size_t>(count));
        }
        return true;
    }

    const std::string& output() const { return _text; }

    // The exit status, waiting for the process to end.
    int wait() {
        int status = 0;
        ::waitpid(_pid, &status, 0);
        _exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t _pid = -1;
    int _output = -1;
    bool _exited = false;
    std::string _text;
};
