#include "Foundation/NSDictionary.h"
#include "common/SectionSettings.h"
#include "sim/Commands.h"
#include "sim/Defaults.h"
#include "support/TemporaryDevice.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {

using Value = CFPropertyList;

std::optional<Value> parsed(std::vector<std::string> words) {
    return parseTypedValue(words);
}

TEST(DefaultsValues, TypeFlagsAndInference) {
    EXPECT_EQ(parsed({"-int", "30"}), Value::integer(30));
    EXPECT_EQ(parsed({"-real", "0.5"}), Value::real(0.5));
    EXPECT_EQ(parsed({"-bool", "yes"}), Value::boolean(true));
    EXPECT_EQ(parsed({"-string", "30"}), Value::string("30"));
    EXPECT_EQ(parsed({"30"}), Value::integer(30));
    EXPECT_EQ(parsed({"0.25"}), Value::real(0.25));
    EXPECT_EQ(parsed({"false"}), Value::boolean(false));
    EXPECT_EQ(parsed({"SYS-Mail"}), Value::string("SYS-Mail"));
    EXPECT_TRUE(std::isnan(*parsed({"-real", "nan"}).value().doubleValue()));
    EXPECT_EQ(parsed({"-int", "thirty"}), std::nullopt);
    EXPECT_EQ(parsed({"-bool", "perhaps"}), std::nullopt);
    EXPECT_EQ(parsed({"-colour", "red"}), std::nullopt);
    EXPECT_EQ(parsed({"-int", "3", "4"}), std::nullopt);
}

struct Run {
    int status;
    std::string out;
    std::string errors;
};

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Run run(std::vector<std::string> words) {
    std::ostringstream out;
    std::ostringstream errors;
    const int status = runCommand(words, out, errors);
    return {status, out.str(), errors.str()};
}

TEST(DefaultsCommand, WriteReadDeleteAndResetGoThroughTheFileAndNotify) {
    TemporaryDevice device;
    NotificationCounter notifications(settingsChangedNotification);
    EXPECT_EQ(run({"defaults", "write", "ICON_SIZE", "-int", "30"}).status, 0);
    EXPECT_EQ(run({"defaults", "write", "FUNCTION_1", "DISABLED"}).status, 0);
    EXPECT_EQ(run({"defaults", "read", "ICON_SIZE"}).out, "ICON_SIZE = 30\n");
    EXPECT_EQ(run({"defaults", "read"}).out, "FUNCTION_1 = \"DISABLED\"\nICON_SIZE = 30\n");
    EXPECT_EQ(run({"defaults", "delete", "ICON_SIZE"}).status, 0);
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(settingsPath)->count(), 1u);
    EXPECT_EQ(notifications.received, 3);

    EXPECT_EQ(run({"defaults", "reset"}).out, "deleted the settings file\n");
    EXPECT_EQ(run({"defaults", "reset"}).out, "there was no settings file to delete: nothing posted\n");
    EXPECT_EQ(notifications.received, 4);
    EXPECT_NE(run({"defaults", "read"}).out.find("no settings file"), std::string::npos);
}

TEST(DefaultsCommand, MalformedCommandsChangeNothing) {
    TemporaryDevice device;
    NotificationCounter notifications(settingsChangedNotification);
    for (const auto& words :
         std::vector<std::vector<std::string>>{{"defaults", "write", "ICON_SIZE"},
                                               {"defaults", "write", "ICON_SIZE", "-int", "x"},
                                               {"defaults", "write", "ICON_SIZE", "-int"},
                                               {"defaults", "delete"},
                                               {"defaults", "frobnicate"},
                                               {"jump"}}) {
        const auto result = run(words);
        EXPECT_EQ(result.status, 2);
        EXPECT_FALSE(result.errors.empty());
    }
    EXPECT_EQ(notifications.received, 0);
    EXPECT_FALSE(std::filesystem::exists(device.hostPath(settingsPath)));
}

TEST(DefaultsCommand, AnUnreadableFileIsReportedByReadAndKeptAsideByWrite) {
    TemporaryDevice device;
    device.writeText(settingsPath, "not a property list");
    for (const auto& words :
         std::vector<std::vector<std::string>>{{"defaults", "read"}, {"defaults", "read", "ICON_SIZE"}}) {
        const auto read = run(words);
        EXPECT_EQ(read.status, 1);
        EXPECT_EQ(read.errors,
                  "the settings file cannot be read (the section uses every default): it is not a "
                  "well-formed property list\n");
    }
    const auto write = run({"defaults", "write", "ICON_SIZE", "-int", "30"});
    EXPECT_EQ(write.status, 0);
    EXPECT_TRUE(write.out.starts_with("kept the unreadable settings file aside as " +
                                      std::string(settingsPath) + ".unreadable-"))
        << write.out;
    EXPECT_EQ(run({"defaults", "read"}).out, "ICON_SIZE = 30\n");
}

