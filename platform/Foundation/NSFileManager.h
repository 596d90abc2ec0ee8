#pragma once

#include "objc/objc-api.h"

#include <cstddef>
#include <string_view>
#include <system_error>

// Paths are device paths: they resolve below the device root.
class ORVANE_EXPORT NSFileManager {
  public:
    static NSFileManager& defaultManager();

    bool fileExistsAtPath(std::string_view path) const;
    bool fileExistsAtPath(std::string_view path, bool& isDirectory) const;
    // Removes a file or an empty folder; a symbolic link is removed itself, not what it points to. Answers
    // false when there was nothing to remove (`error` is then no_such_file_or_directory) or removing failed.
    bool removeItemAtPath(std::string_view path);
    bool removeItemAtPath(std::string_view path, std::error_code& error);
    // Renames within the device; fails rather than replace something already at `destination`.
    bool moveItemAtPath(std::string_view source, std::string_view destination, std::error_code& error);

    // Removes the temporary files that atomic writes to `path` left behind when their writer died. Only for a
    // caller that holds the lock every writer of `path` takes, so that no live writer's file is among them.
    std::size_t removeAbandonedTemporaryFilesForPath(std::string_view path);
};
