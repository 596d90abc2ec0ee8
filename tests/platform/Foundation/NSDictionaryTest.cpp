#include "Foundation/NSDictionary.h"
#include "Foundation/NSFileManager.h"
#include "support/TemporaryDevice.h"

#include <expat.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <plist/plist.h>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr std::string_view path = "/var/mobile/Library/Preferences/test.plist";

NSMutableDictionary sample() {
    NSMutableDictionary nested;
    nested.setObject(CFPropertyList::string("inner"), "name");
    NSMutableDictionary dictionary;
    dictionary.setObject(CFPropertyList::integer(-20), "integer");
    dictionary.setObject(CFPropertyList::integer(1LL << 40), "large");
    dictionary.setObject(CFPropertyList::real(0.7), "real");
    dictionary.setObject(CFPropertyList::boolean(true), "boolean");
    dictionary.setObject(CFPropertyList::string("SYS-Mail & <friends>"), "string");
    dictionary.setObject(CFPropertyList::date({86400}) /* XML keeps whole seconds */, "date");
    dictionary.setObject(CFPropertyList::data({0, 1, 2, 255}), "data");
    dictionary.setObject(CFPropertyList::array({CFPropertyList::integer(1), CFPropertyList::string("two")}),
                         "array");
    dictionary.setObject(CFPropertyList::dictionary(nested), "dictionary");
    return dictionary;
}

std::vector<std::uint8_t> binaryPlistOf(const NSDictionary& dictionary) {
    const auto xml = dictionary.xmlPropertyList();
    plist_t root = nullptr;
    plist_from_memory(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::vector<std::uint8_t> binary(bytes, bytes + length);
    plist_to_bin_free(bytes);
    plist_free(root);
    return binary;
}

TEST(NSDictionaryFile, EveryKindOfValueSurvivesAnXmlWriteAndRead) {
    TemporaryDevice device;
    const auto written = sample();
    ASSERT_TRUE(written.writeToFile(path, true));
    EXPECT_TRUE(std::filesystem::exists(device.root() / "var/mobile/Library/Preferences/test.plist"));
    const auto read = NSDictionary::dictionaryWithContentsOfFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, written);
}

bool wellFormedXml(const std::string& text) {
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate(nullptr), XML_ParserFree);
    return XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
}

// Other programs read what we write with strict XML parsers: every string either travels whole and
// well-formed, or the write is refused before anything reaches the disk.
TEST(NSDictionaryFile, WhatIsWrittenIsWellFormedXmlAndWhatCannotBeIsRefused) {
    TemporaryDevice device;
    NSMutableDictionary carried = sample();
    carried.setObject(CFPropertyList::string("tab\tline\ncr\r \"quoted\" 'single' é 😀 \ue000 \ufffd"),
                      "text & <key> é");
    ASSERT_TRUE(carried.writeToFile(path, true));
    std::ifstream in(device.hostPath(path), std::ios::binary);
    EXPECT_TRUE(wellFormedXml(std::string(std::istreambuf_iterator<char>(in), {})));
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), carried);

    for (const std::string& bad : std::initializer_list<std::string>{
             "a\x01", "\x7f\x80", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xef\xbf\xbf",
             std::string("nul\0inside", 10)}) {
        NSMutableDictionary value;
        value.setObject(CFPropertyList::string(bad), "key");
        NSMutableDictionary key;
        key.setObject(CFPropertyList::integer(1), bad);
        for (const NSDictionary& refused : {NSDictionary(value), NSDictionary(key)}) {
            EXPECT_TRUE(refused.writingProblem());
            EXPECT_FALSE(refused.writeToFile(path, true));
        }
    }
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), carried);
}

TEST(NSDictionaryFile, ReadsBinaryPropertyLists) {
    TemporaryDevice device;
    const auto written = sample();
    const auto binary = binaryPlistOf(written);
    ASSERT_EQ(std::string_view(reinterpret_cast<const char*>(binary.data()), 6), "bplist");
    device.writeBytes(path, binary);
    const auto read = NSDictionary::dictionaryWithContentsOfFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, written);
}

TEST(NSDictionaryFile, AnythingButADictionaryReadsAsNothing) {
    TemporaryDevice device;
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path)) << "missing";

    const std::string valid = sample().xmlPropertyList();
    const auto binary = binaryPlistOf(sample());
    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(4096);
    for (auto& byte : noise)
        byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> brokenBinary = binary;
    brokenBinary.resize(binary.size() - 20);
    std::vector<std::uint8_t> corruptTrailer = binary;
    for (std::size_t i = corruptTrailer.size() - 26; i < corruptTrailer.size(); ++i)
        corruptTrailer[i] = 0xff;

    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"empty", {}},
        {"truncated xml", std::vector<std::uint8_t>(valid.begin(), valid.begin() + valid.size() / 2)},
        {"random bytes", noise},
        {"truncated binary", brokenBinary},
        {"binary with a corrupt trailer", corruptTrailer},
        {"root array",
         [] {
             const auto text = xmlPlist("<array><integer>1</integer></array>");
             return std::vector<std::uint8_t>(text.begin(), text.end());
         }()},
        {"root string",
         [] {
             const auto text = xmlPlist("<string>hello</string>");
             return std::vector<std::uint8_t>(text.begin(), text.end());
         }()},
    };
    for (const auto& [name, bytes] : cases) {
        device.writeBytes(path, bytes);
        EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path)) << name;
    }
}

TEST(NSDictionaryFile, AFolderOrAPipeAtThePathReadsAsNothingWithoutBlocking) {
    TemporaryDevice device;
    std::filesystem::create_directories(device.hostPath(path));
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));
    std::filesystem::remove(device.hostPath(path));
    ASSERT_EQ(::mkfifo(device.hostPath(path).c_str(), 0644), 0);
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path));
}

TEST(NSDictionaryFile, DeeplyNestedDocumentsAreRefused) {
    std::string body;
    for (int depth = 0; depth < 200; ++depth)
        body += "<dict><key>k</key>";
    body += "<true/>";
    for (int depth = 0; depth < 200; ++depth)
        body += "</dict>";
    const auto text = xmlPlist(body);
    EXPECT_FALSE(NSDictionary::dictionaryWithPropertyListData(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
}

TEST(NSDictionaryFile, ABinaryKeyHoldingANulCharacterIsRefusedNotFatal) {
    // {U+0000: true} with the key in UTF-16: libplist aborts the process on such a key.
    const std::string hex =
        "62706c6973743030d1010261000009080b0e000000000000010100000000000000030000000000000000"
        "000000000000000f";
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    EXPECT_FALSE(NSDictionary::dictionaryWithPropertyListData(bytes));
}

TEST(NSDictionaryFile, WriteReportsFailureAndLeavesNoTemporaryFile) {
    TemporaryDevice device;
    const auto folder = device.hostPath("/var/mobile/Library/Preferences");
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(sample().writeToFile(path, true));
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), "test.plist");

    // A folder in the way of the file: the write must fail, not pretend.
    EXPECT_FALSE(sample().writeToFile("/var/mobile/Library/Preferences", true));
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), "test.plist");
}

TEST(NSFileManagerRemove, ReportsWhetherThereWasAFile) {
    TemporaryDevice device;
    auto& files = NSFileManager::defaultManager();
    EXPECT_FALSE(files.removeItemAtPath(path));
    ASSERT_TRUE(sample().writeToFile(path, true));
    EXPECT_TRUE(files.fileExistsAtPath(path));
    EXPECT_TRUE(files.removeItemAtPath(path));
    EXPECT_FALSE(files.fileExistsAtPath(path));
}

} // namespace
