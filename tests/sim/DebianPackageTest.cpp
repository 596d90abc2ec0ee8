#include "sim/DebianPackage.h"
#include "Device/EventLog.h"
#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Names = std::set<std::string>;

struct Shell {
    int status;
    std::string output;
};

// What a shell command prints, standard error included, and its status; the tests run dpkg-deb and the
// simulator on paths of their own.
Shell shell(const std::string& command) {
    Shell result{-1, {}};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    for (int c = pipe ? std::fgetc(pipe) : EOF; c != EOF; c = std::fgetc(pipe))
        result.output += static_cast<char>(c);
    if (pipe) {
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

std::string inQuotes(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
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

TEST(PackageVersions, CompareAsDebianDoes) {
    for (const auto& [older, newer] : std::vector<std::pair<const char*, const char*>>{
             {"0.1.0", "0.1.1"},
             {"0.1.9", "0.1.10"},
             {"1.0~beta1", "1.0"},
             {"1.0", "1.0a"},
             {"1.0", "1.0-1"},
             {"1.0-1", "1.0-2"},
             {"9.9", "1:0.1"},
             {"1.0+b1", "1.0.1"},
         }) {
        EXPECT_LT(compareVersions(older, newer), 0) << older << " < " << newer;
        EXPECT_GT(compareVersions(newer, older), 0) << newer << " > " << older;
    }
    EXPECT_EQ(compareVersions("1.01", "1.1"), 0);
    EXPECT_EQ(compareVersions("0:1.0", "1.0"), 0);
    for (const auto* version : {"0.1.0", "1:2.3-4", "2.0~rc1+dfsg-1.1"})
        EXPECT_TRUE(validVersion(version)) << version;
    for (const auto* version : {"", "a1", "1.0-", ":1.0", "x:1.0", "1.0 2", "1.0_2", "1-0-a_b"})
        EXPECT_FALSE(validVersion(version)) << version;
}

TEST(PackageControlFile, ParsesOneParagraphAndRefusesWhatIsNotAControlFile) {
    PackageControl control;
    ASSERT_EQ(parseControl("Package: com.velquin.orvane\nVersion: 0.1.0\nArchitecture: amd64\n"
                           "Depends: caddex (>= 1.0), aa | bb (<< 2)\nDescription: short\n long\n",
                           control),
              std::nullopt);
    EXPECT_EQ(control.package, "com.velquin.orvane");
    EXPECT_EQ(control.description, "short");
    const auto depends = parseDepends(control.depends);
    ASSERT_TRUE(depends);
    ASSERT_EQ(depends->size(), 2u);
    EXPECT_EQ((*depends)[1][1].relation, "<<");
    EXPECT_TRUE(satisfies((*depends)[0][0], "1.0"));
    EXPECT_FALSE(satisfies((*depends)[0][0], "0.9"));
    EXPECT_EQ(checkOrvaneControl(control, "amd64"), std::nullopt);
    EXPECT_EQ(checkOrvaneControl(control, "arm64"), "it is built for \"amd64\", not for this device's arm64");

    for (const auto& [text, reason] : std::vector<std::pair<std::string, std::string>>{
             {"Version: 1\nArchitecture: all\n", "its control file has no Package field"},
             {"Package: a.b\nPackage: a.b\n", "names the field \"Package\" twice"},
             {" continued\n", "starts with a continuation line"},
             {"Package: a.b\n\nVersion: 1\n", "more than one paragraph"},
             {"no colon\n", "a line that is not a field: \"no colon\""},
             {"Package: A\x1b[2J\nVersion: 1\nArchitecture: all\n", "\"A\\x1b[2J\" is not a package name"},
             {"Package: ab\nVersion: one\nArchitecture: all\n",
              "its version \"one\" is not a Debian version"},
             {"Package: ab\nVersion: 1\nArchitecture: all\nDepends: (>= 1)\n", "is not a list of packages"},
             {"Package: ab\nVersion: 1\nArchitecture: all\nInstalled-Size: 1e9\n", "not a number of KiB"},
             {std::string(maximumControlBytes + 1, 'a'), "larger than 64 KiB"},
         }) {
        PackageControl parsed;
        const auto problem = parseControl(text, parsed);
        ASSERT_TRUE(problem) << text;
        EXPECT_NE(problem->find(reason), std::string::npos) << *problem;
        EXPECT_LT(problem->size(), 400u) << "bounded";
    }
}

std::vector<PackageMember> wholeProduct() {
    std::vector<PackageMember> members{{"./", PackageMember::Type::Folder, 0}};
    for (const auto& file : productFiles())
        members.push_back({"./" + std::string(file.path), PackageMember::Type::File, 100});
    return members;
}

TEST(PackageMembers, TheListingIsBoundedNamedAndWholeBeforeAnythingIsWritten) {
    EXPECT_EQ(checkMembers(wholeProduct()), std::nullopt);
    const auto refusal = [](std::vector<PackageMember> members) {
        return checkMembers(members).value_or("");
    };

    auto sparse = wholeProduct();
    sparse.push_back({"./Library/Caddex/Bundles/OrvaneCC.bundle/sparse", PackageMember::Type::File,
                      std::uint64_t{3} << 30});
    EXPECT_EQ(refusal(sparse), "it unpacks to more than 128 MiB (\"./Library/Caddex/Bundles/OrvaneCC.bundle/"
                               "sparse\" is 3221225472 bytes)");
    auto many = wholeProduct();
    for (std::size_t index = 0; index < maximumPackageMembers; ++index)
        many.push_back({"./Library/Caddex/Bundles/OrvaneCC.bundle/" + std::to_string(index),
                        PackageMember::Type::File, 0});
    EXPECT_EQ(refusal(many), "it holds more than 4096 members");
    auto overflowing = wholeProduct();
    overflowing.push_back({"./Library/Caddex/Bundles/OrvaneCC.bundle/a", PackageMember::Type::File, ~0ull});
    EXPECT_NE(refusal(overflowing).find("more than 128 MiB"), std::string::npos);

    auto twice = wholeProduct();
    twice.push_back(twice.back());
    EXPECT_EQ(refusal(twice), "\"./Library/PreferenceLoader/Preferences/Orvane.plist\" is named twice");
    auto device = wholeProduct();
    device.push_back({"./Library/Caddex/Bundles/OrvaneCC.bundle/tty", PackageMember::Type::Other, 0});
    EXPECT_EQ(refusal(device),
              "\"./Library/Caddex/Bundles/OrvaneCC.bundle/tty\" is neither a folder nor a plain file");
    auto fileForFolder = wholeProduct();
    fileForFolder.push_back({"./Library/Caddex", PackageMember::Type::File, 0});
    EXPECT_EQ(refusal(fileForFolder), "\"./Library/Caddex\" is not a folder");
    auto longName = wholeProduct();
    longName.push_back({"/" + std::string(100000, 'x') + "\x1b", PackageMember::Type::File, 0});
    EXPECT_LT(refusal(longName).size(), 400u);
    EXPECT_TRUE(refusal(longName).ends_with("...\" is not below the package's root"));
    for (const auto& file : productFiles()) {
        auto lacking = wholeProduct();
        std::erase_if(lacking, [&](const PackageMember& member) {
            return member.name == "./" + std::string(file.path);
        });
        EXPECT_EQ(refusal(lacking), "it lacks " + std::string(file.path));
    }
}

TEST(Package, TheControlFileAndTheContentsAreHonestAndInTheDevicesLayout) {
    const std::string package = ORVANE_PACKAGE_FILE;
    const auto info = shell("dpkg-deb --info '" + package + "'").output;
    for (const auto* field :
         {"Package: com.velquin.orvane\n", "Version: " ORVANE_VERSION "\n", "Section: Tweaks\n",
          "Depends: caddex (>= 1.0), preferenceloader (>= 1.0)\n", "Description: "})
        EXPECT_NE(info.find(field), std::string::npos) << field << " in\n" << info;
    EXPECT_EQ(shell("dpkg-deb --field '" + package + "' Architecture").output,
              shell("dpkg --print-architecture").output);
    const auto size = shell("dpkg-deb --field '" + package + "' Installed-Size").output;
    EXPECT_GT(std::atoi(size.c_str()), 100) << size;

    Names listed;
    std::istringstream lines(shell("dpkg-deb --contents '" + package + "'").output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string mode, owner, bytes, date, time, name;
        words >> mode >> owner >> bytes >> date >> time >> name;
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

    const auto unpacked = std::filesystem::path(ORVANE_PACKAGE_FILE).parent_path() / "package-test-unpacked";
    std::filesystem::remove_all(unpacked);
    ASSERT_EQ(shell("dpkg-deb -x '" + package + "' " + inQuotes(unpacked)).status, 0);
    for (const auto& file : productFiles()) {
        if (!file.module)
            continue;
        const auto module = inQuotes(unpacked / file.path);
        const auto dynamic = shell("readelf -d " + module).output;
        EXPECT_NE(dynamic.find("libOrvanePlatform.so"), std::string::npos) << "it states what it loads into";
        EXPECT_EQ(dynamic.find("RUNPATH"), std::string::npos) << dynamic;
        EXPECT_EQ(dynamic.find(std::filesystem::path(ORVANE_BUNDLES_DIR).parent_path().string()),
                  std::string::npos);
        const auto sections = shell("readelf -S " + module).output;
        EXPECT_EQ(sections.find(".debug_info"), std::string::npos) << file.path << " is stripped";
        EXPECT_NE(shell("readelf -S '" ORVANE_BUNDLES_DIR "/" +
                        std::filesystem::path(file.path).parent_path().filename().string() + "/" +
                        std::filesystem::path(file.path).filename().string() + "'")
                      .output.find(".debug_info"),
                  std::string::npos)
            << "the build keeps its symbols";
    }
    std::filesystem::remove_all(unpacked);
}

// Orvane's own package unpacked into a folder of its own, to change and pack again.
class PackageStage {
  public:
    PackageStage(std::filesystem::path folder, const std::string& name,
                 const std::string& version = ORVANE_VERSION)
        : _folder(std::move(folder)), _name(name + "_" + version), _stage(_folder / ("stage-" + _name)) {
        std::filesystem::create_directories(_folder);
        EXPECT_EQ(shell("dpkg-deb -R '" ORVANE_PACKAGE_FILE "' " + inQuotes(_stage)).status, 0);
        std::string control;
        std::ifstream in(_stage / "DEBIAN/control");
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("Package: "))
                line = "Package: " + name;
            else if (line.starts_with("Version: "))
                line = "Version: " + version;
            control += line + "\n";
        }
        in.close();
        std::ofstream(_stage / "DEBIAN/control") << control;
    }
    void write(const std::string& path, const std::string& text) const {
        std::filesystem::create_directories((_stage / path).parent_path());
        std::ofstream(_stage / path) << text;
    }
    const std::filesystem::path& root() const { return _stage; }
    std::string build() const {
        const auto deb = (_folder / (_name + ".deb")).string();
        const auto built =
            shell("dpkg-deb -Znone --root-owner-group --build " + inQuotes(_stage) + " " + inQuotes(deb));
        EXPECT_EQ(built.status, 0) << built.output;
        return deb;
    }

  private:
    std::filesystem::path _folder;
    std::string _name;
    std::filesystem::path _stage;
};

constexpr auto sectionModule = "Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC";

class PackageInstallTest : public SimulatorTest {
  protected:
    // Every path on the device but the event log, which records the refusals, with what each file holds.
    std::map<std::string, std::string> deviceTree() const {
        std::map<std::string, std::string> paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root.root())) {
            std::string content =
                entry.is_symlink() ? "-> " + std::filesystem::read_symlink(entry).string() : "";
            if (entry.is_regular_file() && !entry.is_symlink()) {
                content.resize(entry.file_size());
                std::ifstream(entry.path(), std::ios::binary)
                    .read(content.data(), static_cast<std::streamsize>(content.size()));
            }
            paths.emplace(entry.path().string(), std::move(content));
        }
        paths.erase(root.hostPath(EventLog::devicePath).string());
        return paths;
    }
    std::string install(const std::string& package, const std::string& options = "") {
        const auto result = run("install --package " + package + options);
        EXPECT_EQ(result.status, 0) << result.errors;
        return result.out;
    }
    std::string refusal(const std::string& command) {
        const auto result = run(command);
        EXPECT_EQ(result.status, 1) << command << result.out;
        return result.errors;
    }
    std::filesystem::path scratch =
        root.root().parent_path() / (root.root().filename().string() + "-packages");
    ~PackageInstallTest() override { std::filesystem::remove_all(scratch); }
};

