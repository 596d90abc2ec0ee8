#include "Device/DeviceRoot.h"
#include "Foundation/NSDictionary.h"
#include "common/SectionSettings.h"
#include "support/BenchmarkDevice.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Variant {
    const char* name;
    Bytes bytes;
};

// Every key set to a valid value that differs from its default, so a read that skips a key shows up in the
// comparison with expectedState().
NSMutableDictionary fullSettingsFile() {
    NSMutableDictionary file;
    file.setObject(CFPropertyList::integer(30), "ICON_SIZE");
    file.setObject(CFPropertyList::integer(2), "ICON_STYLE");
    file.setObject(CFPropertyList::boolean(true), "ROUNDED_ICON");
    file.setObject(CFPropertyList::real(52.5), "VIEW_HEIGHT");
    file.setObject(CFPropertyList::boolean(false), "APP_STORE_ENABLED");
    file.setObject(CFPropertyList::boolean(true), "CC_DISMISS");
    file.setObject(CFPropertyList::boolean(false), "SHOW_SEPARATORS");
    file.setObject(CFPropertyList::real(0.5), "BUTTON_ALPHA");
    file.setObject(CFPropertyList::real(0.25), "BACKGROUND_RED");
    file.setObject(CFPropertyList::real(0.5), "BACKGROUND_GREEN");
    file.setObject(CFPropertyList::real(0.75), "BACKGROUND_BLUE");
    file.setObject(CFPropertyList::real(0.125), "BACKGROUND_ALPHA");
    file.setObject(CFPropertyList::real(1.0), "SEPARATOR_RED");
    file.setObject(CFPropertyList::real(0.375), "SEPARATOR_GREEN");
    file.setObject(CFPropertyList::real(0.625), "SEPARATOR_BLUE");
    file.setObject(CFPropertyList::real(0.875), "SEPARATOR_ALPHA");
    file.setObject(CFPropertyList::boolean(true), "LANDSCAPE_ENABLED");
    file.setObject(CFPropertyList::string("APP-Notes"), "FUNCTION_1");
    file.setObject(CFPropertyList::string("DISABLED"), "FUNCTION_2");
    file.setObject(CFPropertyList::string("SYS-Mail"), "FUNCTION_3");
    file.setObject(CFPropertyList::string("APP-WeChat"), "FUNCTION_4");
    file.setObject(CFPropertyList::string("SYS-Photo"), "FUNCTION_5");
    file.setObject(CFPropertyList::string("APP-Calendar"), "FUNCTION_6");
    for (const FunctionInfo& function : actionFunctions())
        file.setObject(CFPropertyList::string(std::string(actionName(function.actionSet().back()))),
                       function.defaultActionKey);
    return file;
}

SettingsState expectedState() {
    SettingsState state;
    SectionSettings& settings = state.settings;
    settings.iconSize = 30;
    settings.iconStyle = 2;
    settings.roundedIcon = true;
    settings.viewHeight = 52.5;
    settings.appStoreEnabled = false;
    settings.ccDismiss = true;
    settings.showSeparators = false;
    settings.buttonAlpha = 0.5;
    settings.backgroundRed = 0.25;
    settings.backgroundGreen = 0.5;
    settings.backgroundBlue = 0.75;
    settings.backgroundAlpha = 0.125;
    settings.separatorRed = 1.0;
    settings.separatorGreen = 0.375;
    settings.separatorBlue = 0.625;
    settings.separatorAlpha = 0.875;
    settings.landscapeEnabled = true;
    settings.functions = {"APP-Notes", "DISABLED", "SYS-Mail", "APP-WeChat", "SYS-Photo", "APP-Calendar"};
    const auto functions = actionFunctions();
    for (std::size_t index = 0; index < functions.size(); ++index)
        settings.defaultActions[index] = functions[index].actionSet().back();
    state.enabledCount = 5;
    return state;
}

Bytes xmlBytes(const NSDictionary& file) {
    const std::string xml = file.xmlPropertyList();
    return Bytes(xml.begin(), xml.end());
}

Bytes binaryBytes(const Bytes& xml) {
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(xml.data()), static_cast<std::uint32_t>(xml.size()),
                      &root);
    char* binary = nullptr;
    std::uint32_t length = 0;
    if (root)
        plist_to_bin(root, &binary, &length);
    Bytes bytes(binary, binary + (binary ? length : 0));
    plist_to_bin_free(binary);
    plist_free(root);
    return bytes;
}

