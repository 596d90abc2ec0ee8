#include "SectionSettings.h"

#include "Foundation/NSDictionary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

namespace {

enum Raise : unsigned { raiseNothing = 0, clearIcons = 1, dirtyLayout = 2 };

void raise(SettingsState& state, unsigned flags) {
    if (flags & clearIcons)
        state.iconsCurrent = false;
    if (flags & dirtyLayout)
        state.layoutDirty = true;
}

template <typename Value>
void replaceIfChanged(SettingsState& state, Value& inForce, Value candidate, unsigned flags) {
    if (candidate == inForce)
        return;
    inForce = candidate;
    raise(state, flags);
}

struct IntegerKey {
    std::string_view key;
    std::int32_t SectionSettings::*field;
    std::int32_t defaultValue;
    bool (*accepts)(std::int32_t);
    std::string_view accepted; // what `accepts` takes, as a person reads it
    unsigned raises;
};

struct BooleanKey {
    std::string_view key;
    bool SectionSettings::*field;
    bool defaultValue;
    unsigned raises;
};

struct RealKey {
    std::string_view key;
    double SectionSettings::*field;
    float defaultValue;
    float minimum;
    float maximum;
    unsigned raises;
};

bool isIconSize(std::int32_t size) {
    return size == 20 || size == 30 || size == 40 || size == 50;
}
bool isIconStyle(std::int32_t style) {
    return style >= 0 && style <= 2;
}

constexpr float unbounded = std::numeric_limits<float>::max();

// clang-format off
constexpr IntegerKey integerKeys[] = {
    {"ICON_SIZE", &SectionSettings::iconSize, 40, isIconSize, "20, 30, 40 or 50", clearIcons | dirtyLayout},
    {"ICON_STYLE", &SectionSettings::iconStyle, 0, isIconStyle, "0, 1 or 2", clearIcons},
};

constexpr BooleanKey booleanKeys[] = {
    {"ROUNDED_ICON", &SectionSettings::roundedIcon, false, clearIcons},
    {"APP_STORE_ENABLED", &SectionSettings::appStoreEnabled, true, raiseNothing},
    {"CC_DISMISS", &SectionSettings::ccDismiss, false, raiseNothing},
    {"SHOW_SEPARATORS", &SectionSettings::showSeparators, true, dirtyLayout},
    {"LANDSCAPE_ENABLED", &SectionSettings::landscapeEnabled, false, raiseNothing},
};

constexpr RealKey realKeys[] = {
    {"VIEW_HEIGHT", &SectionSettings::viewHeight, 46.0f, 26.0f, unbounded, dirtyLayout},
    {"BUTTON_ALPHA", &SectionSettings::buttonAlpha, 0.7f, 0.0f, 1.0f, raiseNothing},
    {"BACKGROUND_RED", &SectionSettings::backgroundRed, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"BACKGROUND_GREEN", &SectionSettings::backgroundGreen, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"BACKGROUND_BLUE", &SectionSettings::backgroundBlue, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"BACKGROUND_ALPHA", &SectionSettings::backgroundAlpha, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"SEPARATOR_RED", &SectionSettings::separatorRed, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"SEPARATOR_GREEN", &SectionSettings::separatorGreen, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"SEPARATOR_BLUE", &SectionSettings::separatorBlue, 0.0f, 0.0f, 1.0f, raiseNothing},
    {"SEPARATOR_ALPHA", &SectionSettings::separatorAlpha, 0.7f, 0.0f, 1.0f, raiseNothing},
};

// clang-format on

// The candidate for a key: the file's value converted, the default when the key is missing, nothing when the
// value cannot be taken as that kind (another type, not a number, out of range).
template <typename Value, typename Convert>
std::optional<Value> candidate(const NSDictionary& file, std::string_view key, Value defaultValue,
                               Convert convert) {
    const CFPropertyList* stored = file.objectForKey(key);
    if (!stored)
        return defaultValue;
    return convert(*stored);
}

void readIntegers(SettingsState& state, const NSDictionary& file) {
    for (const auto& entry : integerKeys) {
        const auto value =
            candidate(file, entry.key, entry.defaultValue, [](auto& v) { return v.intValue(); });
        if (value && entry.accepts(*value))
            replaceIfChanged(state, state.settings.*entry.field, *value, entry.raises);
    }
}

void readBooleans(SettingsState& state, const NSDictionary& file) {
    for (const auto& entry : booleanKeys) {
        const auto value =
            candidate(file, entry.key, entry.defaultValue, [](auto& v) { return v.boolValue(); });
        if (value)
            replaceIfChanged(state, state.settings.*entry.field, *value, entry.raises);
    }
}

// Bounds are tested in single precision. A height has no upper bound, but an infinite one is no height.
bool acceptsReal(const RealKey& entry, std::optional<float> value) {
    return value && std::isfinite(*value) && *value >= entry.minimum && *value <= entry.maximum;
}

void readReals(SettingsState& state, const NSDictionary& file) {
    for (const auto& entry : realKeys) {
        const auto value =
            candidate(file, entry.key, entry.defaultValue, [](auto& v) { return v.floatValue(); });
        if (acceptsReal(entry, value))
            replaceIfChanged(state, state.settings.*entry.field, widened(*value), entry.raises);
    }
}

std::optional<std::string_view> storedString(const NSDictionary& file, std::string_view key, bool& present) {
    const CFPropertyList* stored = file.objectForKey(key);
    present = stored != nullptr;
    if (const std::string* text = stored ? stored->stringValue() : nullptr)
        return *text;
    return std::nullopt;
}

void replaceFunction(SettingsState& state, std::size_t slot, std::string_view newId, std::uint32_t& running) {
    std::string_view& inForce = state.settings.functions[slot];
    const bool wasDisabled = inForce == disabledFunctionId;
    const bool isDisabled = newId == disabledFunctionId;
    if (wasDisabled)
        ++running;
    inForce = newId;
    if (isDisabled)
        --running;
    state.iconsCurrent = false;
    if (wasDisabled != isDisabled)
        state.layoutDirty = true;
}

void readFunctions(SettingsState& state, const NSDictionary& file) {
    const SectionSettings defaults;
    std::uint32_t running = state.enabledCount;
    for (std::size_t slot = 0; slot < functionSlotKeys.size(); ++slot) {
        bool present = false;
        const auto stored = storedString(file, functionSlotKeys[slot], present);
        const std::string_view wanted =
            present ? stored.value_or(std::string_view()) : defaults.functions[slot];
        if (wanted == state.settings.functions[slot])
            continue;
        // Keep the catalogue's own string, not the file's: the file's goes away when the read ends.
        const auto allowed = std::find(allowedFunctionIds.begin(), allowedFunctionIds.end(), wanted);
        if (allowed != allowedFunctionIds.end())
            replaceFunction(state, slot, *allowed, running);
    }
    if (running != state.enabledCount) {
        state.enabledCount = running;
        state.layoutDirty = true;
    }
}

void readDefaultActions(SettingsState& state, const NSDictionary& file) {
    const auto functions = actionFunctions();
    for (std::size_t index = 0; index < functions.size(); ++index) {
        bool present = false;
        const auto stored = storedString(file, functions[index].defaultActionKey, present);
        if (present && !stored)
            continue;
        auto& inForce = state.settings.defaultActions[index];
        inForce = resolveDefaultAction(functions[index], stored, inForce);
    }
}

std::string realRange(const RealKey& entry) {
    const auto number = [](float value) {
        std::ostringstream text;
        text << value;
        return text.str();
    };
    if (entry.maximum == unbounded)
        return "a number of at least " + number(entry.minimum);
    return "a number from " + number(entry.minimum) + " to " + number(entry.maximum);
}

std::string listed(std::span<const std::string_view> words) {
    std::string text;
    for (const auto word : words)
        text += (text.empty() ? "" : ", ") + std::string(word);
    return text;
}

} // namespace

