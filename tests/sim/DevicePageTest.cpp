#include "sim/DevicePage.h"

#include <gtest/gtest.h>

namespace {

TEST(DevicePageTest, ADroppedFileKeepsItsOwnNameWithNothingThatLeadsElsewhereOrControlsTheTerminal) {
    EXPECT_EQ(uploadedFileName("code.png"), "code.png");
    EXPECT_EQ(uploadedFileName("Holiday photo (2).JPG"), "Holiday photo (2).JPG");
    EXPECT_EQ(uploadedFileName("../../etc/passwd"), "passwd");
    EXPECT_EQ(uploadedFileName("C:\\Users\\me\\shot.png"), "shot.png");
    EXPECT_EQ(uploadedFileName("a\nb\tc\x1b[31m\x7f.png"), "abc[31m.png");
    // U+0085 (a C1 control) goes; U+00E9 and a four-byte character stay.
    EXPECT_EQ(uploadedFileName("caf\xc3\xa9\xc2\x85\xf0\x9f\x93\xb7.png"), "caf\xc3\xa9\xf0\x9f\x93\xb7.png");
    for (const char* empty : {"", ".", "..", "dir/", "\n\r", " . "})
        EXPECT_EQ(uploadedFileName(empty), "picture") << empty;
}

TEST(DevicePageTest, ALongNameIsCutBetweenCharacters) {
    EXPECT_EQ(uploadedFileName(std::string(300, 'x')), std::string(100, 'x'));
    // 99 bytes, then a two-byte character that would pass the limit.
    const std::string cut = uploadedFileName(std::string(99, 'x') + "\xc3\xa9" + "tail");
    EXPECT_EQ(cut, std::string(99, 'x'));
    const std::string fits = uploadedFileName(std::string(98, 'x') + "\xc3\xa9" + "tail");
    EXPECT_EQ(fits, std::string(98, 'x') + "\xc3\xa9");
}

} // namespace
