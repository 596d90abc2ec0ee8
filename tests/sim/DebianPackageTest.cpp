#include "sim/DebianPackage.h"
#include "Device/EventLog.h"
#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

#include <cstdio>
#include <fstream>
#include <set>

namespace {

using Names = std::set<std::string>;

// What a command prints; the tests run dpkg-deb on paths of their own.
std::string commandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    for (int c = pipe ? std::fgetc(pipe) : EOF; c != EOF; c = std::fgetc(pipe))
        output += static_cast<char>(c);
    if (pipe)
        ::pclose(pipe);
    return output;
}

// Every folder and file below `staged`, named as the package names them below `devicePath`.
void addStaged(Names& names, const std::filesystem::path& staged, const std::string& devicePath) {
    names.insert("./" + devicePath + "/");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(staged)) {
        if (entry.path().extension() == ".stamp")
            continue;
        names.insert("./" + devicePath + "/" + entry.path().lexically_relative(staged).string() +
                     (entry.is_directory() ? "/" : ""));
    }
}

TEST(PackageLayout, OnlyTheBundlesTheEntryPlistAndTheFoldersOnTheWayAreInside) {
    for (const auto* member :
         {"./", "./Library/", "./Library/Caddex/Bundles/", "./Library/Caddex/Bundles/OrvaneCC.bundle/",
          "./Library/Caddex/Bundles/OrvaneCC.bundle/en.lproj/Localizable.strings",
          "./Library/PreferenceBundles/OrvanePrefs.bundle/QQ@2x",
          "./Library/PreferenceLoader/Preferences/Orvane.plist"})
        EXPECT_EQ(memberOutsideLayout(member), std::nullopt) << member;
    for (const auto* member :
         {"./etc/passwd", "./Library/PreferenceLoader/Preferences/Other.plist",
          "./Library/Caddex/Bundles/OrvaneCC.bundleX/a", "./Library/Caddex/Bundles/Other.bundle/",
          "./Library/Caddex/Bundles/OrvaneCC.bundle/../../../../etc/passwd", "./Library//Caddex/",
          "./Library/PreferenceBundles/OrvanePrefs.bundle/./a", "/Library/Caddex/Bundles/OrvaneCC.bundle/a",
          "Library/PreferenceBundles/OrvanePrefs.bundle/a", "./System/Library/", "../Library/"})
        EXPECT_NE(memberOutsideLayout(member), std::nullopt) << member;
}

TEST(Package, TheControlFileAndTheContentsAreExactlyOrvanesInTheDevicesLayout) {
    const std::string package = ORVANE_PACKAGE_FILE;
    const auto info = commandOutput("dpkg-deb --info '" + package + "'");
    for (const auto* field : {"Package: com.velquin.orvane\n", "Version: " ORVANE_VERSION "\n",
                              "Architecture: iphoneos-arm\n", "Section: Tweaks\n", "Description: "})
        EXPECT_NE(info.find(field), std::string::npos) << field << " in\n" << info;

    Names listed;
    std::istringstream lines(commandOutput("dpkg-deb --contents '" + package + "'"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string mode, owner, size, date, time, name;
        words >> mode >> owner >> size >> date >> time >> name;
        EXPECT_TRUE(mode.starts_with('d') || mode.starts_with('-')) << line;
        EXPECT_EQ(owner, "root/root") << line;
        listed.insert(name);
    }
    Names expected{"./",
                   "./Library/",
                   "./Library/Caddex/",
                   "./Library/Caddex/Bundles/",
                   "./Library/PreferenceBundles/",
                   "./Library/PreferenceLoader/",
                   "./Library/PreferenceLoader/Preferences/",
                   "./Library/PreferenceLoader/Preferences/Orvane.plist"};
    addStaged(expected, ORVANE_BUNDLES_DIR "/OrvaneCC.bundle", "Library/Caddex/Bundles/OrvaneCC.bundle");
    addStaged(expected, ORVANE_BUNDLES_DIR "/OrvanePrefs.bundle",
              "Library/PreferenceBundles/OrvanePrefs.bundle");
    EXPECT_EQ(listed, expected);
    for (const auto* shipped : {"./Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC",
                                "./Library/PreferenceBundles/OrvanePrefs.bundle/OrvanePrefs",
                                "./Library/PreferenceBundles/OrvanePrefs.bundle/OrvanePrefs.plist"})
        EXPECT_TRUE(listed.contains(shipped)) << shipped;
}

// A package staged in a folder of its own: the control file, then whatever a test lays out below its root.
class PackageStage {
  public:
    PackageStage(std::filesystem::path folder, const std::string& name)
        : _folder(std::move(folder)), _name(name), _stage(_folder / ("stage-" + name)) {
        std::filesystem::create_directories(_stage / "DEBIAN");
        std::ofstream(_stage / "DEBIAN/control")
            << "Package: " << name
            << "\nVersion: 1.0\nArchitecture: iphoneos-arm\n"
               "Maintainer: Test <test@example.org>\nDescription: test\n";
        for (const auto* required : {"Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist",
                                     "Library/PreferenceBundles/OrvanePrefs.bundle/Info.plist",
                                     "Library/PreferenceLoader/Preferences/Orvane.plist"})
            write(required, "<plist/>");
    }
    void write(const std::string& path, const std::string& text) const {
        std::filesystem::create_directories((_stage / path).parent_path());
        std::ofstream(_stage / path) << text;
    }
    const std::filesystem::path& root() const { return _stage; }
    std::string build() const {
        const auto deb = (_folder / (_name + ".deb")).string();
        EXPECT_EQ(std::system(("dpkg-deb --root-owner-group --build '" + _stage.string() + "' '" + deb +
                               "' > /dev/null")
                                  .c_str()),
                  0);
        return deb;
    }

  private:
    std::filesystem::path _folder;
    std::string _name;
    std::filesystem::path _stage;
};

class PackageInstallTest : public SimulatorTest {
  protected:
    // Every path on the device but the event log, which records the refusals.
    Names deviceTree() const {
        Names paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root.root()))
            paths.insert(entry.path().string());
        paths.erase(root.hostPath(EventLog::devicePath).string());
        return paths;
    }
    std::filesystem::path scratch =
        root.root().parent_path() / (root.root().filename().string() + "-packages");
    ~PackageInstallTest() override { std::filesystem::remove_all(scratch); }
};

