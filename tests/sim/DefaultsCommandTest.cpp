#include "Foundation/NSDictionary.h"
#include "common/SectionSettings.h"
#include "sim/Commands.h"
#include "sim/Defaults.h"
#include "support/TemporaryDevice.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

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

} // namespace
