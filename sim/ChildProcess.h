#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// Another process, started with posix_spawn: the device's own processes, the tour's invocations of
// orvane-sim, and what the tests and benchmarks run.
namespace ChildProcesses {

// What a standard stream of the new process is: this process's own, nothing (/dev/null), or a descriptor.
inline constexpr int inheritedStream = -1;
inline constexpr int discardedStream = -2;

struct Plan {
    // The program's path, then its arguments.
    std::vector<std::string> arguments;
    int input = inheritedStream;
    int output = inheritedStream;
    int errors = inheritedStream;
    // A descriptor the process gets as `reportDescriptor` (a pipe it reports on), or none.
    int report = -1;
    // For a process that outlives this one: a new session, in "/", with default signal handling and nothing
    // else of this process's open files, so that it takes no signal meant for its starter (Ctrl-C at the
    // terminal) and holds no pipe a reader waits to see closed.
    bool detached = false;
};

inline constexpr int reportDescriptor = 3;

// The pid of the started process; -1, with the reason in `problem`, when it cannot start.
pid_t spawn(const Plan& plan, std::string& problem);

} // namespace ChildProcesses

// A process whose standard output (and errors, when asked) this one reads; it is killed if it still runs when
// this object goes.
class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& arguments, bool withErrors = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return _pid > 0; }
    pid_t pid() const { return _pid; }

    // Reads until the output after position `from` holds `text`, the output ends, or the time is up; answers
    // whether it holds the text.
    bool readUntil(const std::string& text, std::chrono::milliseconds timeout, std::size_t from = 0);
    // Reads the whole output, until the process closes it.
    const std::string& readAll();
    const std::string& output() const { return _text; }

    // The exit status, waiting for the process to end; -1 when a signal ended it or it never started.
    int wait();

  private:
    pid_t _pid = -1;
    int _output = -1;
    bool _exited = false;
    std::string _text;
};

// Runs the program to its end: its exit status (-1 when a signal ended it or it did not start) and what it
// printed on its output and errors.
struct Finished {
    int status;
    std::string output;
};
Finished runToEnd(const std::vector<std::string>& arguments);
