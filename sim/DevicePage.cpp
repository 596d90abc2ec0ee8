#include "DevicePage.h"
#include "Foundation/FoundationHost.h"

#include "BootedDevice.h"
#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/EventLogHost.h"
#include "DeviceProfile.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "Foundation/RunLoopSourceHost.h"
#include "Watch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

using json = nlohmann::json;
using Words = std::vector<std::string>;
using namespace std::chrono_literals;

// At most thirty pictures a second, however fast the screen changes.
constexpr auto shortestFrame = 33ms;
// The lines a page that opens is given of the log before those that come after.
constexpr std::size_t recentLines = 400;
// Pages that may have named a picture they are yet to send.
constexpr std::size_t maximumNamedUploads = 64;
// The longest name a dropped picture keeps, in bytes.
constexpr std::size_t longestUploadName = 100;
// The farthest a finger can be from the screen's corner, in points, to be a point at all.
constexpr double farthestPoint = 100000;

std::string number(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

std::optional<double> coordinate(const json& message, const char* key) {
    const auto found = message.find(key);
    if (found == message.end() || !found->is_number())
        return std::nullopt;
    const double value = found->get<double>();
    return std::isfinite(value) && value >= 0 && value < farthestPoint ? std::optional(value) : std::nullopt;
}

// The commands that one action of the page stands for; nothing for an action the page does not have or
// one that is malformed. The Settings application comes to the front by itself only with Control Center
// closed.
std::optional<std::vector<Words>> commandsFor(const json& message, bool controlCenterOpen) {
    const auto action = message.find("action");
    if (action == message.end() || !action->is_string())
        return std::nullopt;
    const std::string name = action->get<std::string>();
    if (name == "open" || name == "close" || name == "lock" || name == "unlock")
        return std::vector<Words>{{name}};
    if (name == "settings")
        return controlCenterOpen ? std::vector<Words>{{"close"}, {"settings", "open"}}
                                 : std::vector<Words>{{"settings", "open"}};
    if (name == "camera-clear")
        return std::vector<Words>{{"camera", "clear"}};
    // The scanner's switch lies under its navigation bar, out of a finger's reach on the screen.
    if (name == "camera-switch")
        return std::vector<Words>{{"camera", "switch"}};
    if (name == "orientation") {
        const auto value = message.find("value");
        if (value == message.end() || !value->is_number_integer() || *value < 0 || *value > 4)
            return std::nullopt;
        return std::vector<Words>{{"orientation", std::to_string(value->get<int>())}};
    }
    if (name == "camera-library") {
        const auto picture = message.find("name");
        if (picture == message.end() || !picture->is_string())
            return std::nullopt;
        const std::string file = picture->get<std::string>();
        if (file.empty() || file == "." || file == ".." || file.find('/') != std::string::npos)
            return std::nullopt;
        return std::vector<Words>{
            {"camera", "show", DeviceRoot::resolve(std::string(photoLibraryFolder) + "/" + file).string()}};
    }
    if (name != "touch")
        return std::nullopt;
    const auto x = coordinate(message, "x"), y = coordinate(message, "y");
    if (!x || !y)
        return std::nullopt;
    Words touch{"touch", number(*x), number(*y)};
    if (const auto hold = message.find("hold"); hold != message.end() && hold->is_boolean() && *hold)
        touch.push_back("--hold");
    if (message.contains("toX") || message.contains("toY")) {
        const auto toX = coordinate(message, "toX"), toY = coordinate(message, "toY");
        if (!toX || !toY)
            return std::nullopt;
        touch.insert(touch.end(), {"--to", number(*toX), number(*toY)});
    }
    return std::vector<Words>{touch};
}

std::optional<std::string> readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> libraryNames() {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(DeviceRoot::resolve(photoLibraryFolder), error))
        if (entry.is_regular_file(error))
            names.insert(entry.path().filename().string());
    return {names.begin(), names.end()};
}

// The screen's scale from the state's "scale N".
double scaleIn(const std::string& state) {
    const auto at = state.find("scale ");
    double scale = 1;
    if (at != std::string::npos)
        std::from_chars(state.data() + at + 6, state.data() + state.size(), scale);
    return scale > 0 ? scale : 1;
}

} // namespace

struct DevicePage::State {
    Device device;
    std::filesystem::path screenFile;
    std::unique_ptr<PageServer> server;

    std::deque<std::function<void()>> work;
    bool dirty = true;
    // Someone did something (on a page or with a command): the answer to it is drawn as soon as the
    // pictures' rate allows, however recently an unchanged screen was drawn for the log or the settings.
    bool asked = true;
    std::chrono::steady_clock::time_point lastDraw{}, lastPicture{};
    std::shared_ptr<NSTimer> frameTimer;
    std::shared_ptr<const std::string> picture = std::make_shared<const std::string>();
    std::string stateText;
    bool settingsFront = false;
    // Which process drew the picture the pages have; another one's "unchanged" says nothing about it.
    bool pictureOfSettings = false;
    bool moving = false;

