#include "AVFoundation/AVAudioPlayer.h"

#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/posix/FileIO.h"

#include <cstdio>
#include <cstring>

namespace {

// A beep is a few kilobytes; this leaves room for any short sound a plug-in ships.
constexpr std::size_t maximumFileSize = 64u * 1024 * 1024;

constexpr std::uint16_t formatPCM = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xfffe;

std::uint32_t littleEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8 |
           std::uint32_t(bytes[offset + 2]) << 16 | std::uint32_t(bytes[offset + 3]) << 24;
}

std::uint16_t littleEndian16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint16_t(bytes[offset] | bytes[offset + 1] << 8);
}

bool hasTag(std::span<const std::uint8_t> bytes, std::size_t offset, const char* tag) {
    return std::memcmp(bytes.data() + offset, tag, 4) == 0;
}

struct FormatChunk {
    std::uint16_t encoding, channels;
    std::uint32_t sampleRate, byteRate;
    std::uint16_t blockAlign, bitsPerSample;
};

bool isSane(const FormatChunk& f) {
    const bool encodingKnown =
        f.encoding == formatPCM || f.encoding == formatFloat || f.encoding == formatExtensible;
    const bool sampleSizeKnown =
        f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 24 || f.bitsPerSample == 32;
    return encodingKnown && sampleSizeKnown && f.channels >= 1 && f.channels <= 8 && f.sampleRate >= 1000 &&
           f.sampleRate <= 384000 && f.blockAlign == f.channels * f.bitsPerSample / 8 &&
           f.byteRate == f.sampleRate * f.blockAlign;
}

} // namespace

std::optional<AVAudioPlayer::Format> AVAudioPlayer::formatOfWAV(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || !hasTag(bytes, 0, "RIFF") || !hasTag(bytes, 8, "WAVE"))
        return std::nullopt;
    std::optional<FormatChunk> format;
    // Chunks follow one another, each an 8-byte header and its data padded to an even length.
    for (std::size_t offset = 12; offset + 8 <= bytes.size();) {
        const std::uint64_t size = littleEndian32(bytes, offset + 4);
        const std::size_t data = offset + 8;
        if (size > bytes.size() - data)
            return std::nullopt;
        if (hasTag(bytes, offset, "fmt ") && size >= 16) {
            format = FormatChunk{littleEndian16(bytes, data),      littleEndian16(bytes, data + 2),
                                 littleEndian32(bytes, data + 4),  littleEndian32(bytes, data + 8),
                                 littleEndian16(bytes, data + 12), littleEndian16(bytes, data + 14)};
            if (!isSane(*format))
                return std::nullopt;
        } else if (hasTag(bytes, offset, "data")) {
            if (!format || size % format->blockAlign != 0)
                return std::nullopt;
            return Format{format->channels, format->sampleRate, format->bitsPerSample,
                          size / format->blockAlign};
        }
        offset = data + size + (size & 1);
    }
    return std::nullopt;
}

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::playerWithContentsOfURL(const NSURL& url) {
    if (!url.isFileURL())
        return nullptr;
    const auto bytes = FileIO::readFile(DeviceRoot::resolve(url.path()), maximumFileSize);
    if (!bytes)
        return nullptr;
    const auto format = formatOfWAV(*bytes);
    if (!format || format->frameCount == 0)
        return nullptr;
    return make(url.path(), *format);
}

bool AVAudioPlayer::play() {
    ++_playCount;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", duration());
    EventLog::record("sound.played", {{"path", _path}, {"duration", seconds}});
    return true;
}
