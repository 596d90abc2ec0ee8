#include "Device/DeviceRoot.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSDictionary.h"
#include "UIKit/UINavigationController.h"
#include "common/SectionSettings.h"
#include "prefs/DefaultActionsListController.h"
#include "prefs/IconListItemsController.h"
#include "prefs/OrvanePrefsListController.h"
#include "prefs/PaneClasses.h"
#include "support/BenchmarkDevice.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

constexpr std::string_view paneBundlePath = "/Library/PreferenceBundles/OrvanePrefs.bundle";

// A settings file with every key of the root page set, so that each shown value comes from the file.
void writeSettingsFile() {
    NSMutableDictionary file;
    for (std::size_t slot = 0; slot < functionSlotKeys.size(); ++slot)
        file.setObject(CFPropertyList::string("APP-Notes"), functionSlotKeys[slot]);
    file.setObject(CFPropertyList::integer(30), "ICON_SIZE");
    file.setObject(CFPropertyList::integer(1), "ICON_STYLE");
    file.setObject(CFPropertyList::boolean(true), "ROUNDED_ICON");
    file.setObject(CFPropertyList::real(52), "VIEW_HEIGHT");
    file.setObject(CFPropertyList::boolean(false), "APP_STORE_ENABLED");
    file.setObject(CFPropertyList::boolean(true), "CC_DISMISS");
    file.setObject(CFPropertyList::boolean(false), "SHOW_SEPARATORS");
    file.setObject(CFPropertyList::boolean(true), "LANDSCAPE_ENABLED");
    file.setObject(CFPropertyList::real(0.5), "BACKGROUND_RED");
    file.writeToFile(settingsPath, true);
}

// Load the specifiers, read every value: what the Settings application does when the pane opens.
void openRootPage(benchmark::State& state) {
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto page = OrvanePrefsListController::make();
        const auto navigation = PSRootController::make(page);
        rows = page->table()->sections().size();
        benchmark::DoNotOptimize(rows);
    }
    if (rows < 5)
        state.SkipWithError("the root page lost its groups");
}

void loadSettingsFile(benchmark::State& state) {
    for (auto _ : state)
        loadSettings();
    if (sectionSettingsState().settings.iconSize != 30)
        state.SkipWithError("the settings file was not read");
}

} // namespace

int main(int argc, char** argv) {
    const auto device = BenchmarkDevice::start(argc, argv);
    if (!device)
        return 1;
    std::filesystem::create_directories(DeviceRoot::resolve("/Library/PreferenceBundles"));
    std::filesystem::copy(ORVANE_BUNDLES_DIR "/OrvanePrefs.bundle", DeviceRoot::resolve(paneBundlePath),
                          std::filesystem::copy_options::recursive);
    const auto bundle = NSBundle::bundleWithPath(paneBundlePath);
    ObjCRuntime::setLoadingBundle(bundle.get());
    registerPaneClasses();
    ObjCRuntime::setLoadingBundle(nullptr);
    writeSettingsFile();

    benchmark::RegisterBenchmark("openRootPage", openRootPage)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("loadSettings", loadSettingsFile)->Unit(benchmark::kMicrosecond);
    return runWithRatios({{"openRootPage", "loadSettings"}});
}
