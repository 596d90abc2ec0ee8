#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSDictionary.h"
#include "Foundation/NSObject.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a row of a settings page is: the `cell` of a specifier plist item.
enum PSCellType {
    PSGroupCell,
    PSLinkCell,
    PSLinkListCell,
    PSListItemCell,
    PSSwitchCell,
    PSSliderCell,
    PSButtonCell,
    PSEditTextCell,
    PSStaticTextCell,
};

// The type a plist's `cell` names; nothing for a name the framework does not know.
ORVANE_EXPORT std::optional<PSCellType> PSCellTypeFromString(std::string_view name);
ORVANE_EXPORT std::string_view PSCellTypeName(PSCellType type);

class PSListController;

// One row (or group) of a settings page. Its properties are the keys of the specifier plist format, served
// by the object model's key-value access: propertyForKey and setPropertyForKey go through the same table as
// valueForKey and setValueForKey.
class ORVANE_EXPORT PSSpecifier : public NSObject {
    OBJC_OBJECT(PSSpecifier, NSObject)
    // Every key a specifier plist item may carry besides `cell`, `label`, `validValues` and `validTitles`.
    static constexpr std::array<std::string_view, 14> propertyKeys = {
        "id",         "key", "default", "defaults",  "PostNotification", "detail", "action",
        "footerText", "min", "max",     "showValue", "isController",     "bundle", "icon"};

    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }
    PSCellType cellType() const { return _cellType; }
    // The "id" property, or the name when there is none.
    std::string identifier() const;

    std::shared_ptr<NSObject> propertyForKey(std::string_view key) const { return valueForKey(key); }
    bool setPropertyForKey(const std::shared_ptr<NSObject>& value, std::string_view key) {
        return setValueForKey(value, key);
    }
    // The property as a string; empty when it is missing or no string.
    std::string stringPropertyForKey(std::string_view key) const;

    // A list's choices and their titles, one title per value. On a list-items row, the row's own value.
    const std::vector<std::shared_ptr<NSObject>>& values() const { return _values; }
    const std::vector<std::string>& titles() const { return _titles; }
    void setValues(std::vector<std::shared_ptr<NSObject>> values, std::vector<std::string> titles);
    // The title shown for a value; nothing when the list does not offer it.
    std::optional<std::string> titleForValue(const std::shared_ptr<NSObject>& value) const;

    // The controller that reads and writes the value and runs the actions (held weakly).
    std::shared_ptr<PSListController> target() const { return _target.lock(); }
    void setTarget(const std::shared_ptr<PSListController>& target) { _target = target; }

  protected:
    PSSpecifier(std::string name, PSCellType type) : _name(std::move(name)), _cellType(type) {}
    static void registerProperties(NSPropertyTable<PSSpecifier>& table);

  private:
    std::shared_ptr<NSObject> stored(std::string_view key) const;
    void store(std::string_view key, std::shared_ptr<NSObject> value);

    std::string _name;
    PSCellType _cellType;
    std::map<std::string, std::shared_ptr<NSObject>, std::less<>> _properties;
    std::vector<std::shared_ptr<NSObject>> _values;
    std::vector<std::string> _titles;
    std::weak_ptr<PSListController> _target;
};

using PSSpecifiers = std::vector<std::shared_ptr<PSSpecifier>>;

// The specifiers of a plist (its "items"), with the target set on each, and a note for everything left out:
// an item that is no dictionary or names no known cell is skipped, a value of a kind a property cannot take
// is dropped, a list whose titles do not match its values shows the values.
struct ORVANE_EXPORT PSSpecifierPlist {
    PSSpecifiers specifiers;
    std::vector<std::string> skipped;
};
ORVANE_EXPORT PSSpecifierPlist PSSpecifiersFromPlist(const NSDictionary& plist,
                                                     const std::shared_ptr<PSListController>& target);
// One item of such a plist; nothing (with a note) when it is skipped.
ORVANE_EXPORT std::shared_ptr<PSSpecifier>
PSSpecifierFromItem(const NSDictionary& item, const std::shared_ptr<PSListController>& target,
                    std::vector<std::string>& skipped, std::string_view where);
