#include "sim/PageServer.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/RunLoopSourceHost.h"
#include "PageClient.h"
#include "support/TemporaryDevice.h"

#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

class PageServerTest : public ::testing::Test {
  protected:
    PageServerTest() {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "index.html") << "<p>the page</p>";
        std::ofstream(folder / "page.js") << "// the script";
        std::ofstream(root.root() / "secret.txt") << "TOP-SECRET-CONTENT";
        std::filesystem::create_symlink(root.root() / "secret.txt", folder / "link.js");
        limits.upload = 1024;
        limits.queuedBytes = 256 * 1024;
        std::string error;
        server = PageServer::start(0, folder, root.root(), handlers(), limits, error);
        EXPECT_TRUE(server) << error;
        port = server ? server->port() : 0;
        token = server ? server->url().substr(server->url().find("token=") + 6) : "";
    }

    PageServer::Handlers handlers() {
        return {[this](PageServer::Client client) { opened.push_back(client); },
                [this](PageServer::Client, std::string_view text) { messages.emplace_back(text); },
                [this](PageServer::Client, const std::filesystem::path& file) { uploads.push_back(file); }};
    }

    // Runs what a client does on another thread while this one turns the run loop, as the device does.
    // The client's thread wakes the loop when it is done, through a pipe the loop watches.
    template <typename Exchange> auto exchange(Exchange talk) {
        int wake[2];
        EXPECT_EQ(::pipe(wake), 0);
        const auto source = FoundationHost::readable(wake[0], [] {});
        auto done = std::async(std::launch::async, [&] {
            auto result = talk();
            EXPECT_EQ(::write(wake[1], "x", 1), 1);
            return result;
        });
        NSRunLoop::mainRunLoop().runUntil([&] { return done.wait_for(0ms) == std::future_status::ready; },
                                          30s);
        auto result = done.get();
        ::close(wake[0]);
        ::close(wake[1]);
        return result;
    }
    std::string get(const std::string& target, const std::string& headers) {
        return exchange([&] { return PageClient::get(port, target, headers); });
    }
    std::string host() const { return "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"; }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port); }
    std::string tokenCookie() const { return "orvane-token=" + token; }

    // A page's socket, opened with the cookie from this origin; its handshake already read.
    std::unique_ptr<PageClient> openSocket() {
        auto client = std::make_unique<PageClient>(port);
        const auto answer = exchange([&] {
            client->say(PageClient::upgrade(port, origin(), tokenCookie()));
            return client->read(20s, "\r\n\r\n");
        });
        EXPECT_EQ(PageClient::status(answer), 101) << answer;
        NSRunLoop::mainRunLoop().runUntil([&] { return !opened.empty(); }, 20s);
        client->forget();
        return client;
    }

    TemporaryDevice root;
    std::filesystem::path folder = root.root() / "page";
    PageServer::Limits limits;
    std::unique_ptr<PageServer> server;
    int port = 0;
    std::string token;
    std::vector<PageServer::Client> opened;
    std::vector<std::string> messages;
    std::vector<std::filesystem::path> uploads;
};

