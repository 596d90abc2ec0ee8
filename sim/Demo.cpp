#include "Demo.h"
#include "Device/DeviceHost.h"

#include "CommandOptions.h"
#include "Commands.h"
#include "Device/DeviceRoot.h"
#include "Device/EventLogHost.h"
#include "DeviceProfile.h"
#include "ParseNumber.h"
#include "Simulator.h"
#include "Watch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

struct Step {
    const char* says;
    Words command;
};

// Each scene ends with Control Center open and, when it names a picture, a screenshot.
struct Scene {
    const char* says;
    std::vector<Words> commands;
    const char* picture;
};

Words write(const char* key, const char* type, const char* value) {
    return {"defaults", "write", key, type, value};
}

// The settings pane changes things while Control Center is closed; it opens again to show them.
Scene changeWhileClosed(const char* says, std::vector<Words> writes, const char* picture) {
    writes.insert(writes.begin(), {"close"});
    writes.push_back({"open"});
    return {says, std::move(writes), picture};
}

// The code the demo shows the camera.
const char* const demoCode = ORVANE_STAGED_PICTURES "/code.png";

// clang-format off
const std::vector<Step> settingsWalk = {
    {"The settings pane stores a smaller icon size; the section reads it and raises both flags.",
     {"defaults", "write", "ICON_SIZE", "-int", "30"}},
    {"35 is no icon size: the section keeps 30 and raises nothing.",
     {"defaults", "write", "--force", "ICON_SIZE", "-int", "35"}},
    {"Emptying slot 3 lowers enabledCount and marks the row for a new layout.",
     {"defaults", "write", "FUNCTION_3", "DISABLED"}},
    {"A new background colour takes effect at the next appearance without raising a flag.",
     {"defaults", "write", "BACKGROUND_RED", "-real", "0.5"}},
    {"A height below 26 points is refused.",
     {"defaults", "write", "--force", "VIEW_HEIGHT", "-real", "25.9"}},
    {"Scan is a Photos action, so SYS-Photo takes it.",
     {"defaults", "write", "DEFAULT_ACTION_SYS-Photo", "Scan"}},
    {"Mail has no Scan action: it keeps Mail.",
     {"defaults", "write", "--force", "DEFAULT_ACTION_SYS-Mail", "Scan"}},
    {"What the file holds now.",
     {"defaults", "read"}},
    {"Resetting everything deletes the file; the section falls back to every default.",
     {"defaults", "reset"}},
};

const std::vector<Scene> controlCenterWalk = {
    {"SpringBoard gets the plug-in and Control Center opens with every setting at its default: colour icons "
     "on a clear row, dark separators between them.",
     {{"install"}, {"open"}}, "01-defaults.png"},
    changeWhileClosed("Icon style 1 shows the black glyphs.",
                      {write("ICON_STYLE", "-int", "1")}, "02-black-glyphs.png"),
    changeWhileClosed("Icon style 2 turns the glyphs white.",
                      {write("ICON_STYLE", "-int", "2")}, "03-white-glyphs.png"),
    changeWhileClosed("Rounded icons are cut to circles, which shows on the colour icons (style 0).",
                      {write("ICON_STYLE", "-int", "0"), write("ROUNDED_ICON", "-bool", "true")},
                      "04-rounded.png"),
    changeWhileClosed("Icon size 50 shows the files at their own size, and the row grows to 56 points.",
                      {write("ICON_SIZE", "-int", "50")}, "05-size-50.png"),
    changeWhileClosed("A blue background, white glyphs and separators, and buttons at full alpha.",
                      {write("ICON_STYLE", "-int", "2"), write("BACKGROUND_BLUE", "-real", "0.6"), write("BACKGROUND_ALPHA", "-real", "0.8"),
                       write("SEPARATOR_RED", "-real", "1"), write("SEPARATOR_GREEN", "-real", "1"),
                       write("SEPARATOR_BLUE", "-real", "1"), write("BUTTON_ALPHA", "-real", "1")},
                      "06-colours.png"),
    changeWhileClosed("Slots 2 and 5 emptied and Calendar in slot 1: four buttons share the row.",
                      {write("FUNCTION_2", "-string", "DISABLED"), write("FUNCTION_5", "-string", "DISABLED"),
                       write("FUNCTION_1", "-string", "APP-Calendar")},
                      "07-slots.png"),
    {"Control Center settles at 280 points while it slides in: the section lays its row out again.",
     {{"close"}, {"open", "--width", "280"}}, "08-narrower.png"},
    {"Locked, the device collapses the section to nothing.",
     {{"close"}, {"lock"}, {"open"}}, "09-locked.png"},
    {"The section's views after the settings changes.", {{"describe"}}, nullptr},
};

