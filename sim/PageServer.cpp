#include "PageServer.h"
#include "Foundation/FoundationHost.h"

#include "Foundation/NSRunLoop.h"
#include "Foundation/RunLoopSourceHost.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <libwebsockets.h>
#include <map>
#include <optional>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view cookieName = "orvane-token";
constexpr std::string_view socketPath = "/socket";
constexpr std::size_t tokenBytes = 16;
constexpr int closingTurns = 8;

// A page's connection: what waits to be written to it, and the binary message it is sending.
struct Session {
    PageServer::Client id = 0;
    std::deque<std::string> texts;
    std::size_t queuedBytes = 0;
    std::shared_ptr<const std::string> picture;
    std::string incoming;
    int upload = -1;
    std::size_t uploaded = 0;
    bool binary = false;
    bool dropped = false;
};

std::optional<std::string> randomToken() {
    std::array<unsigned char, tokenBytes> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        return std::nullopt;
    std::string token;
    for (const unsigned char byte : bytes) {
        constexpr char digits[] = "0123456789abcdef";
        token += digits[byte >> 4];
        token += digits[byte & 15];
    }
    return token;
}

// Compares in time that does not depend on where the texts differ.
bool sameSecret(std::string_view given, std::string_view secret) {
    if (given.size() != secret.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t index = 0; index < secret.size(); ++index)
        difference |= static_cast<unsigned char>(given[index] ^ secret[index]);
    return difference == 0;
}

std::string header(lws* wsi, lws_token_indexes token) {
    const int length = lws_hdr_total_length(wsi, token);
    if (length <= 0)
        return {};
    std::string value(static_cast<std::size_t>(length) + 1, '\0');
    if (lws_hdr_copy(wsi, value.data(), length + 1, token) < 0)
        return {};
    value.resize(static_cast<std::size_t>(length));
    return value;
}

// The value of one cookie in a Cookie header ("a=1; orvane-token=..."); empty when it has none.
std::string cookie(const std::string& cookies, std::string_view name) {
    std::string_view rest = cookies;
    while (!rest.empty()) {
        const auto end = std::min(rest.find(';'), rest.size());
        std::string_view pair = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=')
            return std::string(pair.substr(name.size() + 1));
    }
    return {};
}

// A file of the page's own folder: a plain name with a known type, no folder in it, so no path leads out.
std::optional<std::string_view> mediaTypeOf(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> types[] = {
        {".html", "text/html; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".png", "image/png"},
        {".svg", "image/svg+xml"}};
    const auto dot = name.rfind('.');
    if (name.empty() || dot == 0 || dot == std::string_view::npos)
        return std::nullopt;
    const bool plain = std::ranges::all_of(name.substr(0, dot), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_';
    });
    for (const auto& [extension, type] : types)
        if (plain && name.substr(dot) == extension)
            return type;
    return std::nullopt;
}

int lwsCallback(lws* wsi, lws_callback_reasons reason, void* user, void* in, std::size_t length);

