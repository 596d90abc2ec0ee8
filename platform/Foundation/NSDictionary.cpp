#include "Foundation/NSDictionary.h"

const CFPropertyList* NSDictionary::objectForKey(std::string_view key) const {
    const auto found = _entries.find(key);
    return found == _entries.end() ? nullptr : &found->second;
}

void NSMutableDictionary::setObject(CFPropertyList value, std::string_view key) {
    _entries.insert_or_assign(std::string(key), std::move(value));
}

void NSMutableDictionary::removeObjectForKey(std::string_view key) {
    if (const auto found = _entries.find(key); found != _entries.end())
        _entries.erase(found);
}

void NSMutableDictionary::addEntriesFromDictionary(const NSDictionary& other) {
    for (const auto& [key, value] : other.entries())
        _entries.insert_or_assign(key, value);
}
