#include "AVFoundation/AVAudioPlayer.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

void put16(std::vector<std::uint8_t>& bytes, unsigned value) {
    bytes.push_back(std::uint8_t(value));
    bytes.push_back(std::uint8_t(value >> 8));
}

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    put16(bytes, value & 0xffff);
    put16(bytes, value >> 16);
}

void putTag(std::vector<std::uint8_t>& bytes, const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
}

// A 16-bit PCM WAV of `frames` frames, with an odd-sized chunk before the format to step over.
std::vector<std::uint8_t> wav(unsigned channels, unsigned rate, std::uint32_t frames) {
    std::vector<std::uint8_t> bytes;
    putTag(bytes, "RIFF");
    put32(bytes, 0);
    putTag(bytes, "WAVE");
    putTag(bytes, "LIST");
    put32(bytes, 3);
    bytes.insert(bytes.end(), {'a', 'b', 'c', 0});
    putTag(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 1);
    put16(bytes, channels);
    put32(bytes, rate);
    put32(bytes, rate * channels * 2);
    put16(bytes, channels * 2);
    put16(bytes, 16);
    putTag(bytes, "data");
    put32(bytes, frames * channels * 2);
    bytes.resize(bytes.size() + frames * channels * 2, 0);
    return bytes;
}

} // namespace

TEST(AudioPlayerTest, ReadsTheFormatAndDurationOfAWellFormedWAV) {
    const auto format = AVAudioPlayer::formatOfWAV(wav(2, 44100, 22050));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->channels, 2u);
    EXPECT_EQ(format->sampleRate, 44100u);
    EXPECT_EQ(format->frameCount, 22050u);

    TemporaryDevice device;
    device.writeBytes("/Library/beep.wav", wav(1, 8000, 1200));
    const auto player = AVAudioPlayer::playerWithContentsOfURL(*NSURL::fileURLWithPath("/Library/beep.wav"));
    ASSERT_TRUE(player);
    EXPECT_DOUBLE_EQ(player->duration(), 0.15);
    EXPECT_TRUE(player->play());
    EXPECT_EQ(player->playCount(), 1u);
    EXPECT_EQ(loggedEvents("sound.played"),
              std::vector<std::string>{"sound.played path=/Library/beep.wav duration=0.150"});
}

TEST(AudioPlayerTest, RefusesFilesThatAreNotWholeWellFormedWAVs) {
    const auto good = wav(1, 8000, 100);
    auto truncated = good;
    truncated.resize(truncated.size() - 1);
    auto notWave = good;
    notWave[8] = 'A';
    auto noChannels = good;
    noChannels[12 + 12 + 8 + 2] = 0;
    auto hugeChunk = good;
    hugeChunk[16] = 0xff;
    hugeChunk[19] = 0xff;
    for (const auto& bytes : {truncated, notWave, noChannels, hugeChunk,
                              std::vector<std::uint8_t>(good.begin(), good.begin() + 11)})
        EXPECT_FALSE(AVAudioPlayer::formatOfWAV(bytes));

    TemporaryDevice device;
    device.writeBytes("/Library/empty.wav", wav(1, 8000, 0));
    EXPECT_FALSE(AVAudioPlayer::playerWithContentsOfURL(*NSURL::fileURLWithPath("/Library/missing.wav")));
    EXPECT_FALSE(AVAudioPlayer::playerWithContentsOfURL(*NSURL::fileURLWithPath("/Library/empty.wav")));
    EXPECT_FALSE(
        AVAudioPlayer::playerWithContentsOfURL(*NSURL::URLWithString("https://example.org/beep.wav")));
}
