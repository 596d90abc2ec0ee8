#include "Foundation/NSDictionary.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::string_view path = "/var/mobile/Library/Preferences/com.velquin.orvane.plist";

// Two versions that differ in size and in every value, so that a torn or mixed file cannot pass for either.
NSDictionary version(char tag, int keys) {
    NSMutableDictionary dictionary;
    for (int index = 0; index < keys; ++index)
        dictionary.setObject(CFPropertyList::string(std::string(40, tag)), "KEY_" + std::to_string(index));
    return dictionary;
}

TEST(AtomicWrite, AReaderSeesOnlyWholeVersionsWhileAnotherProcessRewrites) {
    TemporaryDevice device;
    const NSDictionary first = version('a', 80);
    const NSDictionary second = version('b', 25);
    ASSERT_TRUE(first.writeToFile(path, true));

    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        bool ok = true;
        for (int round = 0; round < 1000; ++round)
            ok = (round % 2 ? first : second).writeToFile(path, true) && ok;
        ::_exit(ok ? 0 : 1);
    }

    int reads = 0;
    int torn = 0;
    int status = 0;
    while (::waitpid(writer, &status, WNOHANG) == 0) {
        const auto read = NSDictionary::dictionaryWithContentsOfFile(path);
        ++reads;
        if (!read || (*read != first && *read != second))
            ++torn;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer failed to write";
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    EXPECT_GT(reads, 10);
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), first);
}

} // namespace