const std::vector<Scene> quickActionWalk = {
    {"Unlocked, with Calendar in slot 1 and Twitter in slot 2. A tap on Calendar opens it on its new-event "
     "quick action; Twitter opens on its new-tweet one.",
     {{"close"}, {"unlock"}, write("FUNCTION_2", "-string", "APP-Twitter"), {"open"}, {"tap", "1"},
      {"tap", "2"}, {"close"}}, nullptr},
};

const std::vector<Scene> appStoreWalk = {
    {"WeChat in slot 1, but this iPhone lacks it: the tap offers it in the App Store, over Control Center.",
     {write("FUNCTION_1", "-string", "APP-WeChat"), {"open"}, {"tap", "1"}, {"alert"}},
     "16-app-store-prompt.png"},
    {"OK opens WeChat's page in the App Store; Control Center stays open.",
     {{"choose", "OK"}, {"alert"}}, nullptr},
};

// The photo the demo's camera takes: one of the embedded library's, stored turned (EXIF orientation 6).
const std::string cameraPhoto = std::string(ORVANE_STAGED_LIBRARY) + "/IMG_0002.JPG";

const std::vector<Scene> mediaWalk = {
    {"Mail in slot 3 with Camera as its default, Twitter in slot 4 with Library, and Control Center closing "
     "after a finished sheet. A tap on Mail opens the camera over Control Center.",
     {write("FUNCTION_3", "-string", "SYS-Mail"), write("DEFAULT_ACTION_SYS-Mail", "-string", "Camera"),
      write("FUNCTION_4", "-string", "SYS-Twitter"), write("DEFAULT_ACTION_SYS-Twitter", "-string", "Library"),
      write("CC_DISMISS", "-bool", "true"), {"open"}, {"tap", "3"}}, "10-camera.png"},
    {"The camera takes a photo stored on its side; the mail sheet gets it upright, as image.png.",
     {{"picker", "take", cameraPhoto}, {"alert"}}, "11-mail-sheet.png"},
    {"Sending the mail closes the sheet and, as CC_DISMISS asks, Control Center.",
     {{"sheet", "send"}, {"describe"}}, nullptr},
    {"Control Center again: Twitter opens the library, and the chosen photo goes into a post as it was picked.",
     {{"open"}, {"tap", "4"}, {"picker", "choose", "IMG_0004.JPG"}}, "12-post-sheet.png"},
    {"Posting closes the sheet and Control Center.",
     {{"sheet", "post"}}, nullptr},
};

const std::vector<Scene> menuWalk = {
    {"Facebook in slot 2. A long press opens the menu of all its actions over Control Center, Cancel preferred.",
     {write("FUNCTION_2", "-string", "APP-Facebook"), {"open"}, {"hold", "2"}, {"alert"}}, "13-menu.png"},
    {"Upload Photo/Video opens Facebook on its camera quick action.",
     {{"choose", "Upload Photo/Video"}, {"close"}}, nullptr},
};

const std::vector<Scene> scanWalk = {
    {"Photos in slot 3, with Scan as its tap action. The person holds a QR code up to the back camera and "
     "taps Photos: the scanner opens over Control Center with the code under its box.",
     {write("FUNCTION_3", "-string", "SYS-Photo"), write("DEFAULT_ACTION_SYS-Photo", "-string", "Scan"),
      {"open"}, {"camera", "show", demoCode}, {"tap", "3"}}, "14-scanner.png"},
    {"The scanner reads the code from the camera's frames: it beeps, closes, and offers the text.",
     {{"camera", "show", demoCode}, {"alert"}}, "15-scan-result.png"},
    {"Open closes Control Center and opens the URL.", {{"choose", "Open"}}, nullptr},
};

const std::vector<Scene> paneWalk = {
    {"The Settings application lists Orvane because of the pane's entry plist. Its top page shows what the "
     "settings file holds, with the about notice under the last group and Donate in the navigation bar.",
     {{"close"}, {"unlock"}, {"settings", "open"}, {"settings", "tap", "Orvane"}}, "17-settings-root.png"},
    {"Button 3's function is picked from every function of the catalogue, each with its icon; Disabled is red.",
     {{"settings", "tap", "Button 3"}}, "18-settings-picker.png"},
    {"Notes goes into slot 3. Back on the top page, the icons get rounded and the row taller.",
     {{"settings", "tap", "Notes"}, {"settings", "back"}, {"settings", "set", "Rounded Icons", "on"},
      {"settings", "set", "Height", "60"}}, "19-settings-changed.png"},
    {"The colours page gives the row a green background.",
     {{"settings", "tap", "Colours"}, {"settings", "set", "Background/Green", "0.6"},
      {"settings", "set", "Background/Alpha", "0.9"}}, "20-settings-colours.png"},
    {"Control Center opens over the Settings application: the section shows everything the pane changed.",
     {{"open"}}, "21-section-after-pane.png"},
    {"Back in the pane, Reset All Settings deletes the file; every control shows its default again.",
     {{"close"}, {"settings", "back"}, {"settings", "tap", "Reset All Settings"}}, "22-settings-reset.png"},
};
// clang-format on

