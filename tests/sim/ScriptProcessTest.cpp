#include "Device/EventLog.h"
#include "UIKit/UIImage.h"
#include "sim/ChildProcess.h"
#include "support/CodePictures.h"
#include "support/TemporaryDevice.h"

#include <ZXing/BarcodeFormat.h>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

// orvane-sim as a person runs it: scripts, profiles and the demo, with its standard error folded into the
// output that the test reads.
namespace {

using namespace std::chrono_literals;

Finished runShell(const std::string& command) {
    ChildProcess process({"/bin/sh", "-c", command + " 2>&1"});
    // Reads to the end of the output: the text never comes.
    process.readUntil("\x04", 120s);
    return {process.wait(), process.output()};
}

std::string sim(const TemporaryDevice& device) {
    return std::string(ORVANE_SIM_PATH) + " --device " + device.root().string();
}

std::filesystem::path writeScript(const TemporaryDevice& device, std::string_view text) {
    const auto file = device.root().parent_path() / (device.root().filename().string() + ".script");
    std::ofstream(file) << text;
    return file;
}

TEST(SimulatorProcess, AScriptRunsLineByLineAndStopsAtTheFirstFailingLine) {
    TemporaryDevice device;
    const auto script = writeScript(device, "install\n# the row\nopen\nopen --width nan\ndescribe\n");
    const auto result = runShell(sim(device) + " script " + script.string());
    std::filesystem::remove(script);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("Control Center open, 320 wide; section 320 x 46\n"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(script.string() + ":4: open --width nan\nusage: open [--width W]\n"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("UIButton"), std::string::npos) << "describe never ran";
}

TEST(SimulatorProcess, CommandsComeFromStandardInputWithOrWithoutADash) {
    for (const auto* dash : {" -", ""}) {
        TemporaryDevice device;
        const auto script = writeScript(device, "install\nopen --width 300\nclose\n");
        const auto result = runShell(sim(device) + dash + " < " + script.string());
        std::filesystem::remove(script);
        EXPECT_EQ(result.status, 0) << dash << result.output;
        EXPECT_NE(result.output.find("Control Center closed, 300 wide; section 300 x 46\n"),
                  std::string::npos)
            << dash << result.output;
    }
}

TEST(SimulatorProcess, ABadProfileIsReportedAndNothingRuns) {
    TemporaryDevice device;
    const auto profile =
        writeScript(device, xmlPlist("<dict><key>ScreenScale</key><string>2</string></dict>"));
    const auto result = runShell(sim(device) + " --profile " + profile.string() + " install");
    std::filesystem::remove(profile);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output,
              "bad device profile: " + profile.string() + ": ScreenScale must be a number from 1 to 3\n");
    EXPECT_FALSE(std::filesystem::exists(device.hostPath("/Library/Caddex")));
}

TEST(SimulatorProcess, AProfileFileChoosesTheDevice) {
    TemporaryDevice device;
    const auto result = runShell(sim(device) + " --profile " ORVANE_PROFILES_DIR "/ipad.plist open");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Control Center open, 768 wide; no section (install it first)\n");
}

TEST(SimulatorProcess, ANotificationFromAnotherProcessArrivesWhileTheDeviceWaits) {
    TemporaryDevice device;
    const auto script = writeScript(device, "install\nopen\nwait 3\nclose\nopen\ndescribe\n");
    ChildProcess springBoard(
        {ORVANE_SIM_PATH, "--device", device.root().string(), "script", script.string()});
    ASSERT_TRUE(springBoard.readUntil("section 320 x 46\n", 20s)) << springBoard.output();
    EXPECT_EQ(runShell(sim(device) + " defaults write ICON_SIZE -int 30").status, 0);
    EXPECT_TRUE(springBoard.readUntil("UIButton frame 0 0 52.5 46, alpha 0.7, image 30 x 30\n", 20s))
        << springBoard.output();
    EXPECT_EQ(springBoard.wait(), 0);
    std::filesystem::remove(script);
}

TEST(SimulatorProcess, TheEventLogShowsWhatEveryProcessOnTheDeviceDid) {
    TemporaryDevice device;
    ChildProcess follower(
        {ORVANE_SIM_PATH, "--device", device.root().string(), "events", "--follow", "--seconds", "3"});
    EXPECT_EQ(runShell(sim(device) + " defaults write ICON_SIZE -int 30").status, 0);
    const auto printed = runShell(sim(device) + " events");
    EXPECT_EQ(printed.status, 0);
    const auto written = printed.output.find(
        " plist.written path=/var/mobile/Library/Preferences/com.velquin.orvane.plist keys=1\n");
    const auto posted = printed.output.find(" notify.posted name=com.velquin.orvane.changed\n");
    EXPECT_LT(written, posted) << printed.output;
    EXPECT_NE(posted, std::string::npos) << printed.output;
    EXPECT_EQ(std::count(printed.output.begin(), printed.output.end(), '\n'), 2) << printed.output;
    EXPECT_NE(printed.output.find(" sim["), std::string::npos) << "the process that wrote them";

    EXPECT_TRUE(follower.readUntil("notify.posted name=com.velquin.orvane.changed\n", 20s))
        << follower.output();
    EXPECT_EQ(follower.wait(), 0) << "--seconds ends the follow";
    EXPECT_EQ(runShell(sim(device) + " events --clear").output, "cleared the event log\n");
    EXPECT_EQ(runShell(sim(device) + " events").output, "");
    EXPECT_EQ(runShell(sim(device) + " events --follow --seconds soon").status, 2);
}

// The folder the demo names at its end, and the pictures it lists there.
std::pair<std::filesystem::path, std::vector<std::string>> listedScreenshots(const std::string& output) {
    const std::string intro = "\nThe screenshots are in ";
    const auto at = output.rfind(intro);
    if (at == std::string::npos)
        return {};
    std::istringstream rest(output.substr(at + intro.size()));
    std::string folder;
    std::getline(rest, folder);
    std::vector<std::string> names;
    for (std::string line; std::getline(rest, line) && line.starts_with("  ");)
        names.push_back(line.substr(2));
    return {folder.substr(0, folder.size() - 1), names};
}

TEST(SimulatorProcess, TheDemoWritesAScreenshotAfterEachStepAndSaysWhereTheyWent) {
    TemporaryDevice folder;
    const auto result = runShell("TMPDIR=" + folder.root().string() + " " + ORVANE_SIM_PATH);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("deleted the settings file"), std::string::npos)
        << "the settings walk is kept";
    const auto [pictures, names] = listedScreenshots(result.output);
    EXPECT_EQ(pictures.parent_path(), folder.root()) << "a folder beside the fresh device";
    EXPECT_EQ(names.size(), 25u) << result.output;
    std::size_t screenshots = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(pictures, error))
        screenshots += entry.path().extension() == ".png" && entry.file_size() > 0;
    EXPECT_EQ(screenshots, names.size()) << "every picture listed, and only those";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.root()),
                            std::filesystem::directory_iterator()),
              1)
        << "the tour's device is gone, its screenshots stay";
    EXPECT_NE(result.output.find("Removed the tour's device (--keep keeps it).\n"), std::string::npos);
    // After a change, only what it changed: the icon size, and no line of the functions.
    const auto change = result.output.find("$ defaults write ICON_SIZE -int 30\n");
    ASSERT_NE(change, std::string::npos);
    const auto next = result.output.find("\n\n", change);
    const auto printed = result.output.substr(change, next - change);
    EXPECT_NE(printed.find("  iconSize 30, "), std::string::npos) << printed;
    EXPECT_EQ(printed.find("  functions "), std::string::npos) << printed;
    for (const auto& name : names)
        EXPECT_TRUE(std::filesystem::is_regular_file(pictures / name)) << name;
    EXPECT_NE(result.output.find("  > springboard.activateShortcutItem type=com.apple.mobilecal.addevent"),
              std::string::npos)
        << "each step prints the events it caused";
    EXPECT_NE(result.output.find("springboard.openURL url=https://apps.apple.com/app/wechat/id414478124"),
              std::string::npos)
        << "the taps end with the App Store page in the event log";
    EXPECT_NE(result.output.find("mail.attachment mime=image/png file=image.png"), std::string::npos)
        << "the mail got the camera's photo";
    EXPECT_NE(result.output.find("social.finished service=com.apple.social.twitter result=done"),
              std::string::npos)
        << "the post was sent";
    EXPECT_NE(result.output.find("springboard.openURL url=https://example.org/orvane"), std::string::npos)
        << "the scan opens the code's URL";
}