    EventLog::Reader log;
    std::deque<std::string> recent;
    OwnedDescriptor logWatch;
    std::optional<RunLoopSource> logSource;

    // The name of the picture each page is about to send, told just before it.
    std::map<PageServer::Client, std::string> uploadNames;

    std::ostringstream settingsPrinted;
    std::unique_ptr<SettingsWatcher> settings;
    std::string settingsText;

    void wake() { NSRunLoop::mainRunLoop().stop(); }
    void later(std::function<void()> job) {
        work.push_back(std::move(job));
        wake();
    }

    json stateMessage() const {
        return {{"kind", "state"},
                {"text", stateText},
                {"scale", scaleIn(stateText)},
                {"front", settingsFront ? "settings" : "controlCenter"}};
    }
    json settingsMessage() const { return {{"kind", "settings"}, {"text", settingsText}}; }

    void opened(PageServer::Client client) {
        server->send(client, json{{"kind", "events"}, {"lines", recent}, {"reset", true}}.dump());
        server->send(client, settingsMessage().dump());
        server->send(client, json{{"kind", "library"}, {"names", libraryNames()}}.dump());
        server->send(client, stateMessage().dump());
        // The picture it has not seen: drawn again and sent to every page, since nothing was drawn while no
        // page was open and an unchanged picture goes to nobody.
        picture = std::make_shared<const std::string>();
        dirty = asked = true;
        wake();
    }

    void answer(PageServer::Client client, const std::string& action, const DeviceAnswer& answered) {
        server->send(client, json{{"kind", "answer"},
                                  {"action", action},
                                  {"status", answered.status},
                                  {"out", answered.out},
                                  {"errors", answered.errors}}
                                 .dump(-1, ' ', false, json::error_handler_t::replace));
    }

    void message(PageServer::Client client, std::string_view text) {
        const json parsed = json::parse(text, nullptr, false);
        const auto commands =
            parsed.is_object()
                ? commandsFor(parsed, stateText.find("Control Center open") != std::string::npos)
                : std::nullopt;
        const std::string action =
            parsed.is_object() && parsed.contains("action") && parsed["action"].is_string()
                ? parsed["action"].get<std::string>()
                : std::string();
        if (action == "camera-file" && parsed.contains("name") && parsed["name"].is_string()) {
            uploadNames[client] = uploadedFileName(parsed["name"].get<std::string>());
            // Pages that named a picture and went before sending it are forgotten, oldest first.
            if (uploadNames.size() > maximumNamedUploads)
                uploadNames.erase(uploadNames.begin());
            return;
        }
        if (!commands) {
            answer(client, action, {2, {}, "the page has no such action\n"});
            return;
        }
        later([this, client, action, commands = *commands] {
            DeviceAnswer answered;
            for (const auto& words : commands)
                answered = device.run(words);
            answer(client, action, answered);
            dirty = asked = true;
        });
    }

    // The camera is shown the picture under the name it was dropped with, in a folder of its page's own.
    void upload(PageServer::Client client, const std::filesystem::path& file) {
        const auto named = uploadNames.find(client);
        const std::string name = named == uploadNames.end() ? "picture" : named->second;
        if (named != uploadNames.end())
            uploadNames.erase(named);
        later([this, client, file, name] {
            const auto folder = file.parent_path() / (file.filename().string() + ".named");
            std::error_code error;
            std::filesystem::remove_all(folder, error);
            std::filesystem::create_directory(folder, error);
            if (!error)
                std::filesystem::rename(file, folder / name, error);
            answer(client, "camera-file",
                   error ? DeviceAnswer{1, {}, "cannot keep the picture: " + error.message() + "\n"}
                         : device.run({"camera", "show", (folder / name).string()}));
            std::filesystem::remove(file, error);
            std::filesystem::remove_all(folder, error);
            dirty = asked = true;
        });
    }

    void readLog() {
        std::vector<std::string> fresh;
        while (const auto line = log.nextLine()) {
            recent.emplace_back(*line);
            if (recent.size() > recentLines)
                recent.pop_front();
            if (fresh.size() < recentLines)
                fresh.emplace_back(*line);
        }
        if (fresh.empty() || !server)
            return;
        server->broadcast(
            json{{"kind", "events"}, {"lines", fresh}}.dump(-1, ' ', false, json::error_handler_t::replace));
        dirty = true;
        wake();
    }

    void draw() {
        lastDraw = std::chrono::steady_clock::now();
        dirty = asked = false;
        auto frame = device.frame(screenFile, picture->empty());
        if (frame.status == BootedDevice::PageFrame::unchanged && frame.settingsInFront != pictureOfSettings)
            frame = device.frame(screenFile, true);
        if (frame.status == BootedDevice::PageFrame::written) {
            auto drawn = readFile(screenFile);
            if (drawn && *drawn != *picture) {
                picture = std::make_shared<const std::string>(std::move(*drawn));
                pictureOfSettings = frame.settingsInFront;
                server->broadcastPicture(picture);
                lastPicture = lastDraw;
            }
        }
        settingsFront = frame.settingsInFront;
        const std::string text = std::string("in front: ") +
                                 (settingsFront ? "the Settings application" : "Control Center") + "\n" +
                                 frame.state;
        // The scanner's line moves as long as it is up.
        moving = text.find("presented: UINavigationController") != std::string::npos;
        if (text != stateText) {
            stateText = text;
            server->broadcast(stateMessage().dump(-1, ' ', false, json::error_handler_t::replace));
        }
    }