// A fresh folder in the temporary folder; nothing, with the reason, when there is none to make it in.
std::filesystem::path freshDeviceRoot(std::string& problem) {
    std::error_code error;
    const auto temporary = std::filesystem::temp_directory_path(error);
    std::string pattern = (temporary / "orvane-demo-XXXXXX").string();
    if (error || !::mkdtemp(pattern.data())) {
        problem = error ? error.message() : std::strerror(errno);
        return {};
    }
    return pattern;
}

void printCommand(const Words& command, std::ostream& out) {
    out << "$";
    for (const auto& word : command)
        out << " " << (word.find(' ') == std::string::npos ? word : "\"" + word + "\"");
    out << "\n";
}

int walkSettings(std::ostream& out, std::ostream& errors) {
    out << "The section starts with no settings file; after each change, what it reads that changed.\n";
    SettingsWatcher section(out, SettingsWatcher::Shows::changes);
    section.start();
    for (const auto& step : settingsWalk) {
        out << "\n" << step.says << "\n";
        printCommand(step.command, out);
        if (const int status = runCommand(step.command, out, errors); status != 0)
            return status;
    }
    return 0;
}

// What the device did during a scene: the events logged since the last call, without their time and process.
void printNewEvents(EventLog::Reader& log, std::ostream* out) {
    while (const auto line = log.nextLine()) {
        if (const auto event = EventLog::parseLine(*line); event && out)
            *out << "  > " << event->body << "\n";
    }
}

// The tour's install takes the plug-ins from the package when it has one.
Words fromPackage(Words command, const DemoOptions& options) {
    if (options.package && command == Words{"install"})
        command.insert(command.end(), {"--package", options.package->string()});
    return command;
}

int playScene(const CommandRunner& run, const Scene& scene, const std::filesystem::path& pictures,
              const DemoOptions& options, std::ostream& out, std::ostream& errors) {
    out << "\n" << scene.says << "\n";
    std::vector<Words> commands;
    for (const auto& command : scene.commands)
        commands.push_back(fromPackage(command, options));
    if (scene.picture)
        commands.push_back({"screenshot", (pictures / scene.picture).string()});
    EventLog::Reader log;
    printNewEvents(log, nullptr);
    for (const auto& command : commands) {
        printCommand(command, out);
        const int status = run(command, out, errors);
        printNewEvents(log, command.front() != "events" ? &out : nullptr);
        if (status != 0)
            return status;
    }
    return 0;
}

// clang-format off
const std::vector<Scene> chineseWalk = {
    {"The device's first language becomes Simplified Chinese; SpringBoard starts again to speak it. WeChat in "
     "slot 1 is offered in the App Store in Chinese, with its Chinese name in place.",
     {{"language", "zh-Hans"}, write("FUNCTION_1", "-string", "APP-WeChat"),
      write("FUNCTION_2", "-string", "APP-Facebook"), {"open", "--width", "320"}, {"tap", "1"}, {"alert"}},
     "24-chinese-app-store.png"},
    {"\xE5\xA5\xBD (OK) opens WeChat's page. A long press on Facebook lists its actions in Chinese.",
     {{"choose", "\xE5\xA5\xBD"}, {"hold", "2"}, {"alert"}}, "25-chinese-menu.png"},
    {"The pane's top page in Chinese; the settings file still holds the English ids.",
     {{"choose", "\xE5\x8F\x96\xE6\xB6\x88"}, {"close"}, {"settings", "open"}, {"settings", "tap", "Orvane"},
      {"defaults", "read", "FUNCTION_1"}}, "26-chinese-settings.png"},
    {"English again, for what comes next.", {{"settings", "back"}, {"language", "en"}}, nullptr},
};
// clang-format on

struct Chapter {
    const char* title;
    std::span<const Scene> scenes;
};

