#include "CoreGraphics/CGImage.h"
#include "Device/DeviceRoot.h"
#include "Device/EventLogHost.h"
#include "SpringBoard/SpringBoardHost.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"
#include "section/OrvaneCCSection.h"
#include "section/Presentation.h"
#include "section/SectionState.h"
#include "support/BenchmarkDevice.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::string_view bundlePath = "/Library/Caddex/Bundles/OrvaneCC.bundle";
constexpr std::array<std::string_view, 6> functions = {"SYS-Facebook", "SYS-Mail",  "APP-Notes",
                                                       "APP-WeChat",   "SYS-Photo", "APP-Calendar"};

// A section in a 320-point container, with six distinct functions at size 40, style 2, rounded, after its
// first appearance. SpringBoard has Calendar with its new-event quick action, and no WeChat.
struct Fixture {
    std::shared_ptr<UIView> container = UIView::make(CGRectMake(0, 0, 320, 100));
    std::shared_ptr<OrvaneCCSection> section;

    Fixture() {
        for (std::size_t slot = 0; slot < functions.size(); ++slot)
            writeSettingsValue(functionSlotKeys[slot], CFPropertyList::string(std::string(functions[slot])));
        writeSettingsValue("ICON_STYLE", CFPropertyList::integer(2));
        writeSettingsValue("ROUNDED_ICON", CFPropertyList::boolean(true));
        resetSectionState();
        resetSectionSettingsState();
        SpringBoardHost::registerClasses();
        SpringBoardHost::installApplication(
            {"com.apple.mobilecal", true, {"com.apple.mobilecal.addevent"}, {}});
        section = OrvaneCCSection::make();
        section->setBundle(NSBundle::bundleWithPath(bundlePath));
        container->addSubview(section->view());
        section->controlCenterWillAppear();
    }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

bool hasSixImages(const OrvaneCCSection& section) {
    for (std::size_t slot = 1; slot <= functions.size(); ++slot) {
        if (!section.button(slot)->currentImage())
            return false;
    }
    return true;
}

void willAppearUnchanged(benchmark::State& state) {
    auto& section = *fixture().section;
    for (auto _ : state)
        section.controlCenterWillAppear();
}

// What a settings read leaves after a change of icons and layout: both flags raised.
void willAppearAfterChange(benchmark::State& state) {
    auto& section = *fixture().section;
    auto& flags = sectionSettingsState();
    for (auto _ : state) {
        flags.iconsCurrent = false;
        flags.layoutDirty = true;
        section.controlCenterWillAppear();
    }
    if (!hasSixImages(section))
        state.SkipWithError("the rebuild lost an image");
}

// A tap, with what it writes to the event log; `done` says whether the tap did what it should.
void tap(benchmark::State& state, std::size_t slot, const std::function<void()>& undo,
         const std::function<bool()>& done) {
    auto& button = *fixture().section->button(slot);
    for (auto _ : state) {
        button.sendActionsForControlEvents(UIControlEventTouchUpInside);
        undo();
    }
    if (!done())
        state.SkipWithError("the tap did not act");
}

// WeChat is missing: the App Store prompt is presented, then closed for the next tap.
void tapAppStorePrompt(benchmark::State& state) {
    bool prompted = false;
    tap(
        state, 4,
        [&] {
            prompted = prompted || sectionState().presentedController;
            closePresentedController();
        },
        [&] { return prompted; });
}

// Calendar opens on its new-event quick action.
void tapShortcutItem(benchmark::State& state) {
    tap(
        state, 6, [] {},
        [] {
            const auto events = EventLog::events();
            return !events.empty() && events.back().kind == "springboard.activateShortcutItem";
        });
}

void reloadSixIcons(benchmark::State& state) {
    auto& section = *fixture().section;
    for (auto _ : state)
        section.reloadIcons();
    if (!hasSixImages(section))
        state.SkipWithError("an icon failed to load");
}

// The files the rebuild reads (style 2 takes the black glyphs, @2x on this screen), decoded alone.
void decodeSixFiles(benchmark::State& state) {
    std::vector<std::vector<std::uint8_t>> files;
    for (const auto id : functions) {
        const auto name = std::string(functionInfoForId(id, DeviceFamily::phone)->targetBundleIds.front()) +
                          "-black@2x.png";
        std::ifstream file(DeviceRoot::resolve(std::string(bundlePath) + "/" + name), std::ios::binary);
        if (file)
            files.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (files.size() != functions.size()) {
        state.SkipWithError("an icon file is missing");
        return;
    }
    for (auto _ : state) {
        for (const auto& bytes : files)
            benchmark::DoNotOptimize(CGImageCreateWithPNGData(bytes));
    }
}

} // namespace

int main(int argc, char** argv) {
    const auto device = BenchmarkDevice::start(argc, argv);
    if (!device)
        return 1;
    std::filesystem::create_directories(DeviceRoot::resolve("/Library/Caddex/Bundles"));
    std::filesystem::copy(ORVANE_BUNDLES_DIR "/OrvaneCC.bundle", DeviceRoot::resolve(bundlePath),
                          std::filesystem::copy_options::recursive);

    benchmark::RegisterBenchmark("willAppear/unchanged", willAppearUnchanged)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("willAppear/afterChange", willAppearAfterChange)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("tap/appStorePrompt", tapAppStorePrompt)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("tap/shortcutItem", tapShortcutItem)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("reloadIcons/six", reloadSixIcons)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("decodePNG/six", decodeSixFiles)->Unit(benchmark::kMicrosecond);
    return runWithRatios({{"willAppear/afterChange", "willAppear/unchanged"},
                          {"tap/appStorePrompt", "willAppear/afterChange"},
                          {"tap/shortcutItem", "willAppear/afterChange"},
                          {"reloadIcons/six", "decodePNG/six"}});
}