TEST(SimulatorProcess, AScanScriptReadsAQRCodeAndOpensItsURLOverControlCenter) {
    TemporaryDevice device;
    const auto code = device.root().parent_path() / (device.root().filename().string() + "-qr.png");
    const auto bytes =
        CGImagePNGRepresentation(CodePictures::code(ZXing::BarcodeFormat::QRCode, "https://example.org/x"));
    std::ofstream(code, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const auto script = writeScript(device, "install\n"
                                            "open\n"
                                            "defaults write FUNCTION_1 SYS-Photo\n"
                                            "defaults write DEFAULT_ACTION_SYS-Photo Scan\n"
                                            "defaults write CC_DISMISS -bool true\n"
                                            "tap 1\n"
                                            "camera show " +
                                                code.string() +
                                                "\n"
                                                "alert\n"
                                                "choose Open\n"
                                                "events\n");
    const auto result = runShell(sim(device) + " script " + script.string());
    std::filesystem::remove(script);
    std::filesystem::remove(code);
    EXPECT_EQ(result.status, 0) << result.output;
    const auto& out = result.output;
    const auto alert = out.find("title: \"Scan Result\"\n"
                                "message: \"https://example.org/x\"\n"
                                "action: \"Copy\" (default)\n"
                                "action: \"Open\" (default)\n"
                                "action: \"Cancel\" (cancel, preferred)\n");
    const auto beep = out.find(" sound.played path=/Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav ");
    const auto scannerClosed = out.find(" uikit.dismissed controller=UINavigationController ");
    const auto controlCenterDismissed = out.find(" springboard.dismissControlCenter animated=true\n");
    const auto opened = out.find(" springboard.openURL url=https://example.org/x\n");
    EXPECT_NE(alert, std::string::npos) << out;
    EXPECT_NE(beep, std::string::npos) << out;
    EXPECT_LT(beep, scannerClosed) << out;
    EXPECT_LT(scannerClosed, controlCenterDismissed) << out;
    EXPECT_LT(controlCenterDismissed, opened) << out;
    EXPECT_NE(opened, std::string::npos) << out;
}

TEST(SimulatorProcess, OptionsThatDoNotFitAreAUsageError) {
    for (const auto* arguments :
         {" --device", " --profile x.plist", " --device d --screenshots s open", " open"}) {
        const auto result = runShell(std::string(ORVANE_SIM_PATH) + arguments + " < /dev/null");
        EXPECT_EQ(result.status, 2) << arguments;
        // An option without its value is named first, as getopt names it.
        EXPECT_NE(result.output.find("usage: orvane-sim"), std::string::npos) << arguments;
    }
    EXPECT_NE(runShell(std::string(ORVANE_SIM_PATH) + " --device")
                  .output.find(": option '--device' requires an argument\nusage: orvane-sim"),
              std::string::npos);
}

TEST(SimulatorProcess, AFolderAsScriptAndAPipeAsProfileAreRefusedAtOnce) {
    TemporaryDevice device;
    const auto folder = runShell(sim(device) + " script " + device.root().string());
    EXPECT_EQ(folder.status, 2) << folder.output;
    EXPECT_NE(folder.output.find("neither a regular file nor a pipe"), std::string::npos) << folder.output;

    const auto pipe = device.root() / "profile.fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const auto profile = runShell(sim(device) + " --profile " + pipe.string() + " describe");
    EXPECT_EQ(profile.status, 1) << profile.output;
    EXPECT_NE(profile.output.find("not a regular file"), std::string::npos) << profile.output;
}

// Endless or unreadable input ends at once with status 2 and the reason, nothing run and nothing gathered.
TEST(SimulatorProcess, EndlessOrUnreadableScriptsAreRefusedWithTheReason) {
    TemporaryDevice device;
    const struct {
        std::string arguments;
        std::string reason;
    } cases[] = {
        {" script /dev/zero", "neither a regular file nor a pipe"},
        {" script /proc/self/mem", "Input/output error"},
        {" script /nonexistent/script", "No such file or directory"},
        {" - < /dev/zero", "stdin:1: the line is longer than 65536 bytes"},
        {" < /dev/zero", "stdin:1: the line is longer than 65536 bytes"},
    };
    for (const auto& [arguments, reason] : cases) {
        const auto result = runShell(sim(device) + arguments);
        EXPECT_EQ(result.status, 2) << arguments << ": " << result.output;
        EXPECT_NE(result.output.find(reason), std::string::npos) << arguments << ": " << result.output;
        EXPECT_LT(result.output.size(), 1000u) << arguments;
    }
}

TEST(SimulatorProcess, AFifoAtTheEventLogsPathHoldsNoCommand) {
    TemporaryDevice device;
    const auto log = device.hostPath(EventLog::devicePath);
    std::filesystem::create_directories(log.parent_path());
    ASSERT_EQ(::mkfifo(log.c_str(), 0644), 0);
    const auto started = std::chrono::steady_clock::now();
    for (const auto* command : {" defaults write ICON_SIZE 40", " install", " open", " events"})
        EXPECT_EQ(runShell(sim(device) + command).status, 0) << command;
    const auto cleared = runShell(sim(device) + " events --clear");
    EXPECT_EQ(cleared.status, 1);
    EXPECT_NE(cleared.output.find("not a regular file"), std::string::npos) << cleared.output;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 60s);
}