bool writeSettingsFile(const Bytes& bytes) {
    const auto path = DeviceRoot::resolve(settingsPath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !error && out.good();
}

bool sameSettings(const SettingsState& state, const SettingsState& expected) {
    return state.settings == expected.settings && state.enabledCount == expected.enabledCount;
}

void loadSettingsFromFile(benchmark::State& state, const Variant& variant) {
    if (variant.bytes.empty() || !writeSettingsFile(variant.bytes)) {
        state.SkipWithError("could not write the settings file");
        return;
    }
    const SettingsState expected = expectedState();
    resetSectionSettingsState();
    loadSettings();
    if (!sameSettings(sectionSettingsState(), expected)) {
        state.SkipWithError("the settings read differ from the file");
        return;
    }
    for (auto _ : state) {
        loadSettings();
        benchmark::ClobberMemory();
    }
    if (!sameSettings(sectionSettingsState(), expected))
        state.SkipWithError("repeated reads changed the settings");
    state.SetLabel(std::to_string(variant.bytes.size()) + " bytes");
}

// libplist's parse of the bytes and nothing else; answers whether they held a dictionary.
bool parseOnce(const Bytes& bytes) {
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()),
                      &root);
    const bool dictionary = root && plist_get_node_type(root) == PLIST_DICT;
    benchmark::DoNotOptimize(root);
    plist_free(root);
    return dictionary;
}

void bareParse(benchmark::State& state, const Variant& variant) {
    for (auto _ : state) {
        if (!parseOnce(variant.bytes)) {
            state.SkipWithError("libplist rejected the settings bytes");
            break;
        }
    }
    state.SetLabel(std::to_string(variant.bytes.size()) + " bytes");
}

std::optional<Bytes> readWholeFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(info.st_size));
    const ssize_t count = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (count != static_cast<ssize_t>(bytes.size()))
        return std::nullopt;
    return bytes;
}

// The floor for any reader of the file: the system calls and the parse, without path resolution or
// conversion. On a machine where system calls are dear it tells the platform's overhead from the kernel's.
void readAndParse(benchmark::State& state, const Variant& variant) {
    if (variant.bytes.empty() || !writeSettingsFile(variant.bytes)) {
        state.SkipWithError("could not write the settings file");
        return;
    }
    const std::string path = DeviceRoot::resolve(settingsPath).string();
    for (auto _ : state) {
        const auto bytes = readWholeFile(path.c_str());
        if (!bytes || !parseOnce(*bytes)) {
            state.SkipWithError("could not read and parse the settings file");
            break;
        }
    }
    state.SetLabel(std::to_string(variant.bytes.size()) + " bytes");
}

void refuseDeepFile(benchmark::State& state, const Variant& variant) {
    if (variant.bytes.empty() || !writeSettingsFile(variant.bytes)) {
        state.SkipWithError("could not write the settings file");
        return;
    }
    for (auto _ : state) {
        if (NSDictionary::dictionaryWithContentsOfFile(settingsPath)) {
            state.SkipWithError("the deeply nested file was taken");
            break;
        }
    }
    state.SetLabel(std::to_string(variant.bytes.size()) + " bytes");
}

} // namespace

int main(int argc, char** argv) {
    const auto device = BenchmarkDevice::start(argc, argv);
    if (!device)
        return 1;

    const Bytes xml = xmlBytes(fullSettingsFile());
    const Variant variants[] = {{"xml", xml}, {"binary", binaryBytes(xml)}};
    std::vector<RatioReporter::Ratio> ratios;
    for (const Variant& variant : variants) {
        const std::string suffix = std::string("/") + variant.name;
        benchmark::RegisterBenchmark(("loadSettings" + suffix).c_str(), loadSettingsFromFile, variant)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("bareParse" + suffix).c_str(), bareParse, variant)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("readAndParse" + suffix).c_str(), readAndParse, variant)
            ->Unit(benchmark::kMicrosecond);
        ratios.push_back({"loadSettings" + suffix, "bareParse" + suffix});
        ratios.push_back({"loadSettings" + suffix, "readAndParse" + suffix});
    }

    // One value nested 100,000 levels deep: parsed, it would take libplist seconds and then the stack.
    const Variant deep = {"binary-100000-levels", readWholeFile(ORVANE_DEEP_SETTINGS_FILE).value_or(Bytes())};
    benchmark::RegisterBenchmark("refuseDeepFile/binary-100000-levels", refuseDeepFile, deep)
        ->Unit(benchmark::kMillisecond);
    ratios.push_back({"refuseDeepFile/binary-100000-levels", "loadSettings/binary"});

    return runWithRatios(std::move(ratios));
}
