#include "Foundation/NSDictionary.h"
#include "common/FunctionCatalogue.h"
#include "common/SectionSettings.h"
#include "fuzz/Require.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

bool inUnitRange(double value) {
    return value >= 0 && value <= 1;
}

// What must hold after any read. The string views are compared by content, so a view left pointing into the
// file's storage is reported by AddressSanitizer once the file is gone.
void checkInvariants(const SettingsState& state) {
    const SectionSettings& settings = state.settings;
    std::uint32_t enabled = 0;
    for (const std::string_view id : settings.functions) {
        require(std::find(allowedFunctionIds.begin(), allowedFunctionIds.end(), id) !=
                allowedFunctionIds.end());
        if (id != disabledFunctionId)
            ++enabled;
    }
    require(state.enabledCount == enabled);

    const auto functions = actionFunctions();
    for (std::size_t index = 0; index < functions.size(); ++index)
        require(functions[index].offersAction(settings.defaultActions[index]));

    require(settings.iconSize == 20 || settings.iconSize == 30 || settings.iconSize == 40 ||
            settings.iconSize == 50);
    require(settings.iconStyle >= 0 && settings.iconStyle <= 2);
    require(std::isfinite(settings.viewHeight) && settings.viewHeight >= 26);
    for (const double value : {settings.buttonAlpha, settings.backgroundRed, settings.backgroundGreen,
                               settings.backgroundBlue, settings.backgroundAlpha, settings.separatorRed,
                               settings.separatorGreen, settings.separatorBlue, settings.separatorAlpha})
        require(inUnitRange(value));
}

// A change the row can see must leave it marked for a new layout or new images. The flags start lowered, as
// after the section has laid out and drawn what the previous read gave it.
void readWithFlags(SettingsState& state, const NSDictionary* file) {
    state.layoutDirty = false;
    state.iconsCurrent = true;
    const SettingsState before = state;
    loadSettings(state, file);

    const SectionSettings& old = before.settings;
    const SectionSettings& now = state.settings;
    const bool imagesChanged = old.iconSize != now.iconSize || old.iconStyle != now.iconStyle ||
                               old.roundedIcon != now.roundedIcon || old.functions != now.functions;
    const bool layoutChanged = old.iconSize != now.iconSize || old.viewHeight != now.viewHeight ||
                               old.showSeparators != now.showSeparators ||
                               before.enabledCount != state.enabledCount;
    if (imagesChanged)
        require(!state.iconsCurrent);
    if (layoutChanged)
        require(state.layoutDirty);
}

// Reading an unchanged file again is the common case: it must change nothing and ask for no redraw.
void checkRereadIsQuiet(const SettingsState& state, const NSDictionary& file) {
    SettingsState again = state;
    again.layoutDirty = false;
    again.iconsCurrent = true;
    loadSettings(again, &file);
    require(again.settings == state.settings);
    require(again.enabledCount == state.enabledCount);
    require(!again.layoutDirty && again.iconsCurrent);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Kept across inputs, so that sequences of reads build on each other as on the device.
    static SettingsState running;
    SettingsState fresh;
    {
        const auto file = NSDictionary::dictionaryWithPropertyListData(std::span(data, size));
        const NSDictionary* read = file ? &*file : nullptr;
        readWithFlags(running, read);
        readWithFlags(fresh, read);
        if (read) {
            checkRereadIsQuiet(running, *read);
            checkRereadIsQuiet(fresh, *read);
        } else {
            // Without a readable file the section behaves as with a missing one: every default.
            require(running.settings == SectionSettings() &&
                    running.enabledCount == SettingsState().enabledCount);
        }
    }
    checkInvariants(running);
    checkInvariants(fresh);
    return 0;
}
