#include "Foundation/EventLog.h"
#include "Foundation/EventLogHost.h"
#include "Foundation/PlatformHost.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

std::string logText(const TemporaryDevice& device) {
    std::ifstream file(device.hostPath(EventLog::devicePath));
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(EventLog, FieldsComeBackAsWrittenOneLineEach) {
    TemporaryDevice device;
    EventLog::setProcessRole(PlatformHost::badge(), "tester");
    const std::string awkward = "two words, \"quoted\" \\ back\nnew line\ttab\x01\x7f caf\xc3\xa9 a=b";
    EventLog::record("kind.one", {{"plain", "/var/x?a=b"}, {"awkward", awkward}, {"empty", ""}});
    EventLog::record("bad kind", {{"bad key", "v"}});

    const auto text = logText(device);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    const auto events = EventLog::events();
    ASSERT_EQ(events.size(), 2u) << text;
    EXPECT_EQ(events[0].process, "tester");
    EXPECT_EQ(events[0].pid, ::getpid());
    EXPECT_EQ(events[0].time.size(), std::string("2026-12-08T14:43:27.123456Z").size());
    EXPECT_EQ(events[0].kind, "kind.one");
    EXPECT_EQ(events[0].fields, (std::vector<std::pair<std::string, std::string>>{
                                    {"plain", "/var/x?a=b"}, {"awkward", awkward}, {"empty", ""}}));
    EXPECT_EQ(events[1].body, "bad_kind bad_key=v") << "a kind or key never spills into the next word";
}

TEST(EventLog, LinesThatTheLogDoesNotWriteAreNotEvents) {
    for (const std::string_view line :
         {"", "2026-12-08T00:00:00Z", "2026-12-08T00:00:00Z sim[1] ", "2026-12-08T00:00:00Z sim kind",
          "2026-12-08T00:00:00Z sim[x] kind", "2026-12-08T00:00:00Z sim[1] kind key",
          "2026-12-08T00:00:00Z sim[1] kind key=", "2026-12-08T00:00:00Z sim[1] kind key=\"open",
          "2026-12-08T00:00:00Z sim[1] kind key=\"a\"b", "2026-12-08T00:00:00Z sim[1] kind key=\"\\q\""})
        EXPECT_FALSE(EventLog::parseLine(line)) << line;
    EXPECT_TRUE(EventLog::parseLine("2026-12-08T00:00:00Z sim[1] kind key=\"\\x41\""));
}

TEST(EventLog, AReaderTakesWholeLinesOnlyAndStartsOverAfterAClear) {
    TemporaryDevice device;
    EventLog::record("first");
    std::uint64_t offset = 0;
    EXPECT_NE(EventLog::readLinesFrom(offset).find(" first\n"), std::string::npos);
    std::ofstream(device.hostPath(EventLog::devicePath), std::ios::app) << "2026-12-08T00:00:00Z half[1] sec";
    EXPECT_EQ(EventLog::readLinesFrom(offset), "") << "a line still being written waits";
    std::ofstream(device.hostPath(EventLog::devicePath), std::ios::app) << "ond\n";
    EXPECT_EQ(EventLog::readLinesFrom(offset), "2026-12-08T00:00:00Z half[1] second\n");

    EXPECT_TRUE(EventLog::clear());
    EXPECT_TRUE(EventLog::events().empty());
    EventLog::record("third");
    EXPECT_EQ(loggedEvents(), Lines{"third"});
    EXPECT_NE(EventLog::readLinesFrom(offset).find(" third\n"), std::string::npos);

    TemporaryDevice empty;
    EXPECT_TRUE(EventLog::clear()) << "a device without a log has an empty one";
}

// Lines longer than a pipe's atomic write, from three processes at once.
TEST(EventLog, ProcessesWritingAtOnceLeaveWholeLines) {
    TemporaryDevice device;
    constexpr int perProcess = 300;
    const std::string filler(6000, 'x');
    const auto writeMany = [&] {
        for (int index = 0; index < perProcess; ++index)
            EventLog::record("burst", {{"index", std::to_string(index)}, {"filler", filler}});
    };
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            writeMany();
            ::_exit(0);
        }
        children.push_back(pid);
    }
    writeMany();
    for (const pid_t pid : children)
        ::waitpid(pid, nullptr, 0);

    const auto text = logText(device);
    const auto events = EventLog::events();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 * perProcess);
    ASSERT_EQ(events.size(), 3u * perProcess) << "every line parses";
    std::map<long, int> nextIndex;
    for (const auto& event : events) {
        EXPECT_EQ(*event.field("filler"), filler);
        EXPECT_EQ(*event.field("index"), std::to_string(nextIndex[event.pid]++)) << "in order per process";
    }
    EXPECT_EQ(nextIndex.size(), 3u);
}

TEST(EventLog, NothingIsWrittenBeforeAHostChoosesTheDeviceRoot) {
    const TemporaryDevice device;
    DeviceRoot::set(PlatformHost::badge(), "/");
    EventLog::record("stray");
    EXPECT_FALSE(std::filesystem::exists(DeviceRoot::resolve(EventLog::devicePath)));
}

} // namespace