const lws_protocols protocols[] = {
    {"orvane", lwsCallback, sizeof(Session*), 4096, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

} // namespace

struct PageServer::State {
    std::filesystem::path pageFolder;
    std::filesystem::path uploadFolder;
    Handlers handlers;
    Limits limits;
    std::string token;
    lws_context* context = nullptr;
    int port = 0;
    Client nextClient = 1;
    std::map<Client, lws*> clients;

    // On a loop it does not own, the library closes its handles over the loop's next turns: they are let
    // finish here, so that no handle outlives the memory it points at.
    ~State() {
        if (!context)
            return;
        lws_context_destroy(context);
        for (int turn = 0; turn < closingTurns; ++turn)
            NSRunLoop::mainRunLoop().runPendingEvents();
    }

    bool hostAllowed(lws* wsi) const {
        const std::string host = header(wsi, WSI_TOKEN_HOST);
        return host == "127.0.0.1:" + std::to_string(port) || host == "localhost:" + std::to_string(port);
    }
    bool originAllowed(const std::string& origin) const {
        return origin == "http://127.0.0.1:" + std::to_string(port) ||
               origin == "http://localhost:" + std::to_string(port);
    }
    bool cookieAllowed(lws* wsi) const {
        return sameSecret(cookie(header(wsi, WSI_TOKEN_HTTP_COOKIE), cookieName), token);
    }
    bool queryAllowed(lws* wsi) const {
        // The argument is copied whole, name and all; the answer points at its value.
        char argument[4 * tokenBytes] = "";
        const char* given = lws_get_urlarg_by_name(wsi, "token=", argument, sizeof argument);
        return given && sameSecret(given, token);
    }

    int refuse(lws* wsi, unsigned status) const {
        lws_return_http_status(wsi, status, nullptr);
        return -1;
    }

    int http(lws* wsi, std::string_view path);
    int confirmUpgrade(lws* wsi);
    int receive(lws* wsi, Session& session, const char* bytes, std::size_t length);
    int writeable(lws* wsi, Session& session);
    void queue(lws* wsi, Session& session, std::string text);
};

namespace {

PageServer::State& stateOf(lws* wsi) {
    return *static_cast<PageServer::State*>(lws_context_user(lws_get_context(wsi)));
}

std::string extraHeaders(const std::string& setCookie) {
    std::string headers = "cache-control: no-store\r\n"
                          "x-content-type-options: nosniff\r\n"
                          "referrer-policy: no-referrer\r\n"
                          "x-frame-options: DENY\r\n"
                          "content-security-policy: default-src 'self'; img-src 'self' blob: data:; "
                          "connect-src 'self'; frame-ancestors 'none'\r\n";
    if (!setCookie.empty())
        headers += "set-cookie: " + setCookie + "\r\n";
    return headers;
}

} // namespace

// Only GET of the page's own files, from this server's host, with the token; what carries the token in its
// address sets the cookie that later requests carry instead.
int PageServer::State::http(lws* wsi, std::string_view path) {
    if (!hostAllowed(wsi))
        return refuse(wsi, HTTP_STATUS_FORBIDDEN);
    const std::string origin = header(wsi, WSI_TOKEN_ORIGIN);
    if (!origin.empty() && !originAllowed(origin))
        return refuse(wsi, HTTP_STATUS_FORBIDDEN);
    if (lws_hdr_total_length(wsi, WSI_TOKEN_GET_URI) <= 0)
        return refuse(wsi, HTTP_STATUS_METHOD_NOT_ALLOWED);
    const std::string contentLength = header(wsi, WSI_TOKEN_HTTP_CONTENT_LENGTH);
    if ((!contentLength.empty() && contentLength != "0") ||
        lws_hdr_total_length(wsi, WSI_TOKEN_HTTP_TRANSFER_ENCODING) > 0)
        return refuse(wsi, HTTP_STATUS_REQ_ENTITY_TOO_LARGE);
    const bool byQuery = queryAllowed(wsi);
    if (!byQuery && !cookieAllowed(wsi))
        return refuse(wsi, HTTP_STATUS_FORBIDDEN);
    const std::string name =
        path == "/" ? std::string("index.html") : std::string(path.substr(path.starts_with('/') ? 1 : 0));
    const auto type = mediaTypeOf(name);
    const auto file = pageFolder / name;
    struct stat status {};
    if (!type || ::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return refuse(wsi, HTTP_STATUS_NOT_FOUND);
    const std::string headers =
        extraHeaders(byQuery ? std::string(cookieName) + "=" + token + "; HttpOnly; SameSite=Strict; Path=/"
                             : std::string());
    const int served = lws_serve_http_file(wsi, file.c_str(), std::string(*type).c_str(), headers.c_str(),
                                           static_cast<int>(headers.size()));
    if (served < 0 || (served > 0 && lws_http_transaction_completed(wsi)))
        return -1;
    return 0;
}

// A page opens its socket from this origin with the cookie; a foreign page's attempt is refused before it
// can send anything.
int PageServer::State::confirmUpgrade(lws* wsi) {
    const std::string origin = header(wsi, WSI_TOKEN_ORIGIN);
    const std::string path = header(wsi, WSI_TOKEN_GET_URI);
    unsigned status = 0;
    if (!hostAllowed(wsi) || !originAllowed(origin) || !cookieAllowed(wsi))
        status = HTTP_STATUS_FORBIDDEN;
    else if (path != socketPath)
        status = HTTP_STATUS_NOT_FOUND;
    else if (clients.size() >= limits.clients)
        status = HTTP_STATUS_SERVICE_UNAVAILABLE;
    if (status == 0)
        return 0;
    lws_return_http_status(wsi, status, nullptr);
    return 1;
}

void PageServer::State::queue(lws* wsi, Session& session, std::string text) {
    if (session.dropped)
        return;
    if (session.queuedBytes + text.size() > limits.queuedBytes) {
        // It reads nothing: its connection goes rather than memory.
        session.dropped = true;
        lws_set_timeout(wsi, PENDING_TIMEOUT_CLOSE_SEND, LWS_TO_KILL_ASYNC);
        return;
    }
    session.queuedBytes += text.size();
    session.texts.push_back(std::move(text));
    lws_callback_on_writable(wsi);
}

int PageServer::State::receive(lws* wsi, Session& session, const char* bytes, std::size_t length) {
    const auto tooLarge = [wsi] {
        static constexpr char reason[] = "message too large";
        lws_close_reason(wsi, LWS_CLOSE_STATUS_MESSAGE_TOO_LARGE,
                         reinterpret_cast<unsigned char*>(const_cast<char*>(reason)), sizeof reason - 1);
        return -1;
    };
    if (lws_is_first_fragment(wsi)) {
        session.binary = lws_frame_is_binary(wsi);
        session.incoming.clear();
        session.uploaded = 0;
        if (session.binary) {
            const auto file = uploadFolder / ("page-upload-" + std::to_string(session.id));
            session.upload =
                ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (session.upload < 0)
                return -1;
        }
    }
    if (!session.binary) {
        if (session.incoming.size() + length > limits.textMessage)
            return tooLarge();
        session.incoming.append(bytes, length);
    } else {
        if (session.upload < 0)
            return -1;
        session.uploaded += length;
        if (session.uploaded > limits.upload ||
            ::write(session.upload, bytes, length) != static_cast<ssize_t>(length))
            return tooLarge();
    }
    if (!lws_is_final_fragment(wsi) || lws_remaining_packet_payload(wsi) > 0)
        return 0;
    if (!session.binary) {
        const std::string message = std::move(session.incoming);
        session.incoming.clear();
        if (handlers.message)
            handlers.message(session.id, message);
        return 0;
    }
    ::close(std::exchange(session.upload, -1));
    if (handlers.upload)
        handlers.upload(session.id, uploadFolder / ("page-upload-" + std::to_string(session.id)));
    return 0;
}

// One message a turn, the texts in order before the latest picture.
int PageServer::State::writeable(lws* wsi, Session& session) {
    std::string payload;
    lws_write_protocol kind = LWS_WRITE_TEXT;
    if (!session.texts.empty()) {
        payload = std::move(session.texts.front());
        session.texts.pop_front();
        session.queuedBytes -= payload.size();
    } else if (session.picture) {
        payload = *session.picture;
        session.picture.reset();
        kind = LWS_WRITE_BINARY;
    } else {
        return 0;
    }
    std::vector<unsigned char> buffer(LWS_PRE + payload.size());
    std::memcpy(buffer.data() + LWS_PRE, payload.data(), payload.size());
    // What the socket does not take at once the library keeps and sends before it calls here again.
    if (lws_write(wsi, buffer.data() + LWS_PRE, payload.size(), kind) < 0)
        return -1;
    if (!session.texts.empty() || session.picture)
        lws_callback_on_writable(wsi);
    return 0;
}

namespace {

int lwsCallback(lws* wsi, lws_callback_reasons reason, void* user, void* in, std::size_t length) {
    auto** slot = static_cast<Session**>(user);
    switch (reason) {
    case LWS_CALLBACK_HTTP:
        return stateOf(wsi).http(wsi, std::string_view(static_cast<const char*>(in),
                                                       in ? std::strlen(static_cast<const char*>(in)) : 0));
    case LWS_CALLBACK_HTTP_BODY:
        // No request takes a body.
        return -1;
    case LWS_CALLBACK_HTTP_CONFIRM_UPGRADE:
        return stateOf(wsi).confirmUpgrade(wsi);
    case LWS_CALLBACK_ESTABLISHED: {
        auto& state = stateOf(wsi);
        *slot = new Session;
        (*slot)->id = state.nextClient++;
        state.clients[(*slot)->id] = wsi;
        if (state.handlers.opened)
            state.handlers.opened((*slot)->id);
        return 0;
    }
    case LWS_CALLBACK_RECEIVE:
        return *slot ? stateOf(wsi).receive(wsi, **slot, static_cast<const char*>(in), length) : -1;
    case LWS_CALLBACK_SERVER_WRITEABLE:
        return *slot ? stateOf(wsi).writeable(wsi, **slot) : 0;
    case LWS_CALLBACK_CLOSED:
        if (*slot) {
            auto& state = stateOf(wsi);
            state.clients.erase((*slot)->id);
            if ((*slot)->upload >= 0) {
                ::close((*slot)->upload);
                std::error_code error;
                std::filesystem::remove(state.uploadFolder / ("page-upload-" + std::to_string((*slot)->id)),
                                        error);
            }
            delete std::exchange(*slot, nullptr);
        }
        return 0;
    default:
        return lws_callback_http_dummy(wsi, reason, user, in, length);
    }
}

} // namespace

std::unique_ptr<PageServer> PageServer::start(std::uint16_t port, const std::filesystem::path& pageFolder,
                                              const std::filesystem::path& uploadFolder, Handlers handlers,
                                              Limits limits, std::string& error) {
    auto state = std::make_unique<State>();
    state->pageFolder = pageFolder;
    state->uploadFolder = uploadFolder;
    state->handlers = std::move(handlers);
    state->limits = limits;
    const auto token = randomToken();
    if (!token) {
        error = "no random token: " + std::string(std::strerror(errno));
        return nullptr;
    }
    state->token = *token;
    lws_set_log_level(0, nullptr);
    void* loops[] = {FoundationHost::nativeLoop()};
    lws_context_creation_info info{};
    info.port = port;
    info.iface = "127.0.0.1";
    info.protocols = protocols;
    info.options = LWS_SERVER_OPTION_LIBUV | LWS_SERVER_OPTION_DISABLE_IPV6 | LWS_SERVER_OPTION_VALIDATE_UTF8;
    info.foreign_loops = loops;
    info.user = state.get();
    info.max_http_header_data = 4096;
    info.max_http_header_pool = 32;
    info.timeout_secs = 5;
    info.keepalive_timeout = 5;
    info.fd_limit_per_thread = 64;
    state->context = lws_create_context(&info);
    if (!state->context) {
        error = "cannot listen at 127.0.0.1:" + std::to_string(port);
        return nullptr;
    }
    lws_vhost* host = lws_get_vhost_by_name(state->context, "default");
    state->port = host ? lws_get_vhost_listen_port(host) : 0;
    if (state->port <= 0) {
        error = "cannot listen at 127.0.0.1:" + std::to_string(port);
        return nullptr;
    }
    return std::unique_ptr<PageServer>(new PageServer(std::move(state)));
}

PageServer::PageServer(std::unique_ptr<State> state) : _state(std::move(state)) {}

PageServer::~PageServer() = default;

int PageServer::port() const {
    return _state->port;
}

std::string PageServer::url() const {
    return "http://127.0.0.1:" + std::to_string(_state->port) + "/?token=" + _state->token;
}

std::size_t PageServer::clientCount() const {
    return _state->clients.size();
}

void PageServer::send(Client client, std::string text) {
    const auto found = _state->clients.find(client);
    if (found == _state->clients.end())
        return;
    auto* session = *static_cast<Session**>(lws_wsi_user(found->second));
    if (session)
        _state->queue(found->second, *session, std::move(text));
}

void PageServer::broadcast(const std::string& text) {
    for (const auto& [client, wsi] : _state->clients)
        if (auto* session = *static_cast<Session**>(lws_wsi_user(wsi)))
            _state->queue(wsi, *session, text);
}

void PageServer::broadcastPicture(std::shared_ptr<const std::string> png) {
    for (const auto& [client, wsi] : _state->clients)
        if (auto* session = *static_cast<Session**>(lws_wsi_user(wsi))) {
            session->picture = png;
            lws_callback_on_writable(wsi);
        }
}
