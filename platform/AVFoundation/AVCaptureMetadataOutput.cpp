#include "AVFoundation/AVCaptureMetadataOutput.h"

#include "AVFoundation/AVCaptureReading.h"
#include "AVFoundation/zxing/MetadataRecognition.h"
#include "Foundation/NSOperationQueue.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace {

// Frames every metadata output of the process has finished reading, whatever they held.
std::atomic<std::uint64_t> framesReadSoFar = 0;

CGRect boundsOf(const std::vector<CGPoint>& corners) {
    if (corners.empty())
        return CGRectZero;
    const auto [minX, maxX] =
        std::minmax_element(corners.begin(), corners.end(), [](CGPoint a, CGPoint b) { return a.x < b.x; });
    const auto [minY, maxY] =
        std::minmax_element(corners.begin(), corners.end(), [](CGPoint a, CGPoint b) { return a.y < b.y; });
    return CGRectMake(minX->x, minY->y, maxX->x - minX->x, maxY->y - minY->y);
}

} // namespace

AVMetadataMachineReadableCodeObject::AVMetadataMachineReadableCodeObject(
    std::string type, std::optional<std::string> stringValue, std::vector<CGPoint> corners)
    : AVMetadataObject(std::move(type), boundsOf(corners)), _stringValue(std::move(stringValue)),
      _corners(std::move(corners)) {}

// The recognition thread. It reads one frame at a time; the frame that arrives meanwhile waits in `waiting`.
struct AVCaptureMetadataOutput::Reader {
    struct Job {
        CGImageRef frame;
        std::vector<std::string> types;
        std::weak_ptr<AVCaptureMetadataOutput> output;
        std::uint64_t runNumber;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> waiting;
    bool stopping = false;
    // Successive frames are read with successive passes.
    std::size_t pass = 0;
    std::thread thread{[this] { run(); }};

    ~Reader() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_one();
        thread.join();
    }

    // Answers whether a frame that was waiting has been dropped for this one.
    bool offer(Job job) {
        bool replaced;
        {
            std::lock_guard lock(mutex);
            replaced = waiting.has_value();
            waiting = std::move(job);
        }
        wake.notify_one();
        return replaced;
    }

    std::optional<Job> nextJob() {
        std::unique_lock lock(mutex);
        wake.wait(lock, [this] { return stopping || waiting; });
        if (stopping)
            return std::nullopt;
        return std::exchange(waiting, std::nullopt);
    }

    void run() {
        while (auto job = nextJob()) {
            auto objects = MetadataRecognition::recognize(*job->frame, job->types, pass++);
            if (!objects.empty())
                NSOperationQueue::mainQueue().addOperationWithBlock([output = std::move(job->output),
                                                                     objects = std::move(objects),
                                                                     runNumber = job->runNumber] {
                    if (const auto live = output.lock())
                        live->deliver(objects, runNumber);
                });
            // Counted once its result, if any, waits on the main queue.
            ++framesReadSoFar;
        }
    }
};

std::uint64_t AVCaptureReading::framesRead() {
    return framesReadSoFar.load();
}

std::uint64_t AVCaptureReading::framesForAWholeLook() {
    return MetadataRecognition::passCount() + 1;
}

std::uint64_t AVCaptureMetadataOutput::framesReadCount(Badge<AVCaptureHost>) {
    return AVCaptureReading::framesRead();
}

std::uint64_t AVCaptureMetadataOutput::framesForAWholeLook(Badge<AVCaptureHost>) {
    return AVCaptureReading::framesForAWholeLook();
}

AVCaptureMetadataOutput::AVCaptureMetadataOutput() {
    // The queue's wake-up belongs to the main loop: make it here, on the main thread, before any result.
    NSOperationQueue::mainQueue();
}

AVCaptureMetadataOutput::~AVCaptureMetadataOutput() = default;

std::vector<std::string> AVCaptureMetadataOutput::availableMetadataObjectTypes() const {
    const auto supported = MetadataRecognition::supportedTypes();
    return {supported.begin(), supported.end()};
}

void AVCaptureMetadataOutput::setMetadataObjectTypes(const std::vector<std::string>& types) {
    const auto supported = MetadataRecognition::supportedTypes();
    _types.clear();
    for (const auto& type : types)
        if (std::find(supported.begin(), supported.end(), type) != supported.end() &&
            std::find(_types.begin(), _types.end(), type) == _types.end())
            _types.push_back(type);
}

void AVCaptureMetadataOutput::setMetadataObjectsDelegate(
    std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> delegate, NSOperationQueue&) {
    _delegate = std::move(delegate);
}

void AVCaptureMetadataOutput::captureFrame(const CGImageRef& frame) {
    const auto running = session();
    if (_types.empty() || _delegate.expired() || !running)
        return;
    if (!_reader)
        _reader = std::make_unique<Reader>();
    auto self = std::static_pointer_cast<AVCaptureMetadataOutput>(shared_from_this());
    if (_reader->offer({frame, _types, self, running->runNumber()}))
        ++_droppedFrames;
}

void AVCaptureMetadataOutput::deliver(const std::vector<std::shared_ptr<AVMetadataObject>>& objects,
                                      std::uint64_t runNumber) {
    const auto running = session();
    if (!running || !running->isRunning() || running->runNumber() != runNumber)
        return;
    if (const auto delegate = _delegate.lock())
        delegate->captureOutputDidOutputMetadataObjects(*this, objects, connection());
}
