#pragma once

#include <memory>
#include <string_view>

// The root of every platform object that is shared (std::shared_ptr) and may be looked up by class name.
class NSObject : public std::enable_shared_from_this<NSObject> {
  public:
    virtual ~NSObject() = default;

    // Key-value coding, read side: the object's value for a key, or nothing for a key it does not know.
    virtual std::shared_ptr<NSObject> valueForKey(std::string_view key) const;
};
