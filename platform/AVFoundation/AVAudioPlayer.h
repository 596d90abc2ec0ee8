#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// Plays a sound file: uncompressed PCM or floating-point WAV. The file is read and checked when the player is
// made; playing is something a person hears, so it goes to the device's event log with the file and its
// duration.
class ORVANE_EXPORT AVAudioPlayer : public NSObject {
    OBJC_OBJECT(AVAudioPlayer, NSObject)
    // Nothing when the URL is not a file URL or the file is missing, unreadable or not a well-formed WAV.
    static std::shared_ptr<AVAudioPlayer> playerWithContentsOfURL(const NSURL& url);

    // The sound's format, from a WAV file's bytes; nothing when they are not a well-formed WAV whose samples
    // are all there.
    struct Format {
        unsigned channels;
        unsigned sampleRate;
        unsigned bitsPerSample;
        std::uint64_t frameCount;
    };
    static std::optional<Format> formatOfWAV(std::span<const std::uint8_t> bytes);

    const std::string& path() const { return _path; }
    // In seconds.
    double duration() const { return double(_format.frameCount) / _format.sampleRate; }
    unsigned numberOfChannels() const { return _format.channels; }

    bool prepareToPlay() { return true; }
    // Starts the sound from the beginning; answers whether it plays.
    bool play();
    // How many times the sound was started.
    unsigned playCount() const { return _playCount; }

  protected:
    AVAudioPlayer(std::string path, Format format) : _path(std::move(path)), _format(format) {}

  private:
    std::string _path;
    Format _format;
    unsigned _playCount = 0;
};
