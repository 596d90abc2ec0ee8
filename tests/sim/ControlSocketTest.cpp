#include "sim/ControlSocket.h"
#include "sim/Limits.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The control socket's frames and its listening socket, inside this process.
namespace {

struct SocketPair {
    SocketPair() {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0) {
            client = OwnedDescriptor(ends[0]);
            server = OwnedDescriptor(ends[1]);
        }
    }
    OwnedDescriptor client;
    OwnedDescriptor server;
};

std::filesystem::path freshFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-socket-XXXXXX").string();
    return ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

// Writes raw bytes as a client that does not follow the protocol would.
void sendRaw(int connection, std::string_view bytes) {
    ASSERT_EQ(::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
}

std::string frame(std::string_view payload) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((payload.size() >> shift) & 0xff));
    return bytes.append(payload);
}

TEST(ControlSocket, ARequestAndItsAnswerArriveWordForWord) {
    SocketPair pair;
    const DeviceRequest sent{"/home/person", {"alert", "with two  spaces", "", "\"quoted\" ünïcode\nline"}};
    ASSERT_TRUE(ControlSocket::writeRequest(pair.client.get(), sent));
    std::string error;
    const auto received = ControlSocket::readRequest(pair.server.get(), error);
    ASSERT_TRUE(received) << error;
    EXPECT_EQ(received->directory, sent.directory);
    EXPECT_EQ(received->words, sent.words);

    const DeviceAnswer answer{2, std::string(200000, 'o'), "usage: open [--width W]\n"};
    ASSERT_TRUE(ControlSocket::writeAnswer(pair.server.get(), answer));
    const auto back = ControlSocket::readAnswer(pair.client.get(), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->status, 2);
    EXPECT_EQ(back->out, answer.out);
    EXPECT_EQ(back->errors, answer.errors);
}

// A client that sends its request in pieces, pausing between them, is waited for until the frame is whole.
TEST(ControlSocket, ARequestThatComesInPiecesIsWaitedFor) {
    SocketPair pair;
    const std::string bytes = frame(std::string("/home\0status\0--json\0", 20));
    std::thread client([&] {
        for (std::size_t at = 0; at < bytes.size(); at += 7) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ::send(pair.client.get(), bytes.data() + at, std::min<std::size_t>(7, bytes.size() - at),
                   MSG_NOSIGNAL);
        }
    });
    std::string error;
    const auto received = ControlSocket::readRequest(pair.server.get(), error);
    client.join();
    ASSERT_TRUE(received) << error;
    EXPECT_EQ(received->directory, "/home");
    EXPECT_EQ(received->words, (std::vector<std::string>{"status", "--json"}));
}

TEST(ControlSocket, MalformedRequestsAreRefusedWithTheReason) {
    const std::pair<std::string, std::string_view> cases[] = {
        {frame(""), "malformed"},
        {frame(std::string("/dir\0open", 9)), "malformed"},
        {frame(std::string("relative\0open\0", 14)), "malformed"},
        {"GET / HTTP/1.1\r\n\r\n", "longer than"},
        {std::string("\0\0", 2), "ended before"},
    };
    for (const auto& [bytes, reason] : cases) {
        SocketPair pair;
        sendRaw(pair.client.get(), bytes);
        pair.client.reset();
        std::string error;
        EXPECT_FALSE(ControlSocket::readRequest(pair.server.get(), error)) << bytes;
        EXPECT_NE(error.find(reason), std::string::npos) << bytes << ": " << error;
    }
}

TEST(ControlSocket, ARequestLongerThanACommandLineIsRefusedBeforeItIsRead) {
    SocketPair pair;
    // Only the length is sent: the refusal must not wait for, or gather, megabytes.
    sendRaw(pair.client.get(), frame(std::string(8 << 20, 'x')).substr(0, 4));
    std::string error;
    EXPECT_FALSE(ControlSocket::readRequest(pair.server.get(), error));
    EXPECT_NE(error.find("longer than"), std::string::npos) << error;

    SocketPair words;
    ASSERT_TRUE(ControlSocket::writeRequest(words.client.get(),
                                            {"/", {"defaults", std::string(longestCommandLine, 'w')}}));
    EXPECT_FALSE(ControlSocket::readRequest(words.server.get(), error));
    EXPECT_NE(error.find("longer than " + std::to_string(longestCommandLine)), std::string::npos) << error;
}