    // Thirty pictures a second at most; a screen that did not change is drawn again for the log, the
    // settings or a moving picture no more often than that either.
    std::chrono::steady_clock::time_point nextDraw() const {
        return (asked ? lastPicture : lastDraw) + shortestFrame;
    }

    bool drawDue() const {
        return (dirty || moving) && server->clientCount() > 0 &&
               std::chrono::steady_clock::now() >= nextDraw();
    }

    void scheduleDraw() {
        if (!(dirty || moving) || server->clientCount() == 0 || frameTimer)
            return;
        const auto wait = nextDraw() - std::chrono::steady_clock::now();
        frameTimer = NSTimer::scheduledTimerWithTimeInterval(
            std::chrono::duration<double>(std::max<std::chrono::steady_clock::duration>(wait, 1ms)).count(),
            false, [this](NSTimer&) {
                frameTimer.reset();
                wake();
            });
    }
};

DevicePage::DevicePage(std::unique_ptr<State> state) : _state(std::move(state)) {}

DevicePage::~DevicePage() {
    if (_state->frameTimer)
        _state->frameTimer->invalidate();
}

std::unique_ptr<DevicePage> DevicePage::start(std::uint16_t port, const std::filesystem::path& root,
                                              Device device, std::string& error) {
    auto state = std::make_unique<State>();
    auto* page = state.get();
    state->device = std::move(device);
    const auto runFolder = ControlSocket::runFolder(root);
    state->screenFile = runFolder / "page-screen.png";
    PageServer::Handlers handlers{
        [page](PageServer::Client client) { page->opened(client); },
        [page](PageServer::Client client, std::string_view text) { page->message(client, text); },
        [page](PageServer::Client client, const std::filesystem::path& file) { page->upload(client, file); }};
    state->server = PageServer::start(port, installedPageFolder(), runFolder, std::move(handlers),
                                      PageServer::Limits{}, error);
    if (!state->server)
        return nullptr;
    // The log's folder, since the log is replaced when it rotates.
    const auto logFolder = DeviceRoot::resolve(std::string(EventLog::devicePath)).parent_path();
    std::error_code made;
    std::filesystem::create_directories(logFolder, made);
    state->logWatch = OwnedDescriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!state->logWatch || ::inotify_add_watch(state->logWatch.get(), logFolder.c_str(),
                                                IN_MODIFY | IN_CREATE | IN_MOVED_TO) < 0) {
        error = "cannot watch the event log in " + logFolder.string();
        return nullptr;
    }
    state->logSource = FoundationHost::readable(state->logWatch.get(), [page] {
        char drained[4096];
        while (::read(page->logWatch.get(), drained, sizeof drained) > 0) {
        }
        page->readLog();
    });
    page->readLog();
    state->settings = std::make_unique<SettingsWatcher>(state->settingsPrinted);
    state->settings->onNotification = [page] {
        page->settingsText = page->settingsPrinted.str();
        page->settingsPrinted.str("");
        page->server->broadcast(page->settingsMessage().dump());
        page->dirty = true;
        page->wake();
    };
    state->settings->start();
    state->settingsText = state->settingsPrinted.str();
    state->settingsPrinted.str("");
    return std::unique_ptr<DevicePage>(new DevicePage(std::move(state)));
}

std::string DevicePage::url() const {
    return _state->server->url();
}

void DevicePage::changed() {
    _state->dirty = _state->asked = true;
}

bool DevicePage::hasWork() const {
    return !_state->work.empty() || _state->drawDue();
}

void DevicePage::runOutsideTurn() {
    while (!_state->work.empty()) {
        auto job = std::move(_state->work.front());
        _state->work.pop_front();
        job();
    }
    if (_state->drawDue())
        _state->draw();
    _state->scheduleDraw();
}

std::string uploadedFileName(std::string_view name) {
    if (const auto slash = name.find_last_of("/\\"); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string kept;
    for (std::size_t at = 0; at < name.size();) {
        const auto lead = static_cast<unsigned char>(name[at]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
        length = std::min(length, name.size() - at);
        const auto character = name.substr(at, length);
        at += length;
        // C0 controls, DEL and the C1 controls (U+0080 to U+009F, 0xC2 0x80 to 0xC2 0x9F in UTF-8).
        const bool control = lead < 0x20 || lead == 0x7f ||
                             (lead == 0xc2 && length == 2 && static_cast<unsigned char>(character[1]) < 0xa0);
        if (control)
            continue;
        if (kept.size() + character.size() > longestUploadName)
            break;
        kept += character;
    }
    if (kept.find_first_not_of(". ") == std::string::npos)
        return "picture";
    return kept;
}

std::filesystem::path installedPageFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return executable.parent_path() / "page";
}