std::optional<Action> SectionSettings::defaultActionFor(std::string_view functionId) const {
    const auto catalogue = actionFunctions();
    const auto found = std::ranges::find(catalogue, functionId, &FunctionInfo::functionId);
    if (found == catalogue.end())
        return std::nullopt;
    return defaultActions[std::size_t(found - catalogue.begin())];
}

SettingsState& sectionSettingsState() {
    static SettingsState state;
    return state;
}

void resetSectionSettingsState() {
    sectionSettingsState() = SettingsState();
}

std::optional<CFPropertyList> settingsDefault(std::string_view key) {
    const auto named = [key](const auto& entry) { return entry.key == key; };
    if (const auto* entry = std::ranges::find_if(integerKeys, named); entry != std::end(integerKeys))
        return CFPropertyList::integer(entry->defaultValue);
    if (const auto* entry = std::ranges::find_if(booleanKeys, named); entry != std::end(booleanKeys))
        return CFPropertyList::boolean(entry->defaultValue);
    if (const auto* entry = std::ranges::find_if(realKeys, named); entry != std::end(realKeys))
        return CFPropertyList::real(widened(entry->defaultValue));
    const SectionSettings defaults;
    if (const auto slot = std::ranges::find(functionSlotKeys, key); slot != functionSlotKeys.end())
        return CFPropertyList::string(std::string(defaults.functions[slot - functionSlotKeys.begin()]));
    for (const FunctionInfo& function : actionFunctions()) {
        if (function.defaultActionKey == key)
            return CFPropertyList::string(std::string(actionName(function.defaultAction)));
    }
    return std::nullopt;
}

