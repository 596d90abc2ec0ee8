#include "Preferences/PSTableCell.h"

#include <cmath>
#include <sstream>

namespace {

std::string shownNumber(const NSObject& value) {
    const auto* number = dynamic_cast<const NSNumber*>(&value);
    if (!number)
        return value.description();
    std::ostringstream text;
    text << std::round(number->doubleValue() * 100) / 100;
    return text.str();
}

std::string shownValue(const PSSpecifier& specifier, const std::shared_ptr<NSObject>& value) {
    if (!value)
        return {};
    switch (specifier.cellType()) {
    case PSSwitchCell: {
        const auto* number = dynamic_cast<const NSNumber*>(value.get());
        return number && number->boolValue() ? "ON" : "OFF";
    }
    case PSSliderCell:
        return shownNumber(*value);
    case PSLinkListCell:
        return specifier.titleForValue(value).value_or(value->description());
    default:
        return value->description();
    }
}

} // namespace

PSTableCell::PSTableCell(std::shared_ptr<PSSpecifier> specifier) : _specifier(std::move(specifier)) {
    textLabel()->setText(_specifier->name());
    if (_specifier->cellType() == PSLinkCell || _specifier->cellType() == PSLinkListCell)
        setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
    if (_specifier->cellType() == PSButtonCell)
        textLabel()->setTextColor(UIColor::colorWithRed(0, 0.48, 1, 1));
}

void PSTableCell::registerProperties(NSPropertyTable<PSTableCell>& table) {
    table.add("specifier", &PSTableCell::specifier);
    table.add("value", &PSTableCell::value, &PSTableCell::setValue);
    table.add("alignment", &PSTableCell::alignment, &PSTableCell::setAlignment);
}

void PSTableCell::setValue(std::shared_ptr<NSObject> value) {
    _value = std::move(value);
    detailTextLabel()->setText(shownValue(*_specifier, _value));
}