TEST_F(PackageInstallTest, ThePackageInstallsTheSectionThatThenOpens) {
    const auto result = run(std::string("install --package ") + ORVANE_PACKAGE_FILE);
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(has(result.out, "installed com.velquin.orvane " ORVANE_VERSION " (")) << result.out;
    EXPECT_TRUE(std::filesystem::is_regular_file(
        root.hostPath("/Library/PreferenceLoader/Preferences/Orvane.plist")));
    EXPECT_FALSE(
        std::filesystem::exists(root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/icons.stamp")));
    ASSERT_EQ(loggedEvents("package.").size(), 1u);
    EXPECT_TRUE(loggedEvents("package.")[0].starts_with(
        "package.installed package=com.velquin.orvane version=" ORVANE_VERSION " files="));
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n");
}

TEST_F(PackageInstallTest, APackageThatIsNotOursTruncatedOrOutsideTheLayoutIsRefusedAndWritesNothing) {
    ASSERT_EQ(run(std::string("install --package ") + ORVANE_PACKAGE_FILE).status, 0);
    std::filesystem::create_directories(scratch);

    const std::string foreign = PackageStage(scratch, "com.example.other").build();
    const auto truncated = (scratch / "truncated.deb").string();
    std::filesystem::copy_file(ORVANE_PACKAGE_FILE, truncated);
    std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 2);
    const PackageStage outside(scratch, "com.velquin.orvane");
    outside.write("etc/profile.d/orvane.sh", "echo hello");
    const std::string outsidePackage = outside.build();
    const PackageStage linked(scratch / "linked", "com.velquin.orvane");
    std::filesystem::create_symlink("/etc/passwd",
                                    linked.root() / "Library/PreferenceBundles/OrvanePrefs.bundle/QQ");
    const std::string linkedPackage = linked.build();
    const PackageStage partial(scratch / "partial", "com.velquin.orvane");
    std::filesystem::remove(partial.root() / "Library/PreferenceLoader/Preferences/Orvane.plist");
    const std::string partialPackage = partial.build();

    const auto before = deviceTree();
    for (const auto& [package, reason] : std::vector<std::pair<std::string, std::string>>{
             {foreign, "it is not Orvane's package (Package: com.example.other)"},
             {truncated, "dpkg-deb cannot read it"},
             {outsidePackage, "\"./etc/\" lies outside Orvane's layout"},
             {linkedPackage,
              "\"./Library/PreferenceBundles/OrvanePrefs.bundle/QQ\" is neither a folder nor a plain file"},
             {partialPackage, "it lacks Library/PreferenceLoader/Preferences/Orvane.plist"},
             {(scratch / "missing.deb").string(), "there is no file"},
         }) {
        const auto result = run("install --package " + package);
        EXPECT_EQ(result.status, 1) << package;
        EXPECT_TRUE(has(result.errors, "refused " + package + ": " + reason)) << result.errors;
        EXPECT_EQ(deviceTree(), before) << package;
    }
    EXPECT_EQ(loggedEvents("package.refused").size(), 6u);
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n")
        << "the installed copy is whole";
}

} // namespace
