#include "Foundation/NSPropertyListSerialization.h"

#include <string_view>

std::shared_ptr<NSObject> NSObjectFromPropertyList(const CFPropertyList& value) {
    if (const std::string* text = value.stringValue())
        return NSString::stringWithString(*text);
    if (value.isBoolean())
        return NSNumber::numberWithBool(*value.boolValue());
    if (const auto integer = value.integerValue())
        return NSNumber::numberWithLongLong(*integer);
    if (const auto real = value.doubleValue())
        return NSNumber::numberWithDouble(*real);
    return nullptr;
}

std::optional<CFPropertyList> NSPropertyListFromObject(const std::shared_ptr<NSObject>& object) {
    if (const auto* text = dynamic_cast<const NSString*>(object.get()))
        return CFPropertyList::string(text->string());
    const auto* number = dynamic_cast<const NSNumber*>(object.get());
    if (!number)
        return std::nullopt;
    const std::string_view type = number->objCType();
    if (type == "c")
        return CFPropertyList::boolean(number->boolValue());
    if (type == "q")
        return CFPropertyList::integer(number->longLongValue());
    return CFPropertyList::real(number->doubleValue());
}

bool NSObjectsEqualAsValues(const std::shared_ptr<NSObject>& first, const std::shared_ptr<NSObject>& second) {
    if (first == second)
        return true;
    const auto* firstText = dynamic_cast<const NSString*>(first.get());
    const auto* secondText = dynamic_cast<const NSString*>(second.get());
    if (firstText || secondText)
        return firstText && secondText && firstText->string() == secondText->string();
    const auto* firstNumber = dynamic_cast<const NSNumber*>(first.get());
    const auto* secondNumber = dynamic_cast<const NSNumber*>(second.get());
    return firstNumber && secondNumber && firstNumber->doubleValue() == secondNumber->doubleValue();
}