TEST(SimulatorProcess, WithoutATemporaryFolderTheTourSaysSo) {
    const auto result = runShell("TMPDIR=/nonexistent " + std::string(ORVANE_SIM_PATH));
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("could not make a device folder in the temporary folder: "),
              std::string::npos)
        << result.output;
}

TEST(SimulatorProcess, AScriptMayComeThroughANamedPipe) {
    TemporaryDevice device;
    const auto pipe = device.root().parent_path() / (device.root().filename().string() + ".fifo");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const auto result =
        runShell("(echo describe > " + pipe.string() + " &) ; " + sim(device) + " script " + pipe.string());
    std::filesystem::remove(pipe);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Control Center closed"), std::string::npos) << result.output;
}

TEST(SimulatorProcess, AnUnknownCommandIsEchoedBoundedWithItsControlBytesEscaped) {
    TemporaryDevice device;
    const auto script = writeScript(device, "\x1b[31mred" + std::string(60000, 'w') + "\n");
    const auto result = runShell(sim(device) + " script " + script.string());
    std::filesystem::remove(script);
    EXPECT_EQ(result.status, 2) << result.output.substr(0, 2000);
    EXPECT_NE(result.output.find("unknown command \\x1b[31mred"), std::string::npos)
        << result.output.substr(0, 2000);
    EXPECT_EQ(result.output.find('\x1b'), std::string::npos) << "no raw escape reaches the terminal";
    EXPECT_LT(result.output.size(), 4000u) << "the line is echoed bounded, not whole";
}

} // namespace

