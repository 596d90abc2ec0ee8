#pragma once

#include <string_view>

// Paths are device paths: they resolve below the device root.
class NSFileManager {
  public:
    static NSFileManager& defaultManager();

    bool fileExistsAtPath(std::string_view path) const;
    // Removes a file or an empty folder. Answers false when there was nothing to remove or removing failed.
    bool removeItemAtPath(std::string_view path);
};