TEST_F(PageServerTest, TheTokenInTheAddressSetsAStrictHttpOnlyCookieThatLaterRequestsCarry) {
    EXPECT_TRUE(server->url().starts_with("http://127.0.0.1:" + std::to_string(port) + "/?token="));
    EXPECT_EQ(token.size(), 32u);
    const auto first = get("/?token=" + token, host());
    EXPECT_EQ(PageClient::status(first), 200) << first;
    EXPECT_NE(first.find("set-cookie: orvane-token=" + token + "; HttpOnly; SameSite=Strict; Path=/"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("<p>the page</p>"), std::string::npos);
    const auto script = get("/page.js", host() + "Cookie: theme=dark; " + tokenCookie() + "\r\n");
    EXPECT_EQ(PageClient::status(script), 200) << script;
    EXPECT_NE(script.find("content-type: text/javascript"), std::string::npos) << script;
    EXPECT_EQ(script.find("set-cookie"), std::string::npos) << "the cookie is set once";
    EXPECT_EQ(PageClient::status(get("/page.js", "Host: localhost:" + std::to_string(port) +
                                                     "\r\nCookie: " + tokenCookie() + "\r\n")),
              200);
    // Another server on this machine does not hear of the token: it is not this server's address.
    EXPECT_EQ(server->url().find("localhost"), std::string::npos);
}

TEST_F(PageServerTest, WithoutTheTokenOrFromAnotherOriginOrHostNothingIsServedOrOpened) {
    const std::string cookie = "Cookie: " + tokenCookie() + "\r\n";
    EXPECT_EQ(PageClient::status(get("/", host())), 403);
    EXPECT_EQ(PageClient::status(get("/?token=" + std::string(32, '0'), host())), 403);
    EXPECT_EQ(PageClient::status(get("/?token=" + token.substr(0, 31), host())), 403);
    EXPECT_EQ(PageClient::status(get("/page.js", host() + "Cookie: orvane-token=x\r\n")), 403);
    // A page elsewhere that rebinds a name of its own to this address is not this host.
    EXPECT_EQ(PageClient::status(
                  get("/?token=" + token, "Host: attacker.example:" + std::to_string(port) + "\r\n")),
              403);
    EXPECT_EQ(PageClient::status(get("/page.js", "Host: 127.0.0.1:1\r\n" + cookie)), 403);
    EXPECT_EQ(PageClient::status(get("/page.js", host() + cookie + "Origin: http://attacker.example\r\n")),
              403);

    for (const auto& [from, with] : std::vector<std::pair<std::string, std::string>>{
             {origin(), ""},
             {origin(), "orvane-token=wrong"},
             {"http://attacker.example", tokenCookie()},
             {"null", tokenCookie()},
             {"", tokenCookie()},
         }) {
        const auto answer = exchange([&] {
            PageClient client(port);
            client.say(PageClient::upgrade(port, from, with) + PageClient::frame("{\"action\":\"open\"}"));
            return client.readResponse(20s);
        });
        EXPECT_EQ(PageClient::status(answer), 403) << from << " " << with << ": " << answer;
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(server->clientCount(), 0u);
}

TEST_F(PageServerTest, NoPathLeadsOutOfThePageFolder) {
    const std::string cookie = "Cookie: " + tokenCookie() + "\r\n";
    for (const std::string target : {"/../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt", "/link.js",
                                     "//secret.txt", "/page/index.html", "/index.html%00.js", "/secret.txt",
                                     "/.hidden.js", "/nothing.js", "/page.js.bak"}) {
        const auto answer = get(target, host() + cookie);
        EXPECT_NE(PageClient::status(answer), 200) << target << ": " << answer;
        EXPECT_EQ(answer.find("TOP-SECRET-CONTENT"), std::string::npos) << target;
    }
    EXPECT_EQ(PageClient::status(get("/socket", host() + cookie)), 404) << "the socket is only for upgrades";
}

TEST_F(PageServerTest, MalformedOversizeAndBodiedRequestsAreRefusedAndTheServerGoesOn) {
    const auto say = [&](const std::string& bytes) {
        return exchange([&] {
            PageClient client(port);
            client.say(bytes);
            return client.readResponse(6s);
        });
    };
    for (const std::string& malformed : std::vector<std::string>{
             std::string("GARBAGE\r\n\r\n"), std::string("GET\r\n\r\n"),
             std::string("\x16\x03\x01\x02\x00", 5),
             "GET / HTTP/1.1\r\n" + host() + "X-Long: " + std::string(16 * 1024, 'a') + "\r\n\r\n",
             "POST / HTTP/1.1\r\n" + host() + "Cookie: " + tokenCookie() +
                 "\r\nContent-Length: 100000000\r\n\r\nxxxx",
             "GET /?token=" + token + " HTTP/1.1\r\n" + host() + "Content-Length: 5\r\n\r\nhello",
             "DELETE /page.js HTTP/1.1\r\n" + host() + "Cookie: " + tokenCookie() + "\r\n\r\n"})
        EXPECT_NE(PageClient::status(say(malformed)), 200) << malformed.substr(0, 40);
    // A client that sends nothing is let go.
    const bool dropped = exchange([&] {
        PageClient silent(port);
        silent.read(20s);
        return silent.closed();
    });
    EXPECT_TRUE(dropped);
    EXPECT_EQ(PageClient::status(get("/?token=" + token, host())), 200);
}

TEST_F(PageServerTest, MessagesArriveWholeWithinTheirBoundsAndLargerOnesCloseTheSocket) {
    auto page = openSocket();
    const std::string action = "{\"action\":\"touch\",\"x\":10,\"y\":20}";
    exchange([&] {
        return page->say(PageClient::frame(action.substr(0, 10), 1, false) +
                         PageClient::frame(action.substr(10), 0, true));
    });
    NSRunLoop::mainRunLoop().runUntil([&] { return !messages.empty(); }, 20s);
    EXPECT_EQ(messages, std::vector<std::string>{action});

    exchange([&] { return page->say(PageClient::frame(std::string(600, 'p'), 2)); });
    NSRunLoop::mainRunLoop().runUntil([&] { return !uploads.empty(); }, 20s);
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(uploads[0]), 600u);

    // The server says why it closes ("message too large", 1009) before it hangs up.
    const bool closedOnUpload = exchange([&] {
        page->say(PageClient::frame(std::string(limits.upload + 1, 'p'), 2));
        const auto answer = page->read(20s, "message too large");
        return page->closed() || answer.find("message too large") != std::string::npos;
    });
    EXPECT_TRUE(closedOnUpload);
    EXPECT_EQ(uploads.size(), 1u);

    auto talker = openSocket();
    const bool closedOnText = exchange([&] {
        talker->say(PageClient::frame(std::string(limits.textMessage + 1, 'x')));
        const auto answer = talker->read(20s, "message too large");
        return talker->closed() || answer.find("message too large") != std::string::npos;
    });
    EXPECT_TRUE(closedOnText);
    EXPECT_EQ(messages.size(), 1u);
    // The server waits a while for a closing page to answer its close; these two hang up instead.
    page.reset();
    talker.reset();
    NSRunLoop::mainRunLoop().runUntil([&] { return server->clientCount() == 0; }, 20s);
    EXPECT_EQ(server->clientCount(), 0u);
}

TEST_F(PageServerTest, AHundredConnectionsAtOnceAndAPageThatReadsNothingLeaveTheServerServing) {
    const auto crowd = exchange([&] {
        std::vector<std::unique_ptr<PageClient>> clients;
        for (int index = 0; index < 100; ++index) {
            clients.push_back(std::make_unique<PageClient>(port));
            clients.back()->say("GET /?token=" + token + " HTTP/1.1\r\n" + host() + "\r\n");
        }
        int answered = 0;
        for (auto& client : clients)
            answered += PageClient::status(client->read(5s, "the page")) == 200;
        return answered;
    });
    EXPECT_GT(crowd, 0);
    EXPECT_EQ(PageClient::status(get("/?token=" + token, host())), 200) << "served again once they are gone";

    // Pages past the limit are turned away; the ones open go on.
    std::vector<std::unique_ptr<PageClient>> pages;
    for (std::size_t index = 0; index < limits.clients; ++index)
        pages.push_back(openSocket());
    EXPECT_EQ(server->clientCount(), limits.clients);
    const auto refused = exchange([&] {
        PageClient extra(port);
        extra.say(PageClient::upgrade(port, origin(), tokenCookie()));
        return extra.readResponse(20s);
    });
    EXPECT_EQ(PageClient::status(refused), 503) << refused;
    pages.clear();
    NSRunLoop::mainRunLoop().runUntil([&] { return server->clientCount() == 0; }, 20s);

    // It never reads: what waits for it is bounded, and past that it is dropped.
    auto deaf = openSocket();
    const std::string large(64 * 1024, 'e');
    NSRunLoop::mainRunLoop().runUntil(
        [&] {
            server->broadcast(large);
            return server->clientCount() == 0;
        },
        20s);
    EXPECT_EQ(server->clientCount(), 0u) << "a page that reads nothing is let go";
}

} // namespace
