#include "BootedDevice.h"
#include "CommandOptions.h"
#include "Device/EventLog.h"
#include "DevicePage.h"
#include "DeviceProcesses.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "Foundation/RunLoopSourceHost.h"
#include "JsonOutput.h"
#include "ParseNumber.h"
#include "Simulator.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Long enough for a process under a sanitiser to load its plug-ins.
constexpr auto startTimeout = 30s;
// How long a process may take to end on SIGTERM before it is killed.
constexpr auto stopTimeout = 5s;
// A client has this long to send its whole request.
constexpr auto requestTimeout = 5s;
// Clients whose requests are coming at once; one more is told the device is busy.
constexpr std::size_t clientsAtOnce = 64;
// Dead processes and an ended lease are noticed at least this often, in seconds.
constexpr double watchInterval = 0.2;

DeviceAnswer failure(int status, std::string text) {
    return {status, {}, std::move(text) + "\n"};
}

// One of the application processes of the device, and how it ended when it is not running.
struct Application {
    std::string_view role;
    pid_t pid = -1;
    std::time_t since = 0;
    std::string ending;
    bool running() const { return pid > 0 && ending.empty(); }
};

// A client whose request is still coming. The source is dropped before the connection closes.
struct Arriving {
    OwnedDescriptor connection;
    ControlSocket::RequestReader reader;
    std::chrono::steady_clock::time_point since;
    std::optional<RunLoopSource> source;
};

class Supervisor {
  public:
    Supervisor(BootedDevice::Place place, std::optional<pid_t> lease)
        : _place(std::move(place)), _lease(lease), _started(std::time(nullptr)) {}

    int run(int ready);

  private:
    std::optional<std::string> start(Application& application);
    void stop(Application& application);
    void reap();
    bool leaseEnded() const;
    void accept(std::list<Arriving>& arriving);
    void serveWhole(std::list<Arriving>& arriving);
    void serve(int connection, const std::optional<DeviceRequest>& request, const std::string& error);
    DeviceAnswer handle(const DeviceRequest& request);
    DeviceAnswer forward(Application& application, const DeviceRequest& request);
    DeviceAnswer toFront(const DeviceRequest& request);
    DeviceAnswer toEveryProcess(const DeviceRequest& request);
    DeviceAnswer respring(std::string_view reason, DeviceAnswer done);
    DeviceAnswer bootAgain();
    DeviceAnswer status(bool json) const;
    DeviceAnswer servePage(std::span<const std::string> arguments);
    void shutdown();
    bool inFront(Application& application);
    DevicePage::Frame pageFrame(const std::filesystem::path& file, bool fresh);
    bool settingsInFront();
    Application& application(Owner owner) { return owner == Owner::Preferences ? _apps[1] : _apps[0]; }

    BootedDevice::Place _place;
    std::optional<pid_t> _lease;
    OwnedDescriptor _leaseHandle;
    std::time_t _started;
    std::array<Application, 2> _apps{Application{BootedDevice::springBoardRole, -1, 0, {}},
                                     Application{BootedDevice::preferencesRole, -1, 0, {}}};
    CommandTable _routes = Simulator::routes();
    // The device's clock is one for every process: a process that starts again is set to it.
    std::optional<DeviceRequest> _clock;
    OwnedDescriptor _lock;
    OwnedDescriptor _listening;
    std::unique_ptr<DevicePage> _page;
    bool _stopRequested = false;
    bool _done = false;
};

std::optional<std::string> Supervisor::start(Application& application) {
    std::vector<std::string> arguments{"--device", _place.root.string()};
    if (_place.profile)
        arguments.insert(arguments.end(), {"--profile", _place.profile->string()});
    arguments.insert(arguments.end(), {"--serve", std::string(application.role)});
    const auto started = DeviceProcesses::start(arguments, startTimeout);
    if (started.pid < 0)
        return std::string(application.role) + " did not start: " + started.problem;
    application = {application.role, started.pid, std::time(nullptr), {}};
    if (_clock) {
        std::string error;
        ControlSocket::exchange(BootedDevice::socketOf(_place.root, application.role), *_clock, error);
    }
    return std::nullopt;
}

