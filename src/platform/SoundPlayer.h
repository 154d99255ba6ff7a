// Sound files and event sounds through libcanberra. All players share one context
// for the whole process, created at the first sound and never destroyed: destroying
// it unloads libcanberra's backend while its finished playback threads may still be
// returning through the backend's code, and it would cut asynchronous sounds off.
// No libcanberra or GLib header here: this header is included beside Qt headers.
#pragma once

#include <chrono>
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

} // namespace kex