TEST(ControlSocket, ARequestReaderTakesARequestInPiecesAndNeverWaits) {
    SocketPair pair;
    constexpr char payload[] = "/home\0open\0--width\0"
                               "400";
    const std::string bytes = frame(std::string(payload, sizeof payload));
    ControlSocket::RequestReader reader;
    std::string error;
    EXPECT_FALSE(reader.readFrom(pair.server.get())) << "nothing has come yet";
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 3) {
        sendRaw(pair.client.get(), bytes.substr(at, std::min<std::size_t>(3, bytes.size() - 1 - at)));
        EXPECT_FALSE(reader.readFrom(pair.server.get())) << at;
        EXPECT_FALSE(reader.request(error));
    }
    // The last byte, and what a client sends after its frame, which is left unread.
    sendRaw(pair.client.get(), bytes.substr(bytes.size() - 1) + "more");
    ASSERT_TRUE(reader.readFrom(pair.server.get()));
    const auto request = reader.request(error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(request->directory, "/home");
    EXPECT_EQ(request->words, (std::vector<std::string>{"open", "--width", "400"}));
    char rest[8];
    EXPECT_EQ(::recv(pair.server.get(), rest, sizeof rest, MSG_DONTWAIT), 4);

    const std::pair<std::string, std::string_view> refused[] = {
        {frame(std::string(8 << 20, 'x')).substr(0, 4), "longer than"},
        {std::string("\0\0\0\x40/\0op", 8), "ended before"},
    };
    for (const auto& [sent, reason] : refused) {
        SocketPair other;
        sendRaw(other.client.get(), sent);
        other.client.reset();
        ControlSocket::RequestReader refusing;
        ASSERT_TRUE(refusing.readFrom(other.server.get()));
        EXPECT_FALSE(refusing.request(error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

TEST(ControlSocket, AListeningSocketIsForThisUserOnlyAndAStaleOneIsCleared) {
    const auto folder = freshFolder();
    const auto path = folder / "control.sock";
    std::string error;
    {
        const auto first = ControlSocket::listenAt(path, error);
        ASSERT_TRUE(first) << error;
        struct stat status {};
        ASSERT_EQ(::lstat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
        EXPECT_FALSE(ControlSocket::isStale(path));
        EXPECT_FALSE(ControlSocket::listenAt(path, error)) << "a live socket is never taken over";
        EXPECT_NE(error.find("already listens"), std::string::npos) << error;
        EXPECT_TRUE(ControlSocket::connectTo(path, error));
    }
    // Its listener is gone, as when the device was killed: the file stays and is no longer trusted.
    EXPECT_TRUE(ControlSocket::isStale(path));
    EXPECT_FALSE(ControlSocket::connectTo(path, error));
    EXPECT_TRUE(ControlSocket::listenAt(path, error)) << error;
    std::filesystem::remove_all(folder);
}

TEST(ControlSocket, APathThatIsNoSocketOrTooLongIsRefused) {
    const auto folder = freshFolder();
    const auto file = folder / "control.sock";
    std::ofstream(file) << "not ours";
    std::string error;
    EXPECT_FALSE(ControlSocket::listenAt(file, error));
    EXPECT_NE(error.find("is not a socket"), std::string::npos) << error;
    EXPECT_FALSE(ControlSocket::isStale(file));
    std::ifstream kept(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not ours") << "the file is left alone";

    EXPECT_FALSE(ControlSocket::listenAt(folder / std::string(200, 'd') / "control.sock", error));
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    std::filesystem::remove_all(folder);
}

} // namespace