void Supervisor::stop(Application& application) {
    if (!application.running())
        return;
    ::kill(application.pid, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + stopTimeout;
    while (::waitpid(application.pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(application.pid, SIGKILL);
            ::waitpid(application.pid, &status, 0);
            break;
        }
        ::usleep(2000);
    }
    application.ending = "stopped";
    std::error_code error;
    std::filesystem::remove(BootedDevice::socketOf(_place.root, application.role), error);
}

void Supervisor::reap() {
    for (auto& application : _apps) {
        int status = 0;
        if (application.running() && ::waitpid(application.pid, &status, WNOHANG) == application.pid) {
            application.ending =
                DeviceProcesses::ending(status) + " at " + DeviceProcesses::localTime(std::time(nullptr));
            EventLog::record("device.processEnded", {{"role", application.role},
                                                     {"pid", std::to_string(application.pid)},
                                                     {"how", DeviceProcesses::ending(status)}});
            std::error_code error;
            std::filesystem::remove(BootedDevice::socketOf(_place.root, application.role), error);
        }
    }
}

bool Supervisor::leaseEnded() const {
    if (!_lease)
        return false;
    if (_leaseHandle) {
        pollfd entry{_leaseHandle.get(), POLLIN, 0};
        return ::poll(&entry, 1, 0) > 0;
    }
    return ::kill(*_lease, 0) != 0 && errno == ESRCH;
}

int Supervisor::run(int ready) {
    const auto folder = ControlSocket::runFolder(_place.root);
    _lock = OwnedDescriptor(::open((folder / "device.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!_lock || ::flock(_lock.get(), LOCK_EX | LOCK_NB) != 0) {
        DeviceProcesses::tellReady(ready, "the device at " + _place.root.string() +
                                              " is being booted or shut down by another process");
        return 1;
    }
    if (_lease)
        _leaseHandle = OwnedDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, *_lease, 0)));
    auto& runLoop = NSRunLoop::mainRunLoop();
    const auto stop = [&] {
        _stopRequested = true;
        runLoop.stop();
    };
    // Watched from the start, so that a signal while the applications start still ends the device whole.
    const RunLoopSource signals[] = {FoundationHost::signal(SIGTERM, stop),
                                     FoundationHost::signal(SIGINT, stop),
                                     FoundationHost::signal(SIGHUP, stop)};
    std::string error;
    for (auto& application : _apps)
        if (const auto problem = start(application)) {
            shutdown();
            DeviceProcesses::tellReady(ready, *problem);
            return 1;
        }
    auto listening = ControlSocket::listenAt(ControlSocket::controlPath(_place.root), error);
    if (!listening) {
        shutdown();
        DeviceProcesses::tellReady(ready, error);
        return 1;
    }
    _listening = std::move(*listening);
    ::fcntl(_listening.get(), F_SETFL, O_NONBLOCK);
    std::list<Arriving> arriving;
    // As in the applications: a client wakes the run loop, and its request is served after that turn, once
    // it is whole; so are the page's. Clients are read as their bytes come, so that one that sends slowly
    // or not at all holds up no other.
    const auto requests = FoundationHost::readable(_listening.get(), [&] {
        accept(arriving);
        runLoop.stop();
    });
    const auto watch =
        NSTimer::scheduledTimerWithTimeInterval(watchInterval, true, [&](NSTimer&) { runLoop.stop(); });
    if (!requests || !signals[0] || !signals[1] || !signals[2]) {
        shutdown();
        DeviceProcesses::tellReady(ready, "the supervisor cannot watch its socket on its run loop");
        return 1;
    }
    DeviceProcesses::tellReady(ready);
    while (!_done) {
        // What waits still lets the loop take a turn, so that the page's server writes what it holds.
        if (_page && _page->hasWork())
            runLoop.runPendingEvents();
        else
            runLoop.run();
        reap();
        if (_stopRequested || leaseEnded()) {
            shutdown();
            break;
        }
        serveWhole(arriving);
        if (_page && !_done)
            _page->runOutsideTurn();
    }
    watch->invalidate();
    _page.reset();
    return 0;
}

// Only this user reaches the socket (its mode is 0600); the peer's credentials say so again.
bool fromThisUser(int connection) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

