// Loads arbitrary bytes as a settings page's specifier plist, shows the page as the Settings application
// would (every cell, header and footer), and runs the build's plist check on them: none of it may crash,
// hang or leak, whatever the plist holds.

#include "Device/TemporaryDeviceRoot.h"
#include "Foundation/NSDictionary.h"
#include "Preferences/PSListController.h"
#include "SpecifierCheck.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

class FuzzPage : public PSListController {
    OBJC_OBJECT(FuzzPage, PSListController)
    void use(PSSpecifiers specifiers) { _specifiers = std::move(specifiers); }
};

// Values are read from a device that has no settings, so every control shows its plist's default.
void useEmptyDevice() {
    static const auto device = TemporaryDeviceRoot::make("orvane-fuzz");
    if (!device)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    useEmptyDevice();
    const std::span<const std::uint8_t> bytes(data, size);
    checkSpecifierPlist("OrvanePrefs", bytes);
    const auto plist = NSDictionary::dictionaryWithPropertyListData(bytes);
    if (!plist)
        return 0;
    auto page = FuzzPage::make();
    page->use(PSSpecifiersFromPlist(*plist, page).specifiers);
    page->reload();
    for (const auto& specifier : page->specifiers())
        page->indexPathForSpecifier(*specifier);
    return 0;
}
