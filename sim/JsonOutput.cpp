#include "JsonOutput.h"

#include "Foundation/NSDictionary.h"
#include <nlohmann/json.hpp>

namespace {

std::string dumped(const Json& value, int indent) {
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

} // namespace

void printJson(const Json& value, std::ostream& out) {
    out << dumped(value, 2) << "\n";
}

void printJsonLine(const Json& value, std::ostream& out) {
    out << dumped(value, -1) << "\n";
}

Json jsonOfValue(const CFPropertyList& value) {
    if (const auto* text = value.stringValue())
        return *text;
    if (value.isBoolean())
        return *value.boolValue();
    if (const auto integer = value.integerValue())
        return *integer;
    if (const auto real = value.doubleValue())
        return *real;
    if (const auto* date = value.dateValue())
        return Json{{"date", date->timeIntervalSinceReferenceDate}};
    if (const auto* data = value.dataValue())
        return Json{{"bytes", data->size()}};
    if (const auto* array = value.arrayValue()) {
        auto items = Json::array();
        for (const auto& item : *array)
            items.push_back(jsonOfValue(item));
        return items;
    }
    auto entries = Json::object();
    for (const auto& [key, item] : value.dictionaryValue()->entries())
        entries[key] = jsonOfValue(item);
    return entries;
}
