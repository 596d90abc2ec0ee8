#include "Foundation/NSDictionary.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

void appendBigEndian(Bytes& bytes, std::uint64_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A binary property list from its objects, in order; references and offsets take four bytes. Object 0 is the
// top: a dictionary {"A": object 2}, with its key "A" as object 1.
Bytes binaryPlist(const std::vector<Bytes>& members) {
    std::vector<Bytes> objects = {{0xd1, 0, 0, 0, 1, 0, 0, 0, 2}, {0x51, 'A'}};
    objects.insert(objects.end(), members.begin(), members.end());
    Bytes bytes = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(bytes.size());
        bytes.insert(bytes.end(), object.begin(), object.end());
    }
    const std::uint64_t table = bytes.size();
    for (const auto offset : offsets)
        appendBigEndian(bytes, offset, 4);
    bytes.insert(bytes.end(), {0, 0, 0, 0, 0, 0, 4, 4});
    appendBigEndian(bytes, objects.size(), 8);
    appendBigEndian(bytes, 0, 8);
    appendBigEndian(bytes, table, 8);
    return bytes;
}

// An array holding the objects at the given indexes.
Bytes array(std::initializer_list<std::uint32_t> members) {
    Bytes object = {static_cast<std::uint8_t>(0xa0 | members.size())};
    for (const auto member : members)
        appendBigEndian(object, member, 4);
    return object;
}

const Bytes one = {0x10, 0x01};

// The value of "A" is an array nested `levels` deep around the integer 1.
Bytes nestedBinary(int levels) {
    std::vector<Bytes> members;
    for (int level = 0; level < levels; ++level)
        members.push_back(array({static_cast<std::uint32_t>(3 + level)}));
    members.push_back(one);
    return binaryPlist(members);
}

Bytes nestedXml(int levels) {
    std::string body = "<dict><key>A</key>";
    for (int level = 0; level < levels; ++level)
        body += "<array>";
    body += "<integer>1</integer>";
    for (int level = 0; level < levels; ++level)
        body += "</array>";
    const std::string text = xmlPlist(body + "</dict>");
    return Bytes(text.begin(), text.end());
}

std::string refusal(const Bytes& bytes) {
    std::string error;
    return NSDictionary::dictionaryWithPropertyListData(bytes, error) ? "taken" : error;
}

TEST(PropertyListLimits, SixtyFourLevelsAreTakenAndOneMoreIsRefusedInBothForms) {
    // The integer sits one level below the innermost array: 63 arrays put it at depth 64.
    EXPECT_EQ(refusal(nestedBinary(63)), "taken");
    EXPECT_EQ(refusal(nestedXml(63)), "taken");
    EXPECT_EQ(refusal(nestedBinary(64)), "it is nested more than 64 levels deep");
    EXPECT_EQ(refusal(nestedXml(64)), "it is nested more than 64 levels deep");
}

TEST(PropertyListLimits, AHundredThousandLevelsAreRefusedBeforeTheParserRecurses) {
    EXPECT_EQ(refusal(nestedBinary(100000)), "it is nested more than 64 levels deep");
    EXPECT_EQ(refusal(nestedXml(100000)), "it is nested more than 64 levels deep");

    TemporaryDevice device;
    constexpr std::string_view path = "/var/mobile/Library/Preferences/deep.plist";
    device.writeBytes(path, nestedBinary(100000));
    NSPropertyListReadError error;
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path, error));
    EXPECT_EQ(error.kind, NSPropertyListReadError::Kind::unreadable);
    EXPECT_EQ(error.reason, "it is nested more than 64 levels deep");
}

TEST(PropertyListLimits, SharedObjectsCountOncePerReferenceAndCyclesAreRefused) {
    // Each array holds the next one twice: 40 levels make a tree of 2^41 objects out of 43.
    std::vector<Bytes> doubling;
    for (std::uint32_t level = 0; level < 40; ++level)
        doubling.push_back(array({3 + level, 3 + level}));
    doubling.push_back(one);
    EXPECT_EQ(refusal(binaryPlist(doubling)), "it holds more than 262144 objects");

    // A few levels of sharing stay small and are taken.
    EXPECT_EQ(refusal(binaryPlist({array({3, 3}), array({4, 4}), one})), "taken");

    EXPECT_EQ(refusal(binaryPlist({array({2})})), "it is not a well-formed property list");
    EXPECT_EQ(refusal(binaryPlist({array({9})})), "it is not a well-formed property list");
}

TEST(PropertyListLimits, UnreadableFilesSayWhy) {
    TemporaryDevice device;
    constexpr std::string_view path = "/var/mobile/Library/Preferences/test.plist";
    const auto reason = [&] {
        NSPropertyListReadError error;
        EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path, error));
        return error.reason;
    };
    device.writeText(path, "not a property list");
    EXPECT_EQ(reason(), "it is not a well-formed property list");
    device.writeText(path, xmlPlist("<array/>"));
    EXPECT_EQ(reason(), "its root is not a dictionary");
    // {"A": UID 1}: a kind of object settings never hold.
    device.writeBytes(path, binaryPlist({{0x80, 0x01}}));
    EXPECT_EQ(reason(), "it holds a value that is not a property-list object");
    std::filesystem::resize_file(device.hostPath(path), 16 * 1024 * 1024 + 1);
    EXPECT_EQ(reason(), "it is larger than 16 MiB");

    std::filesystem::remove(device.hostPath(path));
    NSPropertyListReadError missing;
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path, missing));
    EXPECT_EQ(missing.kind, NSPropertyListReadError::Kind::missing);
}

} // namespace
