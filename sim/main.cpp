#include "Commands.h"
#include "Demo.h"
#include "Foundation/DeviceRoot.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* usage = "usage: orvane-sim                       run the demo on a fresh device\n"
                              "       orvane-sim --device DIR COMMAND  run one command on the device at DIR\n"
                              "commands:\n"
                              "  defaults read [KEY]\n"
                              "  defaults write KEY [-int|-real|-bool|-string] VALUE\n"
                              "  defaults delete KEY\n"
                              "  defaults reset\n"
                              "  watch [--notifications N] [--seconds S]\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty())
        return runDemo(std::cout, std::cerr);
    if (words.size() < 3 || words[0] != "--device") {
        std::cerr << usage;
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(words[1], error);
    if (error) {
        std::cerr << "cannot use " << words[1] << " as a device: " << error.message() << "\n";
        return 1;
    }
    DeviceRoot::set(words[1]);
    return runCommand(std::span(words).subspan(2), std::cout, std::cerr);
}