namespace {

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// A photo as the camera stores a 12-megapixel picture taken upright: 4032 x 3024 pixels, shown turned a
// quarter clockwise (EXIF orientation 6).
std::filesystem::path cameraFile(const TemporaryDevice& device) {
    const auto file = device.root().parent_path() / (device.root().filename().string() + "-IMG_0100.JPG");
    const auto stored = CGImageCreate(4032, 3024, std::vector<std::uint32_t>(4032 * 3024, 0xff3a6ea5u));
    const auto jpeg =
        UIImageJPEGRepresentation(*UIImage::imageWithCGImage(stored, 1, UIImageOrientationRight), 0.9);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    return file;
}

TEST(SimulatorProcess, TheMailScriptTakesAPhotoUprightIntoAMailAndSendingClosesControlCenter) {
    TemporaryDevice device;
    const auto photo = cameraFile(device);
    const auto screenshot = device.root().parent_path() / (device.root().filename().string() + "-mail.png");
    const auto script = writeScript(device, "defaults write FUNCTION_1 SYS-Mail\n"
                                            "defaults write DEFAULT_ACTION_SYS-Mail Camera\n"
                                            "defaults write CC_DISMISS -bool true\n"
                                            "install\nopen\ntap 1\n"
                                            "picker take " +
                                                photo.string() +
                                                "\n"
                                                "alert\nscreenshot " +
                                                screenshot.string() +
                                                "\n"
                                                "sheet send\ndescribe\n");
    const auto result = runShell(sim(device) + " script " + script.string());
    const auto events = runShell(sim(device) + " events").output;
    std::filesystem::remove(script);
    std::filesystem::remove(photo);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(has(result.output, "picked " + photo.filename().string() +
                                       "\n"
                                       "MFMailComposeViewController\nattachments: image/png image.png "))
        << result.output;
    EXPECT_TRUE(has(result.output, "answered the sheet: send\nControl Center closed")) << result.output;
    EXPECT_TRUE(has(events,
                    "uikit.presented controller=UIImagePickerController presenter=UIViewController "
                    "animated=true sourceType=1 mediaTypes=public.image,public.movie allowsEditing=0"))
        << events;
    EXPECT_TRUE(has(events, "picker.picked media=public.image file=" + photo.filename().string() +
                                " pixels=4032x3024 orientation=3\n"))
        << events;
    EXPECT_TRUE(has(events, "mail.attachment mime=image/png file=image.png bytes=")) << events;
    EXPECT_TRUE(has(events, " pixels=3024x4032\n")) << "upright: " << events;
    EXPECT_TRUE(has(events, "mail.finished result=sent\n")) << events;
    EXPECT_TRUE(has(events, "springboard.dismissControlCenter animated=true\n")) << events;
    std::ifstream drawn(screenshot, std::ios::binary);
    const std::vector<std::uint8_t> png{std::istreambuf_iterator<char>(drawn), {}};
    std::filesystem::remove(screenshot);
    const auto picture = CGImageCreateWithPNGData(png);
    ASSERT_NE(picture, nullptr) << "the sheet over Control Center was drawn";
    EXPECT_EQ(picture->width(), 640u);
    EXPECT_EQ(picture->height(), 1136u);
}

TEST(SimulatorProcess, TheMessageScriptAttachesAVideoByItsTypeUnlessTheDeviceTakesNoAttachments) {
    const std::string messageScript = "defaults write FUNCTION_1 SYS-Message\n"
                                      "defaults write DEFAULT_ACTION_SYS-Message Library\n"
                                      "install\nopen\ntap 1\npicker choose IMG_0005.MOV\nalert\nsheet send\n";
    TemporaryDevice device;
    const auto script = writeScript(device, messageScript);
    const auto result = runShell(sim(device) + " script " + script.string());
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(has(result.output, "MFMessageComposeViewController\n"
                                   "attachments: com.apple.quicktime-movie IMG_0005.MOV "))
        << result.output;
    EXPECT_TRUE(has(runShell(sim(device) + " events").output,
                    "message.attachment type=com.apple.quicktime-movie file=IMG_0005.MOV bytes="));

    TemporaryDevice bare;
    const auto profile = writeScript(
        bare, xmlPlist("<dict><key>Accounts</key><dict><key>MessageAttachments</key><false/></dict></dict>"));
    const auto profileFile = profile.string() + ".plist";
    std::filesystem::rename(profile, profileFile);
    const auto bareScript = writeScript(bare, messageScript);
    const auto empty = runShell(sim(bare) + " --profile " + profileFile + " script " + bareScript.string());
    std::filesystem::remove(bareScript);
    std::filesystem::remove(profileFile);
    std::filesystem::remove(script);
    EXPECT_EQ(empty.status, 0) << empty.output;
    EXPECT_TRUE(has(empty.output, "MFMessageComposeViewController\nattachments: \n")) << empty.output;
    EXPECT_FALSE(has(runShell(sim(bare) + " events").output, "message.attachment"));
}

} // namespace

