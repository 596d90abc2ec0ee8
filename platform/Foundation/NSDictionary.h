#pragma once

#include "objc/objc-api.h"

#include "CoreFoundation/CFPropertyList.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Why a property-list file gave no dictionary: there is none, something other than a file is in its place, or
// the file there cannot be taken (`reason` says why).
struct ORVANE_EXPORT NSPropertyListReadError {
    enum class Kind { none, missing, notRegularFile, unreadable };
    Kind kind = Kind::none;
    std::string reason;
};

// A property-list dictionary with string keys. Paths are device paths: they resolve below the device root.
class ORVANE_EXPORT NSDictionary {
  public:
    using Entries = std::map<std::string, CFPropertyList, std::less<>>;

    NSDictionary() = default;

    // The file's root dictionary, XML or binary. Nothing when the file is missing, unreadable, malformed
    // or its root is not a dictionary.
    // Depth and size are bounded before parsing, whatever the file's origin.
    static std::optional<NSDictionary> dictionaryWithContentsOfFile(std::string_view path);
    static std::optional<NSDictionary> dictionaryWithContentsOfFile(std::string_view path,
                                                                    NSPropertyListReadError& error);
    static std::optional<NSDictionary> dictionaryWithPropertyListData(std::span<const std::uint8_t> bytes);
    static std::optional<NSDictionary> dictionaryWithPropertyListData(std::span<const std::uint8_t> bytes,
                                                                      std::string& error);

    const CFPropertyList* objectForKey(std::string_view key) const;
    std::size_t count() const { return _entries.size(); }
    const Entries& entries() const { return _entries; }

    // Writes the dictionary as an XML property list. Atomically: a reader sees the old file or the new one,
    // never a part of either. Creates missing parent folders. Answers whether the file was written; nothing
    // is written while `writingProblem` has one.
    bool writeToFile(std::string_view path, bool atomically) const;
    // Why the dictionary cannot be written as a file that its own reader takes back and other programs read:
    // a key or string that is not UTF-8 or holds a character XML 1.0 cannot carry, or a file the reader would
    // refuse (too large, too deep). Nothing when it can.
    std::optional<std::string> writingProblem() const;
    std::string xmlPropertyList() const;

    bool operator==(const NSDictionary&) const = default;

  protected:
    Entries _entries;
};

class ORVANE_EXPORT NSMutableDictionary : public NSDictionary {
  public:
    NSMutableDictionary() = default;
    explicit NSMutableDictionary(const NSDictionary& other) : NSDictionary(other) {}

    void setObject(CFPropertyList value, std::string_view key);
    void removeObjectForKey(std::string_view key);
    void addEntriesFromDictionary(const NSDictionary& other);
};
