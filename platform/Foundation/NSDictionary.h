#pragma once

#include "CoreFoundation/CFPropertyList.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// A property-list dictionary with string keys. Paths are device paths: they resolve below the device root.
class NSDictionary {
  public:
    using Entries = std::map<std::string, CFPropertyList, std::less<>>;

    NSDictionary() = default;

    // The file's root dictionary, XML or binary. Nothing when the file is missing, unreadable, malformed
    // or its root is not a dictionary.
    static std::optional<NSDictionary> dictionaryWithContentsOfFile(std::string_view path);
    static std::optional<NSDictionary> dictionaryWithPropertyListData(std::span<const std::uint8_t> bytes);

    const CFPropertyList* objectForKey(std::string_view key) const;
    std::size_t count() const { return _entries.size(); }
    const Entries& entries() const { return _entries; }

    // Writes the dictionary as an XML property list. Atomically: a reader sees the old file or the new one,
    // never a part of either. Creates missing parent folders. Answers whether the file was written.
    bool writeToFile(std::string_view path, bool atomically) const;
    std::string xmlPropertyList() const;

    bool operator==(const NSDictionary&) const = default;

  protected:
    Entries _entries;
};

class NSMutableDictionary : public NSDictionary {
  public:
    NSMutableDictionary() = default;
    explicit NSMutableDictionary(const NSDictionary& other) : NSDictionary(other) {}

    void setObject(CFPropertyList value, std::string_view key);
    void removeObjectForKey(std::string_view key);
    void addEntriesFromDictionary(const NSDictionary& other);
};