// The command line as other tools have it: help and the version on standard output with status 0, misuse on
// standard error with status 2.
TEST(SimulatorProcess, HelpAndTheVersionGoToStandardOutputAndMisuseToStandardError) {
    const std::string sim = ORVANE_SIM_PATH;
    const auto stdoutOnly = [](const std::string& command) {
        return runShell("{ " + command + " 2>/dev/null; }");
    };
    const auto stderrOnly = [](const std::string& command) {
        return runShell("{ " + command + " >/dev/null; }");
    };
    for (const auto* option : {" --help", " -h"}) {
        const auto help = stdoutOnly(sim + option + " | head -1");
        EXPECT_EQ(help.status, 0) << option;
        EXPECT_EQ(help.output.rfind("usage: orvane-sim", 0), 0u) << option << help.output;
        EXPECT_EQ(stdoutOnly(sim + option).status, 0) << option;
    }
    const auto version = stdoutOnly(sim + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "orvane-sim " ORVANE_VERSION "\n");

    const auto tap = stdoutOnly(sim + " help tap");
    EXPECT_EQ(tap.status, 0);
    EXPECT_EQ(tap.output.rfind("usage:\n  tap SLOT\n      touch up inside button SLOT", 0), 0u) << tap.output;
    EXPECT_EQ(stdoutOnly(sim + " tap --help").output, tap.output);
    const auto all = stdoutOnly(sim + " help");
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.output.find("\n  help [COMMAND]\n"), std::string::npos) << all.output;

    for (const auto* misuse : {" help jump", " jump --help", " --devise d open", " --device", " open"}) {
        EXPECT_EQ(stdoutOnly(sim + misuse).output, "") << misuse;
        const auto refused = stderrOnly(sim + misuse + " < /dev/null");
        EXPECT_EQ(refused.status, 2) << misuse;
        EXPECT_NE(refused.output, "") << misuse;
    }
}

