// Sounds: nothing for an empty name or a missing file; a real play into an ALSA file
// device in a child process whose HOME holds the device's .asoundrc.
#include "platform/TempDir.h"
#include "platform/LinuxPlatform.h"
#include "platform/SoundPlayer.h"

#include "SelfExec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace kex;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

void Put16(std::string& s, std::uint16_t v)
{
    s += char(v & 0xff);
    s += char(v >> 8);
}
void Put32(std::string& s, std::uint32_t v)
{
    Put16(s, std::uint16_t(v & 0xffff));
    Put16(s, std::uint16_t(v >> 16));
}

// A mono 16-bit WAV of a 440 Hz tone; returns the number of sample bytes.
std::uint32_t WriteWav(const fs::path& file, int rate, double seconds)
{
    const std::uint32_t samples = std::uint32_t(rate * seconds);
    std::string data;
    for (std::uint32_t i = 0; i < samples; ++i)
        Put16(data, std::uint16_t(std::int16_t(8000 * std::sin(2 * M_PI * 440 * i / rate))));
    std::string wav = "RIFF";
    Put32(wav, std::uint32_t(36 + data.size()));
    wav += "WAVEfmt ";
    Put32(wav, 16);
    Put16(wav, 1); // PCM
    Put16(wav, 1); // mono
    Put32(wav, std::uint32_t(rate));
    Put32(wav, std::uint32_t(rate * 2)); // byte rate
    Put16(wav, 2);                       // block align
    Put16(wav, 16);                      // bits
    wav += "data";
    Put32(wav, std::uint32_t(data.size()));
    std::ofstream(file, std::ios::binary) << wav << data;
    return std::uint32_t(data.size());
}

bool CanberraHasAlsa()
{
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/libcanberra-0.30", "/usr/lib/aarch64-linux-gnu/libcanberra-0.30",
                            "/usr/lib64/libcanberra-0.30", "/usr/lib/libcanberra-0.30"})
        if (fs::exists(fs::path(dir) / "libcanberra-alsa.so"))
            return true;
    return false;
}

// A HOME whose .asoundrc routes ALSA's default device into `out.raw` beside it, with
// `tone.wav` (0.3 s) and `broken.wav` (no sound); the tone's number of sample bytes.
std::uint32_t PrepareAlsaFileHome(const fs::path& home)
{
    const std::uint32_t bytes = WriteWav(home / "tone.wav", 8000, 0.3);
    std::ofstream(home / "broken.wav") << "RIFF this is no sound";
    std::ofstream(home / ".asoundrc") << "pcm.!default { type file slave.pcm \"null\" file \""
                                      << (home / "out.raw").string() << "\" format \"raw\" }\n";
    return bytes;
}

// Runs the test `childTest` in a child on a prepared HOME.
void RunWithAlsaFileDevice(const std::string& childTest)
{
    if (!CanberraHasAlsa())
        GTEST_SKIP() << "libcanberra has no ALSA backend here";
    TempDir tmp;
    const std::uint32_t bytes = PrepareAlsaFileHome(tmp.path());
    const testing_child::ChildResult child = testing_child::RunTestInChild(
        "SoundTest." + childTest,
        {{"HOME", tmp.path().string()}, {"CANBERRA_DRIVER", "alsa"}, {"KEX_WAV_BYTES", std::to_string(bytes)}});
    EXPECT_TRUE(child.passed) << child.output;
}

// Runs in a child whose HOME routes ALSA's default device into a file.
TEST(SoundTest, DISABLED_PlaysNothingIntoAlsaFileInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of EmptyNameMissingAndBrokenFilesPlayNothing";
    const fs::path root = std::getenv("HOME");
    const fs::path raw = root / "out.raw";
    LinuxPlatform platform;
    for (const std::string& file : {std::string(), (root / "missing.wav").string(), (root / "broken.wav").string(),
                                    (root / ".asoundrc").string(), root.string()}) {
        platform.PlaySoundSync(file);
        EXPECT_FALSE(fs::exists(raw)) << file << " opened the sound device";
    }
    // The queue goes on after them: a sound posted behind them is played through (a
    // queue stuck on one of them fails the child at its time limit).
    for (const std::string& file : {std::string(), (root / "missing.wav").string(), (root / "broken.wav").string()})
        platform.PlaySoundAsync(file);
    platform.PlaySoundAsync((root / "tone.wav").string());
    const auto wavBytes = std::uintmax_t(std::stoul(std::getenv("KEX_WAV_BYTES")));
    std::error_code ec;
    while (fs::file_size(raw, ec) < wavBytes || ec)
        std::this_thread::sleep_for(10ms);
}

TEST(SoundTest, EmptyNameMissingAndBrokenFilesPlayNothing)
{
    // Without a sound device: nothing, and the calls return.
    TempDir tmp;
    PrepareAlsaFileHome(tmp.path());
    LinuxPlatform platform;
    for (const std::string& file : {std::string(), (tmp.path() / "missing.wav").string(),
                                    (tmp.path() / "broken.wav").string(), tmp.path().string()}) {
        platform.PlaySoundSync(file);
        platform.PlaySoundAsync(file);
    }
    // With one: nothing reaches it.
    RunWithAlsaFileDevice("DISABLED_PlaysNothingIntoAlsaFileInChild");
}

TEST(SoundTest, WaitLimitIsTheDurationAndTwoSeconds)
{
    TempDir tmp;
    WriteWav(tmp.path() / "half.wav", 8000, 0.5);
    const fs::path other = tmp.path() / "sound.oga";
    std::ofstream(other) << std::string(8000, 'x');
    EXPECT_EQ(SoundPlayer::WaitLimit((tmp.path() / "half.wav").string()), 2500ms);
    EXPECT_EQ(SoundPlayer::WaitLimit(other.string()), 4000ms);
    EXPECT_EQ(SoundPlayer::WaitLimit((tmp.path() / "missing").string()), 2000ms);
}

// Runs in a child whose HOME routes ALSA's default device into a file.
TEST(SoundTest, DISABLED_PlaysIntoAlsaFileInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of SyncPlayWritesTheSamplesBeforeReturning";
    const fs::path root = std::getenv("HOME");
    const fs::path raw = root / "out.raw";
    const auto wavBytes = std::uintmax_t(std::stoul(std::getenv("KEX_WAV_BYTES")));
    LinuxPlatform platform;

    platform.PlaySoundSync((root / "tone.wav").string());
    ASSERT_TRUE(fs::exists(raw));
    // Everything was played when the call returned.
    EXPECT_GE(fs::file_size(raw), wavBytes);

    // With a device, failures leave the device alone.
    fs::remove(raw);
    platform.PlaySoundSync((root / "missing.wav").string());
    platform.PlaySoundSync((root / ".asoundrc").string());
    EXPECT_FALSE(fs::exists(raw));
    // The warning sound without a sound theme: nothing, no hang (the child's limit).
    platform.Beep();
}

TEST(SoundTest, SyncPlayWritesTheSamplesBeforeReturning) { RunWithAlsaFileDevice("DISABLED_PlaysIntoAlsaFileInChild"); }

} // namespace
