#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A tree being laid out in a fresh folder before it replaces what is installed. Nothing in it is a link, so
// making a folder or a file there never writes anywhere else.
namespace StagedTree {

// Makes the folder `path` and the ones on its way, mode 0755; why not.
std::optional<std::string> makeFolders(const std::filesystem::path& path);

// A new plain file, writable, mode 0755 for a module and 0644 otherwise (its folders made as needed); -1 with
// the reason in `problem`.
int makeFile(const std::filesystem::path& path, bool module, std::string& problem);

// Writes all of `bytes`; why not.
std::optional<std::string> writeAll(int fd, std::string_view bytes);

// Why a write failed: a full disk (or quota) says so, anything else its system message.
std::string writeProblem(int error);

} // namespace StagedTree