TEST(SimulatorProcess, OptionsTakeTheirValueJoinedOrAsTheNextWordAndADoubleDashEndsThem) {
    TemporaryDevice device;
    const std::string sim = ORVANE_SIM_PATH;
    const std::string opened = "Control Center open, 320 wide; no section (install it first)\n";
    EXPECT_EQ(runShell(sim + " --device=" + device.root().string() + " open").output, opened);
    EXPECT_EQ(runShell(sim + " --device " + device.root().string() + " -- open").output, opened);
    // After --, an option's name is the command, and the device is missing.
    const auto ended = runShell(sim + " -- --device " + device.root().string() + " open");
    EXPECT_EQ(ended.status, 2) << ended.output;
    // The command's own words are not the simulator's options.
    const auto width = runShell(sim + " --device " + device.root().string() + " open --width 300");
    EXPECT_EQ(width.output, "Control Center open, 300 wide; no section (install it first)\n");
    // A command's options take their value both ways too, and one given twice is a misuse.
    const auto joined = runShell(sim + " --device " + device.root().string() + " open --width=300");
    EXPECT_EQ(joined.output, "Control Center open, 300 wide; no section (install it first)\n");
    const auto twice =
        runShell(sim + " --device " + device.root().string() + " open --width=300 --width 200");
    EXPECT_EQ(twice.status, 2) << twice.output;
    const auto portAlone = runShell(sim + " --device " + device.root().string() + " boot --port 8080");
    EXPECT_EQ(portAlone.status, 2) << portAlone.output;
    EXPECT_NE(portAlone.output.find("usage: boot [--lease] [--serve [--port N]]"), std::string::npos)
        << portAlone.output;
}