TEST(DefaultsCommand, FailuresAreReportedWithStatusOne) {
    TemporaryDevice device;
    const auto refused = run({"defaults", "write", "NAME", "-string", "a\x01\xff"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.errors.find("refused: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(device.hostPath(settingsPath)));

    device.writeText("/var/run/notifyd", "a file where the run folder belongs");
    const auto unannounced = run({"defaults", "write", "ICON_SIZE", "30"});
    EXPECT_EQ(unannounced.status, 1);
    EXPECT_EQ(unannounced.out, "wrote ICON_SIZE = 30\n");
    EXPECT_EQ(unannounced.errors,
              "the change could not be announced: the change notification could not be posted\n");

    std::filesystem::remove(device.hostPath(settingsPath));
    std::filesystem::create_directories(device.hostPath(settingsPath));
    const auto reset = run({"defaults", "reset"});
    EXPECT_EQ(reset.status, 1);
    EXPECT_EQ(reset.errors, "could not change the settings file: a folder is at the settings path\n");
}

TEST(DefaultsCommand, WhatTheSectionWouldIgnoreIsRefusedUnlessForced) {
    TemporaryDevice device;
    NotificationCounter notifications(settingsChangedNotification);
    const auto misspelt = run({"defaults", "write", "ICON_SIZ", "30"});
    EXPECT_EQ(misspelt.status, 1);
    EXPECT_EQ(misspelt.errors, "refused: ICON_SIZ is not a key the section reads (did you mean ICON_SIZE?); "
                               "nothing written (--force writes it anyway)\n");
    EXPECT_TRUE(has(run({"defaults", "write", "default_action_sys-mial", "Mail"}).errors,
                    "did you mean DEFAULT_ACTION_SYS-Mail?"))
        << "case and a slip of two letters";
    EXPECT_TRUE(
        has(run({"defaults", "write", "COLOUR", "1"}).errors, "the keys are ICON_SIZE, ICON_STYLE, "));
    const auto huge = run({"defaults", "write", "ICON_SIZE", "99999999999"});
    EXPECT_EQ(huge.status, 1);
    EXPECT_TRUE(has(huge.errors, "the section ignores ICON_SIZE = 99999999999: it takes 20, 30, 40 or 50"));
    EXPECT_TRUE(has(run({"defaults", "write", "VIEW_HEIGHT", "-real", "25.9"}).errors, "at least 26"));
    EXPECT_TRUE(has(run({"defaults", "write", "DEFAULT_ACTION_SYS-Mail", "Scan"}).errors,
                    "an action of SYS-Mail: Mail, Camera, Library, Launch"));
    EXPECT_FALSE(std::filesystem::exists(device.hostPath(settingsPath)));
    EXPECT_EQ(notifications.received, 0);

    EXPECT_EQ(run({"defaults", "write", "--force", "ICON_SIZ", "30"}).status, 0);
    EXPECT_EQ(run({"defaults", "write", "--force", "ICON_SIZE", "99999999999"}).status, 0);
    EXPECT_EQ(run({"defaults", "read"}).out, "ICON_SIZ = 30\nICON_SIZE = 99999999999\n");
    EXPECT_EQ(notifications.received, 2);
    EXPECT_EQ(run({"defaults", "write", "--force", "ICON_SIZE"}).status, 2);
}

TEST(DefaultsCommand, SettingsMoveBetweenDevicesByExportAndImport) {
    const auto exported =
        std::filesystem::temp_directory_path() / ("orvane-export-" + std::to_string(getpid()));
    std::optional<NSDictionary> before;
    {
        TemporaryDevice first;
        EXPECT_EQ(run({"defaults", "export", exported.string()}).out,
                  "exported 0 settings to " + exported.string() + "\n");
        EXPECT_EQ(NSDictionary::dictionaryWithPropertyListData(bytesOf(exported)), NSDictionary())
            << "no settings file: an empty dictionary";
        for (const auto& words : std::vector<std::vector<std::string>>{
                 {"ICON_SIZE", "30"}, {"FUNCTION_2", "APP-Notes"}, {"BACKGROUND_RED", "-real", "0.5"}}) {
            std::vector<std::string> command{"defaults", "write"};
            command.insert(command.end(), words.begin(), words.end());
            ASSERT_EQ(run(command).status, 0);
        }
        before = NSDictionary::dictionaryWithContentsOfFile(settingsPath);
        EXPECT_EQ(run({"defaults", "export", exported.string()}).status, 0);
    }
    TemporaryDevice second;
    NotificationCounter notifications(settingsChangedNotification);
    EXPECT_EQ(run({"defaults", "import", exported.string()}).out,
              "imported 3 settings from " + exported.string() + "\n");
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(settingsPath), before);
    EXPECT_EQ(notifications.received, 1);
    std::filesystem::remove(exported);
}

TEST(DefaultsCommand, ImportRefusesWhatIsNoSettingsFileAndChangesNothing) {
    TemporaryDevice device;
    ASSERT_EQ(run({"defaults", "write", "ICON_SIZE", "30"}).status, 0);
    const auto before = NSDictionary::dictionaryWithContentsOfFile(settingsPath);
    NotificationCounter notifications(settingsChangedNotification);
    const auto file = device.root() / "candidate.plist";
    const auto plist = [](const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + body + "</plist>";
    };
    const std::pair<std::string, std::string> refused[] = {
        {"ICON_SIZE = 30", "not a settings file: it is not a well-formed property list"},
        {plist("<array><integer>1</integer></array>"), "not a settings file"},
        {plist("<dict><key>ICON_SIZ</key><integer>30</integer></dict>"), "did you mean ICON_SIZE?"},
        {plist("<dict><key>ICON_STYLE</key><integer>1</integer><key>ICON_SIZE</key><integer>35</integer>"
               "</dict>"),
         "the section ignores ICON_SIZE = 35"},
    };
    for (const auto& [content, reason] : refused) {
        std::ofstream(file) << content;
        const auto result = run({"defaults", "import", file.string()});
        EXPECT_EQ(result.status, 1) << content;
        EXPECT_TRUE(has(result.errors, reason)) << result.errors;
        EXPECT_TRUE(has(result.errors, "the settings file is unchanged")) << result.errors;
    }
    EXPECT_EQ(run({"defaults", "import", (device.root() / "missing.plist").string()}).status, 1);
    EXPECT_EQ(run({"defaults", "import"}).status, 2);
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(settingsPath), before);
    EXPECT_EQ(notifications.received, 0);
}

} // namespace
