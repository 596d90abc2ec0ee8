#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

// File access for the Foundation backends. Paths here are host paths, already resolved below the device root.
namespace FileIO {

// The whole file into `bytes` (replacing what it held), or false when the file is missing, unreadable, not a
// regular file or larger than `limit`. Reusing one buffer spares the allocator a round trip per read.
bool readFile(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path, std::size_t limit);

// Writes through a temporary file in the same folder, fsync and rename, so that a reader sees either the old
// file or the new one. Creates missing parent folders.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace FileIO