TEST(SimulatorProcess, ANewDeviceIsAnnouncedAndAFolderOfOtherFilesIsRefused) {
    TemporaryDevice scratch;
    const auto fresh = scratch.root() / "fresh";
    const auto first = runShell(std::string(ORVANE_SIM_PATH) + " --device " + fresh.string() + " open");
    EXPECT_EQ(first.status, 0) << first.output;
    EXPECT_EQ(first.output.rfind("making a new device at " + fresh.string() + "\n", 0), 0u) << first.output;
    const auto again = runShell(std::string(ORVANE_SIM_PATH) + " --device " + fresh.string() + " open");
    EXPECT_EQ(again.output.find("making a new device"), std::string::npos) << again.output;

    const auto documents = scratch.root() / "documents";
    std::filesystem::create_directories(documents);
    std::ofstream(documents / "letter.txt") << "dear";
    const auto refused = runShell(std::string(ORVANE_SIM_PATH) + " --device " + documents.string() + " open");
    EXPECT_EQ(refused.status, 1) << refused.output;
    EXPECT_NE(refused.output.find("holds other files"), std::string::npos) << refused.output;
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(documents), std::filesystem::directory_iterator()),
        1)
        << "nothing added";

    const auto file =
        runShell(std::string(ORVANE_SIM_PATH) + " --device " + (documents / "letter.txt").string() + " open");
    EXPECT_EQ(file.status, 1) << file.output;
    EXPECT_NE(file.output.find("not a folder"), std::string::npos) << file.output;
}

// What a program reads: the JSON answers parse with another JSON reader, and the event filters keep their
// kinds only.
TEST(SimulatorProcess, JsonAnswersParseAndEventsFilterByKind) {
    TemporaryDevice scratch;
    const auto device = (scratch.root() / "D").string();
    const std::string sim = std::string(ORVANE_SIM_PATH) + " --device " + device;
    const auto json = scratch.root() / "describe.json";
    const auto described =
        runShell(sim + " install >/dev/null && " + sim + " open >/dev/null && " + sim + " describe --json >" +
                 json.string() + " && python3 -m json.tool " + json.string() + " >/dev/null && echo parsed");
    EXPECT_EQ(described.status, 0) << described.output;
    EXPECT_TRUE(described.output.ends_with("parsed\n")) << described.output;
    const auto off = runShell(sim + " status --json");
    EXPECT_EQ(off.status, 3) << off.output;
    EXPECT_NE(off.output.find("\"booted\": false"), std::string::npos) << off.output;

    const auto tapped =
        runShell(sim + " defaults write FUNCTION_1 APP-WeChat && printf 'open\\ntap 1\\n' | " + sim + " -");
    ASSERT_EQ(tapped.status, 0) << tapped.output;
    const auto lines = runShell(sim + " events --json | python3 -c 'import json, sys\n"
                                      "kinds = [json.loads(line)[\"kind\"] for line in sys.stdin]\n"
                                      "print(len(kinds), \"uikit.presented\" in kinds)'");
    EXPECT_EQ(lines.status, 0) << lines.output;
    EXPECT_TRUE(lines.output.ends_with(" True\n")) << lines.output;
    const auto uikit = runShell(sim + " events --kind 'uikit.*'");
    EXPECT_EQ(uikit.status, 0);
    std::istringstream events(uikit.output);
    int shown = 0;
    for (std::string line; std::getline(events, line); ++shown) {
        std::istringstream fields(line);
        std::string time, process, kind;
        fields >> time >> process >> kind;
        EXPECT_EQ(kind.rfind("uikit.", 0), 0u) << line;
    }
    EXPECT_GT(shown, 0) << uikit.output;
}

// Commands piped in stop at the first that fails, and say that nothing after it ran.
TEST(SimulatorProcess, PipedCommandsStopAtARefusedOneAndSaySo) {
    TemporaryDevice device;
    const auto result = runShell("printf 'open\\nopen\\ndescribe\\n' | " + sim(device) + " -");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("stdin:2: open\nControl Center is already open\n"
                                 "stdin: stopped at line 2 (status 1): nothing after it runs\n"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("UIView"), std::string::npos) << "describe never ran";
}