void Supervisor::accept(std::list<Arriving>& arriving) {
    OwnedDescriptor connection(::accept4(_listening.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection)
        return;
    if (!fromThisUser(connection.get())) {
        ControlSocket::writeAnswer(connection.get(), failure(2, "not this device's user"));
        return;
    }
    if (arriving.size() >= clientsAtOnce) {
        ControlSocket::writeAnswer(connection.get(),
                                   failure(1, "the device is busy: " + std::to_string(clientsAtOnce) +
                                                  " clients are sending requests already"));
        return;
    }
    auto& client = arriving.emplace_back();
    client.connection = std::move(connection);
    client.since = std::chrono::steady_clock::now();
    client.source.emplace(FoundationHost::readable(client.connection.get(), [&client] {
        if (client.reader.readFrom(client.connection.get()))
            NSRunLoop::mainRunLoop().stop();
    }));
}

// Serves, in the order they came, the clients whose request is whole, and refuses those that took too long.
void Supervisor::serveWhole(std::list<Arriving>& arriving) {
    const auto now = std::chrono::steady_clock::now();
    for (auto client = arriving.begin(); client != arriving.end() && !_done;) {
        std::string error;
        if (client->reader.readFrom(client->connection.get())) {
            const auto request = client->reader.request(error);
            serve(client->connection.get(), request, error);
        } else if (now - client->since >= requestTimeout) {
            ControlSocket::writeAnswer(client->connection.get(),
                                       failure(2, "no whole request came within " +
                                                      std::to_string(requestTimeout.count()) + " seconds"));
        } else {
            ++client;
            continue;
        }
        client = arriving.erase(client);
    }
}

void Supervisor::serve(int connection, const std::optional<DeviceRequest>& request,
                       const std::string& error) {
    if (!request) {
        ControlSocket::writeAnswer(connection, failure(2, error));
        return;
    }
    reap();
    const auto answer = handle(*request);
    // A client that went away mid-command misses only its answer.
    ControlSocket::writeAnswer(connection, answer);
    if (_page)
        _page->changed();
    if (_done)
        _listening.reset();
}

DeviceAnswer Supervisor::handle(const DeviceRequest& request) {
    const auto& words = request.words;
    const std::string name = words.empty() ? std::string() : words[0];
    // A lease belongs to the boot that started the device; booting it again keeps that one.
    if (name == "boot" && (words.size() == 1 || (words.size() == 2 && words[1] == "--lease")))
        return bootAgain();
    if (const auto json = BootedDevice::statusRequest(words))
        return status(*json);
    if (name == "serve")
        return servePage(std::span(words).subspan(1));
    if (name == "shutdown" && words.size() == 1) {
        shutdown();
        return {0, "the device at " + _place.root.string() + " is shut down\n", {}};
    }
    if (BootedDevice::runsInInvoker(_routes, words))
        return failure(2, name + " runs in the invoking process only");
    const auto* command = _routes.find(name);
    if (!command || command->owner == Owner::Supervisor) {
        std::ostringstream out, errors;
        const int status = _routes.run(words, out, errors);
        // The applications read the languages as they start, as on a phone.
        if (name == "language" && words.size() > 1 && status == 0)
            return respring("language", {status, out.str(), errors.str()});
        return {status, out.str(), errors.str()};
    }
    if (command->owner == Owner::Front)
        return toFront(request);
    if (command->owner == Owner::EveryProcess)
        return toEveryProcess(request);
    auto answer = forward(application(command->owner), request);
    if ((name == "install" || name == "remove") && answer.status == 0)
        return respring(name, std::move(answer));
    return answer;
}

DeviceAnswer Supervisor::forward(Application& application, const DeviceRequest& request) {
    if (!application.running())
        return failure(1, std::string(application.role) + " is not running: it " + application.ending +
                              "; boot brings it back");
    std::string error;
    auto answer =
        ControlSocket::exchange(BootedDevice::socketOf(_place.root, application.role), request, error);
    if (answer)
        return std::move(*answer);
    // It ended while serving: wait a moment for the end to be told, so the reason is known.
    for (int tries = 0; tries < 100 && application.running(); ++tries, ::usleep(10000))
        reap();
    return failure(1, std::string(application.role) + " ended during the command" +
                          (application.running() ? ": " + error : ": it " + application.ending));
}

bool Supervisor::inFront(Application& application) {
    return application.running() && forward(application, {"/", {".in-front"}}).status == 0;
}

// Control Center open in front of everything, else the Settings application when it is open, else
// SpringBoard's screen.
bool Supervisor::settingsInFront() {
    return !inFront(application(Owner::SpringBoard)) && inFront(application(Owner::Preferences));
}

// The page's picture from the process in front, asked in front-to-back order as settingsInFront decides:
// with Control Center open, one exchange draws the picture and tells the state.
DevicePage::Frame Supervisor::pageFrame(const std::filesystem::path& file, bool fresh) {
    const auto ask = [&](Owner owner, const char* which) {
        return forward(application(owner), {"/",
                                            {std::string(BootedDevice::PageFrame::request), file.string(),
                                             which, fresh ? "fresh" : "again"}});
    };
    const auto springBoard = ask(Owner::SpringBoard, "front");
    const std::string state = springBoard.out + springBoard.errors;
    if (springBoard.status != BootedDevice::PageFrame::notInFront &&
        application(Owner::SpringBoard).running())
        return {springBoard.status, false, state};
    if (application(Owner::Preferences).running())
        if (const auto settings = ask(Owner::Preferences, "front");
            settings.status != BootedDevice::PageFrame::notInFront)
            return {settings.status, true, state + settings.errors};
    const auto behind = ask(Owner::SpringBoard, "any");
    return {behind.status, false, state + behind.errors};
}

DeviceAnswer Supervisor::toFront(const DeviceRequest& request) {
    return forward(application(settingsInFront() ? Owner::Preferences : Owner::SpringBoard), request);
}

// One page server for the device, started by the first `serve`; a later one is told where it is.
DeviceAnswer Supervisor::servePage(std::span<const std::string> arguments) {
    constexpr int highestPort = 65535;
    static constexpr CommandOption serveOptions[] = {{"port", true}};
    const auto options = parseCommandOptions(arguments, serveOptions);
    const auto portText = options ? options->value("port") : std::nullopt;
    const auto port = portText ? parsePositive<int>(*portText) : std::optional<int>(0);
    if (!options || !options->operands.empty() || !port || *port > highestPort)
        return failure(2, "usage: serve [--port N]");
    if (!_page) {
        std::string error;
        _page = DevicePage::start(
            static_cast<std::uint16_t>(*port), _place.root,
            {[this](const std::vector<std::string>& words) {
                 return handle({"/", words});
             },
             [this](const std::filesystem::path& file, bool fresh) { return pageFrame(file, fresh); }},
            error);
        if (!_page)
            return failure(1, "cannot serve the device's page: " + error);
    } else if (*port != 0 && _page->url().find(":" + std::to_string(*port) + "/") == std::string::npos) {
        return failure(1, "the device's page is served already: " + _page->url());
    }
    return {0, "open the device in a browser: " + _page->url() + "\n", {}};
}

DeviceAnswer Supervisor::toEveryProcess(const DeviceRequest& request) {
    auto answer = forward(application(Owner::SpringBoard), request);
    if (answer.status == 0) {
        forward(application(Owner::Preferences), request);
        if (request.words.size() > 1)
            _clock = DeviceRequest{"/", request.words};
    }
    return answer;
}

// A loaded plug-in is never reloaded in place: both applications start again with what was installed.
DeviceAnswer Supervisor::respring(std::string_view reason, DeviceAnswer done) {
    EventLog::record("device.respring", {{"reason", reason}});
    for (auto& application : _apps)
        stop(application);
    for (auto& application : _apps)
        if (const auto problem = start(application)) {
            done.status = 1;
            done.errors += *problem + "\n";
        }
    if (done.status == 0)
        done.out += "respring: SpringBoard and Preferences started again\n";
    return done;
}

DeviceAnswer Supervisor::bootAgain() {
    DeviceAnswer answer;
    for (auto& application : _apps) {
        if (application.running())
            continue;
        if (const auto problem = start(application)) {
            answer.status = 1;
            answer.errors += *problem + "\n";
        } else {
            answer.out += std::string(application.role) + " started again, pid " +
                          std::to_string(application.pid) + "\n";
        }
    }
    if (answer.out.empty() && answer.errors.empty())
        answer.out = "the device at " + _place.root.string() + " is already booted\n";
    return answer;
}

DeviceAnswer Supervisor::status(bool json) const {
    auto processes = Json::array();
    processes.push_back({{"role", BootedDevice::supervisorRole},
                         {"pid", ::getpid()},
                         {"running", true},
                         {"since", DeviceProcesses::localTime(_started)},
                         {"leasedTo", _lease ? Json(*_lease) : Json()}});
    int status = 0;
    for (const auto& application : _apps) {
        Json process{
            {"role", application.role}, {"pid", application.pid}, {"running", application.running()}};
        if (application.running())
            process["since"] = DeviceProcesses::localTime(application.since);
        else
            process["ended"] = application.ending;
        status = application.running() ? status : 1;
        processes.push_back(std::move(process));
    }
    const Json device{{"booted", true},
                      {"root", _place.root.string()},
                      {"controlSocket", ControlSocket::controlPath(_place.root).string()},
                      {"processes", std::move(processes)}};
    std::ostringstream out;
    if (json) {
        printJson(device, out);
        return {status, out.str(), {}};
    }
    out << "the device at " << _place.root.string() << " is booted\n"
        << "control socket " << device["controlSocket"].get<std::string>() << "\n";
    for (const auto& process : device["processes"]) {
        out << process["role"].get<std::string>() << " pid " << process["pid"].get<long>();
        if (process.contains("ended"))
            out << " not running: it " << process["ended"].get<std::string>();
        else
            out << " since " << process["since"].get<std::string>();
        if (process.contains("leasedTo") && !process["leasedTo"].is_null())
            out << ", leased to pid " << process["leasedTo"].get<long>();
        out << "\n";
    }
    return {status, out.str(), {}};
}

// Control Center closes as SpringBoard ends; nothing of the device is left: no process, socket, page or lock.
void Supervisor::shutdown() {
    _page.reset();
    for (auto& application : _apps)
        stop(application);
    std::error_code error;
    if (_listening)
        std::filesystem::remove(ControlSocket::controlPath(_place.root), error);
    std::filesystem::remove(ControlSocket::runFolder(_place.root) / "device.lock", error);
    _done = true;
}

} // namespace

namespace BootedDevice {

int serveSupervisor(const Place& place, int ready, std::optional<pid_t> lease) {
    return Supervisor(place, lease).run(ready);
}

} // namespace BootedDevice
