#include "Device/EventLog.h"
#include "Device/DeviceHost.h"
#include "Device/EventLogHost.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
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
    DeviceHost::setProcessRole("tester");
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

std::vector<std::string> remainingLines(EventLog::Reader& reader) {
    std::vector<std::string> lines;
    while (const auto line = reader.nextLine())
        lines.emplace_back(*line);
    return lines;
}

TEST(EventLog, AReaderTakesWholeLinesOnlyAndStartsOverAfterAClear) {
    TemporaryDevice device;
    EventLog::record("first");
    EventLog::Reader reader;
    const auto first = remainingLines(reader);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(first[0].ends_with(" first")) << first[0];
    std::ofstream(device.hostPath(EventLog::devicePath), std::ios::app) << "2026-12-08T00:00:00Z half[1] sec";
    EXPECT_EQ(remainingLines(reader), Lines{}) << "a line still being written waits";
    std::ofstream(device.hostPath(EventLog::devicePath), std::ios::app) << "ond\n";
    EXPECT_EQ(remainingLines(reader), Lines{"2026-12-08T00:00:00Z half[1] second"});

    EXPECT_TRUE(EventLog::clear());
    EXPECT_TRUE(EventLog::events().empty());
    EventLog::record("third");
    EXPECT_EQ(loggedEvents(), Lines{"third"});
    const auto third = remainingLines(reader);
    ASSERT_EQ(third.size(), 1u) << "a cleared log is read from its start";
    EXPECT_TRUE(third[0].ends_with(" third"));

    TemporaryDevice empty;
    EXPECT_TRUE(EventLog::clear()) << "a device without a log has an empty one";
}

// Fills the current file with lines of a made-up process until one byte is left below the rotation size, so
// that the next event rotates the log.
void fillToRotation(const TemporaryDevice& device, const std::string& tag) {
    const auto path = device.hostPath(EventLog::devicePath);
    const std::string prefix = "2026-12-08T00:00:00Z filler[1] " + tag + " pad=";
    std::ofstream file(path, std::ios::app);
    auto size = static_cast<std::uint64_t>(file.tellp());
    const auto left = [&] { return EventLog::rotationSize - 1 - size; };
    constexpr std::uint64_t pad = 4000;
    while (left() > 0) {
        // The last line takes what is left; the ones before leave room for it.
        const bool last = left() < 2 * (prefix.size() + 1) + pad;
        const std::string line = prefix + std::string(last ? left() - prefix.size() - 1 : pad, 'p') + "\n";
        file << line;
        size += line.size();
    }
}

TEST(EventLog, TheLogRotatesKeepingOneOlderFileThatReadersTakeFirst) {
    TemporaryDevice device;
    EventLog::record("before");
    EventLog::Reader follower;
    EXPECT_EQ(remainingLines(follower).size(), 1u);
    fillToRotation(device, "first.fill");
    EXPECT_EQ(std::filesystem::file_size(device.hostPath(EventLog::devicePath)), EventLog::rotationSize - 1);
    EventLog::record("after.first");
    EXPECT_EQ(std::filesystem::file_size(device.hostPath(EventLog::olderDevicePath)),
              EventLog::rotationSize - 1);
    EXPECT_EQ(loggedEvents("after"), Lines{"after.first"}) << "the fresh file holds the new line";
    EXPECT_EQ(loggedEvents("before").size(), 1u) << "the older file is read first";

    const auto followed = remainingLines(follower);
    ASSERT_GT(followed.size(), 1000u) << "what was written before the rotation is still read";
    EXPECT_TRUE(followed[followed.size() - 2].find(" first.fill ") != std::string::npos);
    EXPECT_TRUE(followed.back().ends_with(" after.first")) << "a reader goes on across the rotation";

    fillToRotation(device, "second.fill");
    EventLog::record("after.second");
    const auto events = EventLog::events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind, "after.first") << "one older file is kept: the first one is gone";
    EXPECT_EQ(events.back().kind, "after.second");
}

TEST(EventLog, AnOverlongLineIsSkippedWholeAndTheNextOneRead) {
    TemporaryDevice device;
    {
        std::ofstream file(device.hostPath(EventLog::devicePath));
        file << "2026-12-08T00:00:00Z big[1] huge v=" << std::string(EventLog::Reader::longestLine * 2, 'h')
             << "\n";
    }
    EventLog::record("small");
    EXPECT_EQ(loggedEvents(), Lines{"small"});
}

TEST(EventLog, NeitherWritersNorReadersWaitOnAFifoAtTheLogsPath) {
    TemporaryDevice device;
    const auto path = device.hostPath(EventLog::devicePath);
    std::filesystem::create_directories(path.parent_path());
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    EventLog::record("lost");
    EXPECT_TRUE(EventLog::events().empty());
    EXPECT_FALSE(EventLog::clear()) << "a FIFO is not a log to empty";
    // With a reader holding the FIFO open, a blocking open would succeed and the line would go down the pipe.
    const int held = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    EventLog::record("lost.too");
    char byte = 0;
    EXPECT_EQ(::read(held, &byte, 1), 0) << "nothing is written into what is not a regular file";
    ::close(held);
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
    DeviceHost::setRoot("/");
    EventLog::record("stray");
    EXPECT_FALSE(std::filesystem::exists(DeviceRoot::resolve(EventLog::devicePath)));
}

} // namespace