// The tour, in the order a person meets the product.
const std::vector<Chapter> tour = {
    {"Control Center opens, and the row changes with the settings", controlCenterWalk},
    {"Taps open applications on their quick actions", quickActionWalk},
    {"A tap takes a photo into a mail, and a tap posts a photo", mediaWalk},
    {"A hold opens a menu", menuWalk},
    {"A scan opens a URL", scanWalk},
    {"A missing application is offered in the App Store", appStoreWalk},
    {"The Settings pane changes the row, and the row changes", paneWalk},
    {"On a Chinese device, the row and the pane speak Chinese", chineseWalk},
};

int playChapter(const CommandRunner& run, const Chapter& chapter, const std::filesystem::path& pictures,
                const DemoOptions& options, std::ostream& out, std::ostream& errors) {
    out << "\n== " << chapter.title << " ==\n";
    for (const auto& scene : chapter.scenes) {
        if (const int status = playScene(run, scene, pictures, options, out, errors); status != 0)
            return status;
    }
    return 0;
}

int walkControlCenter(const std::filesystem::path& pictures, const DemoOptions& options, std::ostream& out,
                      std::ostream& errors) {
    out << "\nThe device: " << defaultDeviceProfile().name << ". Screenshots go to " << pictures.string()
        << "\n";
    Simulator device(defaultDeviceProfile());
    const CommandRunner run = [&device](Arguments words, std::ostream& to, std::ostream& problems) {
        return device.run(words, to, problems);
    };
    for (const auto& chapter : tour)
        if (const int status = playChapter(run, chapter, pictures, options, out, errors); status != 0)
            return status;
    return 0;
}

bool makeFolder(const std::filesystem::path& folder, std::ostream& errors) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        errors << "cannot make the screenshot folder " << folder.string() << ": " << error.message() << "\n";
    return !error;
}

// Where the pictures went, and which, in the order they were taken.
void printScreenshots(const std::filesystem::path& pictures, std::ostream& out) {
    out << "\nThe screenshots are in " << pictures.string() << ":\n";
    for (const auto& chapter : tour) {
        for (const auto& scene : chapter.scenes) {
            if (scene.picture)
                out << "  " << scene.picture << "\n";
        }
    }
}

// The device the tour made goes with it, unless the person asked to keep it to look at or go on with.
void leaveDevice(const std::filesystem::path& root, bool keep, std::ostream& out, std::ostream& errors) {
    if (keep) {
        out << "\nThe device stays at " << root.string() << ": orvane-sim --device " << root.string()
            << " describe\n";
        return;
    }
    std::error_code error;
    std::filesystem::remove_all(root, error);
    if (error)
        errors << "could not remove the tour's device at " << root.string() << ": " << error.message()
               << "\n";
    else
        out << "\nRemoved the tour's device (--keep keeps it).\n";
}

} // namespace

int runDemo(const DemoOptions& options, std::ostream& out, std::ostream& errors) {
    std::string problem;
    const auto root = freshDeviceRoot(problem);
    if (root.empty()) {
        errors << "could not make a device folder in the temporary folder: " << problem << "\n";
        return 1;
    }
    const auto pictures = options.screenshots.value_or(root.string() + "-screenshots");
    if (!makeFolder(pictures, errors))
        return 1;
    DeviceHost::setRoot(root);
    out << "Orvane on a fresh simulated device at " << root.string() << "\n\n";
    int status = walkSettings(out, errors);
    if (status == 0)
        status = walkControlCenter(pictures, options, out, errors);
    if (status == 0)
        printScreenshots(pictures, out);
    leaveDevice(root, options.keep, out, errors);
    return status;
}

int runTourCommand(const CommandRunner& run, Arguments arguments, std::ostream& out, std::ostream& errors) {
    constexpr CommandOption options[] = {{"screenshots", true}, {"package", true}};
    const auto parsed = parseCommandOptions(arguments, options);
    const auto chapter = parsed && parsed->operands.size() == 1
                             ? parsePositive<std::size_t>(parsed->operands[0])
                             : std::optional<std::size_t>();
    if (parsed && parsed->operands.empty() && parsed->given.empty()) {
        for (std::size_t at = 0; at < tour.size(); ++at)
            out << at + 1 << ". " << tour[at].title << "\n";
        return 0;
    }
    if (!chapter || *chapter == 0 || *chapter > tour.size()) {
        errors << "usage: " << tourUsage << "\n";
        return 2;
    }
    DemoOptions demo;
    if (const auto package = parsed->value("package"))
        demo.package = std::filesystem::absolute(*package);
    const auto pictures = std::filesystem::absolute(
        parsed->value("screenshots").value_or(DeviceRoot::current().string() + "-screenshots"));
    if (!makeFolder(pictures, errors))
        return 1;
    return playChapter(run, tour[*chapter - 1], pictures, demo, out, errors);
}
