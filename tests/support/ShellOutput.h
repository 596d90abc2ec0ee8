#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <utility>

// What a shell command prints, standard error included, and its exit status (-1 when it did not exit).
inline std::pair<int, std::string> shellOutput(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    for (int c = pipe ? std::fgetc(pipe) : EOF; c != EOF; c = std::fgetc(pipe))
        output += static_cast<char>(c);
    const int status = pipe ? ::pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