std::vector<std::string_view> settingsKeys() {
    std::vector<std::string_view> keys;
    for (const auto& entry : integerKeys)
        keys.push_back(entry.key);
    for (const auto& entry : booleanKeys)
        keys.push_back(entry.key);
    for (const auto& entry : realKeys)
        keys.push_back(entry.key);
    keys.insert(keys.end(), functionSlotKeys.begin(), functionSlotKeys.end());
    for (const FunctionInfo& function : actionFunctions())
        keys.push_back(function.defaultActionKey);
    return keys;
}

std::optional<std::string> settingsValueIgnored(std::string_view key, const CFPropertyList& value) {
    const auto named = [key](const auto& entry) { return entry.key == key; };
    if (const auto* entry = std::ranges::find_if(integerKeys, named); entry != std::end(integerKeys)) {
        const auto number = value.intValue();
        return number && entry->accepts(*number) ? std::nullopt : std::optional(std::string(entry->accepted));
    }
    if (std::ranges::find_if(booleanKeys, named) != std::end(booleanKeys))
        return value.boolValue() ? std::nullopt : std::optional<std::string>("a boolean");
    if (const auto* entry = std::ranges::find_if(realKeys, named); entry != std::end(realKeys))
        return acceptsReal(*entry, value.floatValue()) ? std::nullopt : std::optional(realRange(*entry));
    const std::string* text = value.stringValue();
    if (std::ranges::find(functionSlotKeys, key) != functionSlotKeys.end()) {
        if (text && isAllowedFunctionId(*text))
            return std::nullopt;
        return "one of " + listed(allowedFunctionIds);
    }
    for (const FunctionInfo& function : actionFunctions()) {
        if (function.defaultActionKey != key)
            continue;
        if (const auto action = text ? actionNamed(*text) : std::nullopt;
            action && function.offersAction(*action))
            return std::nullopt;
        std::vector<std::string_view> names;
        for (const Action action : function.actionSet())
            names.push_back(actionName(action));
        return "an action of " + std::string(function.functionId) + ": " + listed(names);
    }
    return std::nullopt;
}

void loadSettings(SettingsState& state, const NSDictionary* file) {
    if (!file) {
        state.settings = SectionSettings();
        state.enabledCount = 6;
        state.layoutDirty = true;
        state.iconsCurrent = false;
        return;
    }
    readIntegers(state, *file);
    readBooleans(state, *file);
    readReals(state, *file);
    readFunctions(state, *file);
    readDefaultActions(state, *file);
}

void loadSettings() {
    const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath);
    loadSettings(sectionSettingsState(), file ? &*file : nullptr);
}

void settingsChangedCallback(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {
    loadSettings();
}

void registerForSettingsChanges(const void* observer) {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), observer,
                                    settingsChangedCallback, settingsChangedNotification, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
}

void unregisterFromSettingsChanges(const void* observer) {
    CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), observer,
                                       settingsChangedNotification, nullptr);
}
