#include "SettingsReport.h"

#include "Foundation/NSDictionary.h"

#include <iomanip>
#include <sstream>

namespace {

std::string describeReal(double value) {
    std::ostringstream text;
    text << std::setprecision(9) << value;
    return text.str();
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

} // namespace

std::string describeValue(const CFPropertyList& value) {
    if (const auto* text = value.stringValue())
        return "\"" + *text + "\"";
    if (value.isBoolean())
        return *value.boolValue() ? "true" : "false";
    if (const auto integer = value.integerValue())
        return std::to_string(*integer);
    if (const auto real = value.doubleValue())
        return describeReal(*real);
    if (const auto* date = value.dateValue())
        return "<date " + describeReal(date->timeIntervalSinceReferenceDate) + ">";
    if (const auto* data = value.dataValue())
        return "<data " + std::to_string(data->size()) + " bytes>";
    if (const auto* array = value.arrayValue())
        return "<array of " + std::to_string(array->size()) + ">";
    return "<dictionary of " + std::to_string(value.dictionaryValue()->count()) + ">";
}

void printSettingsState(std::ostream& out, const SettingsState& state) {
    const SectionSettings& s = state.settings;
    out << "  iconSize " << s.iconSize << ", iconStyle " << s.iconStyle << ", roundedIcon "
        << yesNo(s.roundedIcon) << ", viewHeight " << describeReal(s.viewHeight) << "\n";
    out << "  appStoreEnabled " << yesNo(s.appStoreEnabled) << ", ccDismiss " << yesNo(s.ccDismiss)
        << ", showSeparators " << yesNo(s.showSeparators) << ", landscapeEnabled "
        << yesNo(s.landscapeEnabled) << "\n";
    out << "  buttonAlpha " << describeReal(s.buttonAlpha) << "\n";
    out << "  background " << describeReal(s.backgroundRed) << " " << describeReal(s.backgroundGreen) << " "
        << describeReal(s.backgroundBlue) << " alpha " << describeReal(s.backgroundAlpha) << "\n";
    out << "  separator " << describeReal(s.separatorRed) << " " << describeReal(s.separatorGreen) << " "
        << describeReal(s.separatorBlue) << " alpha " << describeReal(s.separatorAlpha) << "\n";
    out << "  functions";
    for (const auto id : s.functions)
        out << " " << id;
    out << "\n  defaultActions";
    const auto functions = actionFunctions();
    bool allDefault = true;
    for (std::size_t index = 0; index < functions.size(); ++index) {
        if (s.defaultActions[index] == functions[index].defaultAction)
            continue;
        out << " " << functions[index].functionId << "=" << actionName(s.defaultActions[index]);
        allDefault = false;
    }
    if (allDefault)
        out << " all at their defaults";
    out << "\n  enabledCount " << state.enabledCount << ", layoutDirty " << yesNo(state.layoutDirty)
        << ", iconsCurrent " << yesNo(state.iconsCurrent) << "\n";
}