// A terminal's prompt edits lines and brings back earlier ones: the line typed, then the arrow up and Enter,
// runs it again; a word in quotes keeps its blank. The line editor writes its prompt before it takes the
// terminal out of line mode, so the driver types only once it has: keys typed earlier are the kernel's to
// echo, and a Ctrl-D typed then reaches the editor as a plain character rather than as the end.
TEST(SimulatorProcess, ThePromptOnATerminalHasHistoryAndShellQuoting) {
    TemporaryDevice device;
    const auto home = device.root().parent_path() / (device.root().filename().string() + ".home");
    std::filesystem::create_directories(home);
    const std::string driver = "import os, pty, select, sys, termios, time\n"
                               "pid, fd = pty.fork()\n"
                               "if pid == 0:\n"
                               "    os.execv(sys.argv[1], sys.argv[1:])\n"
                               "seen = b''\n"
                               "def until(text, seconds=30):\n"
                               "    global seen\n"
                               "    end = time.time() + seconds\n"
                               "    while text not in seen and time.time() < end:\n"
                               "        if select.select([fd], [], [], 0.2)[0]:\n"
                               "            try: seen += os.read(fd, 4096)\n"
                               "            except OSError: break\n"
                               "    found = text in seen\n"
                               "    seen = seen[seen.find(text) + len(text):] if found else seen\n"
                               "    return found\n"
                               "def editing(seconds=30):\n"
                               "    end = time.time() + seconds\n"
                               "    while termios.tcgetattr(fd)[3] & termios.ICANON and time.time() < end:\n"
                               "        time.sleep(0.01)\n"
                               "    return not termios.tcgetattr(fd)[3] & termios.ICANON\n"
                               "def prompted():\n"
                               "    return until(b'orvane> ') and editing()\n"
                               "ok = prompted()\n"
                               "os.write(fd, b'help \"open\"\\r')\n"
                               "ok = ok and until(b'Control Center appears') and prompted()\n"
                               "os.write(fd, b'\\x1b[A\\r')\n"
                               "ok = ok and until(b'Control Center appears') and prompted()\n"
                               "os.write(fd, b'\\x04')\n"
                               "end = time.time() + 30\n"
                               "while os.waitpid(pid, os.WNOHANG)[0] == 0:\n"
                               "    if time.time() > end:\n"
                               "        os.kill(pid, 9)\n"
                               "        ok = False\n"
                               "    time.sleep(0.05)\n"
                               "print('history works' if ok else 'no: ' + repr(seen))\n";
    const auto script = home / "drive.py";
    std::ofstream(script) << driver;
    const auto result = runShell("HOME=" + home.string() + " python3 " + script.string() + " " +
                                 ORVANE_SIM_PATH + " --device " + device.root().string());
    EXPECT_EQ(result.output, "history works\n");
    std::ifstream history(home / ".orvane-sim_history");
    const std::string kept{std::istreambuf_iterator<char>(history), {}};
    EXPECT_NE(kept.find("help"), std::string::npos) << "the history outlives the session: " << kept;
    std::filesystem::remove_all(home);
}

TEST(SimulatorProcess, TheTourKeepsItsDeviceOnlyWhenAsked) {
    TemporaryDevice folder;
    const auto result = runShell("TMPDIR=" + folder.root().string() + " " + ORVANE_SIM_PATH + " --keep");
    EXPECT_EQ(result.status, 0) << result.output.substr(result.output.size() -
                                                        std::min<std::size_t>(2000, result.output.size()));
    std::vector<std::string> devices;
    for (const auto& entry : std::filesystem::directory_iterator(folder.root()))
        if (!entry.path().filename().string().ends_with("-screenshots"))
            devices.push_back(entry.path().string());
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_NE(result.output.find("The device stays at " + devices[0]), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(devices[0]) / "Library"));
}
