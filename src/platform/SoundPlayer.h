// Sound files and event sounds through libcanberra. All players share one context
// for the whole process, created at the first sound and never destroyed: destroying
// it unloads libcanberra's backend while its finished playback threads may still be
// returning through the backend's code, and it would cut asynchronous sounds off.
// No libcanberra or GLib header here: this header is included beside Qt headers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace kex {

class SoundPlayer {
public:
    // Plays the file and returns when it has ended, at the latest after the file's
    // duration and two seconds more (then the sound is stopped). An empty name, a
    // missing or unreadable file, or no sound device: nothing, at once.
    void PlaySync(const std::string& file);
    // Starts the file playing and returns at once.
    void PlayAsync(const std::string& file);
    // The desktop's warning sound (event "dialog-warning"), asynchronously.
    void Beep();

    // The longest a synchronous play of `file` is waited for.
    static std::chrono::milliseconds WaitLimit(const std::string& file);
};

// Plays sounds on a thread of its own, one after the other, so that a sound that
// takes time to start (a file to decode, a slow sound server, the first connection)
// never holds up the caller. At most a few sounds wait; more are dropped.
class SoundQueue {
public:
    static SoundQueue& Instance(); // lives until the process ends
    void PlayAsync(const std::string& file);
    void Beep();
    static constexpr std::size_t kMaxWaiting = 8;

private:
    SoundQueue() = default;
    // An empty file stands for the warning sound.
    void Post(std::string file);
    void Run();

    SoundPlayer player_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::string> waiting_;
    bool running_ = false;
};

// ALSA's reports of a missing or broken default device go nowhere: without a sound
// device they are the normal case.
void SilenceAlsaErrors();

} // namespace kex