TEST_F(PackageInstallTest, ThePackageInstallsTheSectionThatThenOpens) {
    EXPECT_TRUE(has(install(ORVANE_PACKAGE_FILE), "installed com.velquin.orvane " ORVANE_VERSION " ("));
    EXPECT_TRUE(std::filesystem::is_regular_file(
        root.hostPath("/Library/PreferenceLoader/Preferences/Orvane.plist")));
    EXPECT_FALSE(
        std::filesystem::exists(root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/icons.stamp")));
    ASSERT_EQ(loggedEvents("package.").size(), 1u);
    EXPECT_TRUE(loggedEvents("package.")[0].starts_with(
        "package.installed package=com.velquin.orvane version=" ORVANE_VERSION " files="));
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n");
    EXPECT_TRUE(std::filesystem::is_empty(root.hostPath("/var/lib/dpkg/info").parent_path() / "info") ==
                false);
    for (const auto& entry : std::filesystem::directory_iterator(root.hostPath("/var/lib/dpkg")))
        EXPECT_FALSE(entry.path().filename().string().starts_with("tmp.")) << "the staging folder goes";
}

TEST_F(PackageInstallTest, ThePackagesAreADpkgDatabaseThatInstallUpgradeAndRemoveKeep) {
    EXPECT_EQ(output("packages"), "caddex 1.0 all (system)\npreferenceloader 1.0 all (system)\n");
    output("install");
    const std::string architecture = shell("dpkg --print-architecture").output;
    EXPECT_EQ(output("packages"), "caddex 1.0 all (system)\ncom.velquin.orvane " ORVANE_VERSION " " +
                                      architecture + "preferenceloader 1.0 all (system)\n")
        << "the build's install records the package at the build's version";
    const auto admin = root.hostPath("/var/lib/dpkg");
    EXPECT_EQ(shell("dpkg-query --admindir=" + inQuotes(admin) + " -W").output,
              "caddex\t1.0\ncom.velquin.orvane\t" ORVANE_VERSION "\npreferenceloader\t1.0\n");

    const PackageStage older(scratch, "com.velquin.orvane", "0.0.9");
    const PackageStage newer(scratch, "com.velquin.orvane", "99.1");
    std::filesystem::remove(newer.root() / "Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav");
    newer.write("Library/PreferenceBundles/OrvanePrefs.bundle/new.txt", "new");
    const auto olderPackage = older.build(), newerPackage = newer.build();

    install(newerPackage);
    EXPECT_FALSE(std::filesystem::exists(root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav")))
        << "a file the new version no longer ships goes";
    EXPECT_TRUE(
        std::filesystem::exists(root.hostPath("/Library/PreferenceBundles/OrvanePrefs.bundle/new.txt")));
    const auto listed = shell("dpkg-query --admindir=" + inQuotes(admin) + " -L com.velquin.orvane").output;
    EXPECT_TRUE(has(listed, "/Library/PreferenceBundles/OrvanePrefs.bundle/new.txt\n")) << listed;
    EXPECT_FALSE(has(listed, "beep.wav"));

    const auto before = deviceTree();
    EXPECT_TRUE(has(refusal("install --package " + olderPackage),
                    "it is version 0.0.9, older than the installed 99.1 (--allow-downgrade installs it)"));
    EXPECT_TRUE(has(refusal("install"), "older than the installed 99.1"));
    EXPECT_EQ(deviceTree(), before);
    install(olderPackage, " --allow-downgrade");
    EXPECT_TRUE(has(output("packages"), "com.velquin.orvane 0.0.9 "));

    std::vector<std::string> files;
    std::istringstream list(
        shell("dpkg-query --admindir=" + inQuotes(admin) + " -L com.velquin.orvane").output);
    for (std::string line; std::getline(list, line);)
        if (std::filesystem::is_regular_file(root.hostPath(line)))
            files.push_back(line);
    EXPECT_GT(files.size(), 100u);
    EXPECT_EQ(output("remove com.velquin.orvane"), "removed com.velquin.orvane 0.0.9\n");
    for (const auto& file : files)
        EXPECT_FALSE(std::filesystem::exists(root.hostPath(file))) << file;
    EXPECT_FALSE(std::filesystem::exists((root.root() / "Library/Caddex/Bundles/OrvaneCC.bundle")));
    EXPECT_FALSE(std::filesystem::exists(admin / "info/com.velquin.orvane.list"));
    EXPECT_EQ(output("packages"), "caddex 1.0 all (system)\npreferenceloader 1.0 all (system)\n");
    EXPECT_TRUE(loggedEvents("package.removed")[0].starts_with(
        "package.removed package=com.velquin.orvane version=0.0.9"));
    EXPECT_EQ(refusal("remove com.velquin.orvane"),
              "cannot remove com.velquin.orvane: com.velquin.orvane is not installed\n");
    EXPECT_EQ(refusal("remove caddex"), "cannot remove caddex: caddex is part of the device's system\n");
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; no section (install it first)\n");
}

TEST_F(PackageInstallTest,
       APackageThatIsNotOursTruncatedBoundlessOrOutsideTheLayoutIsRefusedAndWritesNothing) {
    install(ORVANE_PACKAGE_FILE);
    const std::string foreign = PackageStage(scratch, "com.example.other").build();
    const auto truncated = (scratch / "truncated.deb").string();
    std::filesystem::copy_file(ORVANE_PACKAGE_FILE, truncated);
    std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 2);
    const PackageStage outside(scratch / "outside", "com.velquin.orvane");
    outside.write("etc/profile.d/orvane.sh", "echo hello");
    const PackageStage linked(scratch / "linked", "com.velquin.orvane");
    std::filesystem::create_symlink("/etc/passwd",
                                    linked.root() / "Library/PreferenceBundles/OrvanePrefs.bundle/QQ-link");
    const PackageStage partial(scratch / "partial", "com.velquin.orvane");
    std::filesystem::remove(partial.root() / "Library/PreferenceLoader/Preferences/Orvane.plist");
    const PackageStage fourFiles(scratch / "four", "com.velquin.orvane");
    std::filesystem::remove_all(fourFiles.root() / "Library/Caddex/Bundles/OrvaneCC.bundle");
    fourFiles.write("Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist", "<plist/>");
    const PackageStage notAModule(scratch / "module", "com.velquin.orvane");
    std::filesystem::copy_file("/bin/true", notAModule.root() / sectionModule,
                               std::filesystem::copy_options::overwrite_existing);
    const PackageStage otherMachine(scratch / "machine", "com.velquin.orvane");
    {
        std::fstream module(otherMachine.root() / sectionModule,
                            std::ios::in | std::ios::out | std::ios::binary);
        module.seekp(18);
        module.put(static_cast<char>(183)); // AArch64
    }
    const PackageStage many(scratch / "many", "com.velquin.orvane");
    for (std::size_t index = 0; index <= maximumPackageMembers; ++index)
        many.write("Library/Caddex/Bundles/OrvaneCC.bundle/many/" + std::to_string(index), "");
    const PackageStage sparse(scratch / "sparse", "com.velquin.orvane");
    std::filesystem::resize_file(sparse.root() / "Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav",
                                 std::uint64_t{3} << 30);
    // dpkg-deb would pack the holes as zeros; tar keeps the member sparse.
    const auto sparseData = scratch / "sparse" / "data.tar.gz";
    ASSERT_EQ(shell("tar --sparse --owner=0 --group=0 -czf " + inQuotes(sparseData) + " -C " +
                    inQuotes(sparse.root()) + " --exclude=./DEBIAN .")
                  .status,
              0);
    ASSERT_EQ(
        shell(
            "cd " + inQuotes(sparse.root() / "DEBIAN") +
            " && tar -czf ../../control.tar.gz ./control && cd ../.. "
            "&& printf '2.0\\n' > debian-binary && ar rc sparse.deb debian-binary control.tar.gz data.tar.gz")
            .status,
        0);

    const auto before = deviceTree();
    for (const auto& [package, reason] : std::vector<std::pair<std::string, std::string>>{
             {foreign, "it is not Orvane's package (Package: com.example.other)"},
             {truncated, "its file archive cannot be read whole: Truncated input file"},
             {outside.build(), "\"./etc/\" lies outside Orvane's layout"},
             {linked.build(), "\"./Library/PreferenceBundles/OrvanePrefs.bundle/QQ-link\" is neither a "
                              "folder nor a plain file"},
             {partial.build(), "it lacks Library/PreferenceLoader/Preferences/Orvane.plist"},
             {fourFiles.build(), "it lacks Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC"},
             {notAModule.build(), std::string(sectionModule) + " does not export NSBundleRegisterClasses"},
             {otherMachine.build(),
              std::string(sectionModule) + " is built for another machine (ELF machine 183"},
             {many.build(), "it holds more than 4096 members"},
             {(scratch / "sparse" / "sparse.deb").string(), "it unpacks to more than 128 MiB"},
             {(scratch / "missing.deb").string(), "it cannot be opened: No such file or directory"},
             {scratch.string(), "it is not a plain file"},
         }) {
        const auto errors = refusal("install --package " + package);
        EXPECT_TRUE(has(errors, "refused " + package + ": " + reason)) << errors;
        EXPECT_LT(errors.size(), 600u) << "bounded";
        EXPECT_EQ(deviceTree(), before) << package;
    }
    EXPECT_EQ(loggedEvents("package.refused").size(), 12u);
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n")
        << "the installed copy is whole";
}

TEST_F(PackageInstallTest, ModesAreTheInstallersNotThePackages) {
    const PackageStage modes(scratch, "com.velquin.orvane");
    const auto strings = modes.root() / "Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist";
    std::filesystem::permissions(strings, std::filesystem::perms::all | std::filesystem::perms::set_uid);
    std::filesystem::permissions(modes.root() / "Library/Caddex/Bundles/OrvaneCC.bundle/en.lproj",
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    install(modes.build());
    using std::filesystem::perms;
    const auto mode = [&](const char* path) {
        return std::filesystem::status(root.hostPath(path)).permissions();
    };
    EXPECT_EQ(mode("/Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist"), static_cast<perms>(0644));
    EXPECT_EQ(mode("/Library/Caddex/Bundles/OrvaneCC.bundle/en.lproj"), static_cast<perms>(0755));
    EXPECT_EQ(mode("/Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC"), static_cast<perms>(0755));
}

TEST_F(PackageInstallTest, ALinkAtAnInstallPathIsReplacedItselfAndItsTargetKept) {
    output("defaults write FUNCTION_1 SYS-Photo");
    const auto settings = root.hostPath("/var/mobile/Library/Preferences/com.velquin.orvane.plist");
    ASSERT_TRUE(std::filesystem::is_regular_file(settings));
    const auto mobile = deviceTree();
    for (const auto* command : {"install", "install --package " ORVANE_PACKAGE_FILE}) {
        std::filesystem::create_directories(root.hostPath("/Library/Caddex/Bundles"));
        std::filesystem::create_directories(root.hostPath("/Library/PreferenceBundles"));
        std::filesystem::remove_all((root.root() / "Library/Caddex/Bundles/OrvaneCC.bundle"));
        std::filesystem::remove_all((root.root() / "Library/PreferenceBundles/OrvanePrefs.bundle"));
        std::filesystem::create_symlink("/var/mobile",
                                        root.hostPath("/Library/Caddex/Bundles") / "OrvaneCC.bundle");
        std::filesystem::create_symlink("/",
                                        root.hostPath("/Library/PreferenceBundles") / "OrvanePrefs.bundle");
        const auto result = run(command);
        EXPECT_EQ(result.status, 0) << result.errors;
        const auto after = deviceTree();
        for (const auto& [path, content] : mobile) {
            if (path.find("/var/mobile/") != std::string::npos ||
                path.find("/System/") != std::string::npos) {
                EXPECT_EQ(after.at(path), content) << path;
            }
        }
        EXPECT_FALSE(
            std::filesystem::is_symlink(root.hostPath("/Library/Caddex/Bundles") / "OrvaneCC.bundle"));
        EXPECT_TRUE(std::filesystem::is_regular_file(root.hostPath("/" + std::string(sectionModule))));
        EXPECT_FALSE(std::filesystem::exists(root.hostPath("/var/mobile/OrvaneCC")));
    }
    std::filesystem::remove_all((root.root() / "Library/Caddex/Bundles/OrvaneCC.bundle"));
    std::filesystem::create_symlink("/var/mobile",
                                    root.hostPath("/Library/Caddex/Bundles") / "OrvaneCC.bundle");
    output("remove com.velquin.orvane");
    EXPECT_TRUE(std::filesystem::is_regular_file(settings)) << "removal takes the link, not its target";
}

TEST_F(PackageInstallTest, NamesThatCannotBeOpenedAndNoTemporaryFolderAreRefusedWithTheReason) {
    ::symlink("loop-b", (root.root() / "loop-a").c_str());
    ::symlink("loop-a", (root.root() / "loop-b").c_str());
    for (const auto& [package, reason] : std::vector<std::pair<std::string, std::string>>{
             {"/tmp/" + std::string(300, 'n') + ".deb", "File name too long"},
             {(root.root() / "loop-a").string(), "Too many levels of symbolic links"},
             {std::string(ORVANE_PACKAGE_FILE) + "/inside.deb", "Not a directory"},
         })
        EXPECT_TRUE(has(refusal("install --package " + package), ": it cannot be opened: " + reason))
            << package;
    const char* temporary = std::getenv("TMPDIR");
    const std::string kept = temporary ? temporary : "";
    ::setenv("TMPDIR", "/nonexistent", 1);
    const auto result = run("install --package " ORVANE_PACKAGE_FILE);
    temporary ? ::setenv("TMPDIR", kept.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_EQ(result.status, 0) << "the package unpacks inside the device: " << result.errors;
}

// Plays a disk that fills up while the package unpacks: the simulator runs with a write() that fails with
// ENOSPC past a budget of bytes below the device root.
TEST_F(PackageInstallTest, ADiskThatFillsDuringAnUpgradeLeavesTheEarlierInstallByteForByte) {
    install(ORVANE_PACKAGE_FILE);
    const PackageStage newer(scratch, "com.velquin.orvane", "99.1");
    newer.write("Library/Caddex/Bundles/OrvaneCC.bundle/large", std::string(4 << 20, 'x'));
    const auto package = newer.build();
    const auto before = deviceTree();

    const auto filled =
        shell("ORVANE_FULL_DISK_UNDER=" + inQuotes(root.root().string() + "/") +
              " ORVANE_FULL_DISK_BYTES=1048576 LD_PRELOAD=" ORVANE_FULL_DISK_SHIM
              " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 " ORVANE_SIM_PATH " --device " +
              inQuotes(root.root()) + " install --package " + inQuotes(package));
    EXPECT_EQ(filled.status, 1) << filled.output;
    EXPECT_TRUE(has(filled.output, ": the device's disk is full")) << filled.output;
    EXPECT_EQ(deviceTree(), before);
    EXPECT_TRUE(has(output("packages"), "com.velquin.orvane " ORVANE_VERSION " "));
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n");

    const auto opened = deviceTree();
    const auto noRoom =
        shell("ORVANE_FULL_DISK_FREE=1048576 LD_PRELOAD=" ORVANE_FULL_DISK_SHIM
              " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 " ORVANE_SIM_PATH " --device " +
              inQuotes(root.root()) + " install --package " + inQuotes(package));
    EXPECT_EQ(noRoom.status, 1) << noRoom.output;
    EXPECT_TRUE(has(noRoom.output, ": the device's disk is full: the package needs ")) << noRoom.output;
    EXPECT_TRUE(has(noRoom.output, " KiB, 1024 KiB are free")) << noRoom.output;
    EXPECT_TRUE(deviceTree() == opened) << "the room is checked before anything is unpacked";
}

TEST_F(PackageInstallTest, OneChangeOfThePackagesAtATime) {
    install(ORVANE_PACKAGE_FILE);
    const int fd = ::open(root.hostPath("/var/lib/dpkg/lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
    EXPECT_TRUE(has(refusal("install --package " ORVANE_PACKAGE_FILE),
                    ": another install or removal is changing the device's packages"));
    EXPECT_TRUE(has(refusal("remove com.velquin.orvane"), "another install or removal"));
    EXPECT_TRUE(has(refusal("install"), "another install or removal"));
    ::close(fd);
    EXPECT_EQ(output("remove com.velquin.orvane"), "removed com.velquin.orvane " ORVANE_VERSION "\n");
}

} // namespace
