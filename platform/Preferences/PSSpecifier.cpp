#include "Preferences/PSSpecifier.h"

#include "Foundation/NSPropertyListSerialization.h"

#include <algorithm>

namespace {

constexpr std::pair<std::string_view, PSCellType> cellNames[] = {
    {"PSGroupCell", PSGroupCell},           {"PSLinkCell", PSLinkCell},
    {"PSLinkListCell", PSLinkListCell},     {"PSListItemCell", PSListItemCell},
    {"PSSwitchCell", PSSwitchCell},         {"PSSliderCell", PSSliderCell},
    {"PSButtonCell", PSButtonCell},         {"PSEditTextCell", PSEditTextCell},
    {"PSStaticTextCell", PSStaticTextCell},
};

const std::string* stringIn(const NSDictionary& item, std::string_view key) {
    const CFPropertyList* value = item.objectForKey(key);
    return value ? value->stringValue() : nullptr;
}

void readProperties(PSSpecifier& specifier, const NSDictionary& item, std::vector<std::string>& skipped,
                    std::string_view where) {
    for (const auto key : PSSpecifier::propertyKeys) {
        const CFPropertyList* value = item.objectForKey(key);
        if (!value)
            continue;
        if (auto object = NSObjectFromPropertyList(*value))
            specifier.setPropertyForKey(object, key);
        else
            skipped.push_back(std::string(where) + ": \"" + std::string(key) + "\" is not a value");
    }
}

// A list's values and titles. Values that are no plain value are dropped with their titles; titles that do
// not pair up with the values give way to the values' own text.
void readList(PSSpecifier& specifier, const NSDictionary& item, std::vector<std::string>& skipped,
              std::string_view where) {
    const CFPropertyList* givenValues = item.objectForKey("validValues");
    const CFPropertyList* givenTitles = item.objectForKey("validTitles");
    const auto* values = givenValues ? givenValues->arrayValue() : nullptr;
    const auto* titles = givenTitles ? givenTitles->arrayValue() : nullptr;
    if (!values) {
        if (specifier.cellType() == PSLinkListCell)
            skipped.push_back(std::string(where) + ": a list without \"validValues\"");
        return;
    }
    const bool titlesPair = titles && titles->size() == values->size() &&
                            std::ranges::all_of(*titles, [](const auto& title) { return title.isString(); });
    if (!titlesPair)
        skipped.push_back(std::string(where) + ": \"validTitles\" do not match \"validValues\"");
    std::vector<std::shared_ptr<NSObject>> objects;
    std::vector<std::string> texts;
    for (std::size_t index = 0; index < values->size(); ++index) {
        auto object = NSObjectFromPropertyList((*values)[index]);
        if (!object) {
            skipped.push_back(std::string(where) + ": value " + std::to_string(index + 1) +
                              " is not a value");
            continue;
        }
        texts.push_back(titlesPair ? *(*titles)[index].stringValue() : object->description());
        objects.push_back(std::move(object));
    }
    specifier.setValues(std::move(objects), std::move(texts));
}

} // namespace

std::optional<PSCellType> PSCellTypeFromString(std::string_view name) {
    const auto* found = std::ranges::find(cellNames, name, &std::pair<std::string_view, PSCellType>::first);
    return found == std::end(cellNames) ? std::nullopt : std::optional(found->second);
}

std::string_view PSCellTypeName(PSCellType type) {
    return std::ranges::find(cellNames, type, &std::pair<std::string_view, PSCellType>::second)->first;
}

void PSSpecifier::registerProperties(NSPropertyTable<PSSpecifier>& table) {
    table.add("label", &PSSpecifier::name, &PSSpecifier::setName);
    table.add("cell",
              [](const PSSpecifier& specifier) { return std::string(PSCellTypeName(specifier._cellType)); });
    for (const auto key : propertyKeys) {
        table.add(
            std::string(key), [key](const PSSpecifier& specifier) { return specifier.stored(key); },
            [key](PSSpecifier& specifier, std::shared_ptr<NSObject> value) {
                specifier.store(key, std::move(value));
            });
    }
}

std::shared_ptr<NSObject> PSSpecifier::stored(std::string_view key) const {
    const auto found = _properties.find(key);
    return found == _properties.end() ? nullptr : found->second;
}

void PSSpecifier::store(std::string_view key, std::shared_ptr<NSObject> value) {
    if (value)
        _properties.insert_or_assign(std::string(key), std::move(value));
    else if (const auto found = _properties.find(key); found != _properties.end())
        _properties.erase(found);
}

std::string PSSpecifier::identifier() const {
    const std::string id = stringPropertyForKey("id");
    return id.empty() ? _name : id;
}

std::string PSSpecifier::stringPropertyForKey(std::string_view key) const {
    const auto text = std::dynamic_pointer_cast<NSString>(propertyForKey(key));
    return text ? text->string() : std::string();
}

void PSSpecifier::setValues(std::vector<std::shared_ptr<NSObject>> values, std::vector<std::string> titles) {
    _values = std::move(values);
    _titles = std::move(titles);
    _titles.resize(_values.size());
}

std::optional<std::string> PSSpecifier::titleForValue(const std::shared_ptr<NSObject>& value) const {
    for (std::size_t index = 0; index < _values.size(); ++index) {
        if (NSObjectsEqualAsValues(_values[index], value))
            return _titles[index];
    }
    return std::nullopt;
}

std::shared_ptr<PSSpecifier> PSSpecifierFromItem(const NSDictionary& item,
                                                 const std::shared_ptr<PSListController>& target,
                                                 std::vector<std::string>& skipped, std::string_view where) {
    const std::string* cell = stringIn(item, "cell");
    const auto type = cell ? PSCellTypeFromString(*cell) : std::nullopt;
    if (!type) {
        skipped.push_back(std::string(where) + ": no known \"cell\"");
        return nullptr;
    }
    const std::string* label = stringIn(item, "label");
    auto specifier = PSSpecifier::make(label ? *label : std::string(), *type);
    readProperties(*specifier, item, skipped, where);
    readList(*specifier, item, skipped, where);
    specifier->setTarget(target);
    return specifier;
}

PSSpecifierPlist PSSpecifiersFromPlist(const NSDictionary& plist,
                                       const std::shared_ptr<PSListController>& target) {
    PSSpecifierPlist loaded;
    const CFPropertyList* items = plist.objectForKey("items");
    const auto* list = items ? items->arrayValue() : nullptr;
    if (!list) {
        loaded.skipped.push_back("no \"items\" array");
        return loaded;
    }
    for (std::size_t index = 0; index < list->size(); ++index) {
        const std::string where = "item " + std::to_string(index + 1);
        const NSDictionary* item = (*list)[index].dictionaryValue();
        if (!item) {
            loaded.skipped.push_back(where + ": not a dictionary");
            continue;
        }
        if (auto specifier = PSSpecifierFromItem(*item, target, loaded.skipped, where))
            loaded.specifiers.push_back(std::move(specifier));
    }
    return loaded;
}
