// Sounds: the launch and selection sounds, the chimes and the warning beep, through
// libcanberra with whatever backend it finds (PulseAudio, ALSA, ...).
#include "platform/SoundPlayer.h"

#include "platform/LinuxPlatform.h"

#include <alsa/asoundlib.h>
#include <canberra.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <utility>
#include <unistd.h>

namespace kex {

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

std::uint32_t LittleEndian32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// The playing time of a RIFF/WAVE file from its "fmt " and "data" chunks; negative
// when the file is not one.
double WavSeconds(const std::string& file, std::uint64_t fileSize)
{
    std::ifstream in(file, std::ios::binary);
    unsigned char header[12];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || std::memcmp(header, "RIFF", 4) != 0
        || std::memcmp(header + 8, "WAVE", 4) != 0)
        return -1;
    std::uint32_t byteRate = 0;
    std::uint64_t offset = 12;
    for (int chunks = 0; chunks < 64; ++chunks) {
        unsigned char chunk[8];
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk))
            return -1;
        offset += 8;
        const std::uint32_t size = LittleEndian32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[12];
            if (size < sizeof fmt || !in.read(reinterpret_cast<char*>(fmt), sizeof fmt))
                return -1;
            byteRate = LittleEndian32(fmt + 8);
            in.seekg(std::streamoff(size - sizeof fmt + (size & 1)), std::ios::cur);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (byteRate == 0)
                return -1;
            const std::uint64_t left = fileSize > offset ? fileSize - offset : 0;
            return double(std::min<std::uint64_t>(size, left)) / byteRate;
        } else {
            in.seekg(std::streamoff(size + (size & 1)), std::ios::cur);
        }
        offset += size + (size & 1);
    }
    return -1;
}

bool Readable(const std::string& file)
{
    struct stat st {};
    return !file.empty() && ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(file.c_str(), R_OK) == 0;
}

// The process's one libcanberra context and the finish notices of synchronous plays.
// Plays a sound of these properties (play: false sets them on the context instead),
// through the library's proplist calls, which load it at their first use.
int PlayProps(ca_context* context, std::uint32_t id,
              std::initializer_list<std::pair<const char*, const char*>> properties, bool play = true)
{
    ca_proplist* props = nullptr;
    int rc = ca_proplist_create(&props);
    if (rc != CA_SUCCESS)
        return rc;
    for (const auto& [key, value] : properties)
        ca_proplist_sets(props, key, value);
    rc = play ? ca_context_play_full(context, id, props, nullptr, nullptr)
              : ca_context_change_props_full(context, props);
    ca_proplist_destroy(props);
    return rc;
}

class SoundContext {
public:
    static SoundContext& Instance()
    {
        static SoundContext* instance = new SoundContext; // lives until the process ends
        return *instance;
    }

    ca_context* Context()
    {
        std::lock_guard lock(contextMutex_);
        if (!context_) {
            SilenceAlsaErrors();
            ca_context* context = nullptr;
            if (ca_context_create(&context) != CA_SUCCESS)
                return nullptr;
            PlayProps(context, 0, {{CA_PROP_APPLICATION_NAME, "Kexbar"}, {CA_PROP_APPLICATION_ID, "org.kexbar.Kexbar"}},
                      false);
            context_ = context;
        }
        return context_;
    }

    std::uint32_t NewId()
    {
        std::uint32_t id = nextId_++;
        return id != 0 ? id : nextId_++; // 0 belongs to the asynchronous sounds
    }

    static void Finished(ca_context*, std::uint32_t id, int, void* self)
    {
        auto* sounds = static_cast<SoundContext*>(self);
        {
            std::lock_guard lock(sounds->waitMutex_);
            sounds->finished_.insert(id);
        }
        sounds->finishedChanged_.notify_all();
    }

    // Waits for the finish notice of play `id`; false when `limit` passed first.
    bool WaitFor(std::uint32_t id, std::chrono::milliseconds limit)
    {
        std::unique_lock lock(waitMutex_);
        return finishedChanged_.wait_for(lock, limit, [&] { return finished_.contains(id); });
    }

    void Forget(std::uint32_t id)
    {
        std::lock_guard lock(waitMutex_);
        finished_.erase(id);
    }

private:
    std::mutex contextMutex_;
    ca_context* context_ = nullptr;

    // libcanberra may call the finish callback from inside its own calls (a cancel),
    // so no libcanberra function is called while waitMutex_ is held.
    std::mutex waitMutex_;
    std::condition_variable finishedChanged_;
    std::set<std::uint32_t> finished_;
    std::atomic<std::uint32_t> nextId_{1};
};

} // namespace

void SilenceAlsaErrors() { snd_lib_error_set_handler(&SilentAlsaError); }

std::chrono::milliseconds SoundPlayer::WaitLimit(const std::string& file)
{
    using namespace std::chrono;
    struct stat st {};
    const std::uint64_t size = ::stat(file.c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
    double seconds = WavSeconds(file, size);
    if (seconds < 0) // another format (Ogg Vorbis): assume a low bit rate of 32 kbit/s
        seconds = double(size) / 4000.0;
    seconds = std::min(seconds, 600.0);
    return milliseconds(static_cast<long long>(seconds * 1000.0)) + milliseconds(2000);
}

void SoundPlayer::PlaySync(const std::string& file)
{
    if (!Readable(file))
        return;
    SoundContext& sounds = SoundContext::Instance();
    ca_context* context = sounds.Context();
    if (!context)
        return;

    const std::uint32_t id = sounds.NewId();
    ca_proplist* props = nullptr;
    if (ca_proplist_create(&props) != CA_SUCCESS)
        return;
    ca_proplist_sets(props, CA_PROP_MEDIA_FILENAME, file.c_str());
    ca_proplist_sets(props, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
    const int rc = ca_context_play_full(context, id, props, &SoundContext::Finished, &sounds);
    ca_proplist_destroy(props);
    if (rc != CA_SUCCESS)
        return; // no callback follows a refused play

    if (!sounds.WaitFor(id, WaitLimit(file)))
        ca_context_cancel(context, id); // calls the callback with "canceled"
    sounds.Forget(id);
}

void SoundPlayer::PlayAsync(const std::string& file)
{
    if (!Readable(file))
        return;
    if (ca_context* context = SoundContext::Instance().Context())
        PlayProps(context, 0, {{CA_PROP_MEDIA_FILENAME, file.c_str()}, {CA_PROP_CANBERRA_CACHE_CONTROL, "never"}});
}

void SoundPlayer::Beep()
{
    if (ca_context* context = SoundContext::Instance().Context())
        PlayProps(context, 0, {{CA_PROP_EVENT_ID, "dialog-warning"}, {CA_PROP_EVENT_DESCRIPTION, "Warning"}});
}

SoundQueue& SoundQueue::Instance()
{
    static SoundQueue* instance = new SoundQueue; // its thread may still be playing at exit
    return *instance;
}

void SoundQueue::PlayAsync(const std::string& file)
{
    if (!file.empty())
        Post(file);
}

void SoundQueue::Beep() { Post({}); }

void SoundQueue::Post(std::string file)
{
    {
        std::lock_guard lock(mutex_);
        if (waiting_.size() >= kMaxWaiting)
            return;
        waiting_.push_back(std::move(file));
        if (!running_) {
            try {
                std::thread([this] { Run(); }).detach();
                running_ = true;
            } catch (const std::system_error&) {
                waiting_.clear(); // no thread: no sound, never a wait
                return;
            }
        }
    }
    posted_.notify_one();
}

void SoundQueue::Run()
{
    for (;;) {
        std::string file;
        {
            std::unique_lock lock(mutex_);
            posted_.wait(lock, [this] { return !waiting_.empty(); });
            file = std::move(waiting_.front());
            waiting_.pop_front();
        }
        if (file.empty())
            player_.Beep();
        else
            player_.PlayAsync(file);
    }
}

// The platform's sound services. A synchronous play waits on the caller's thread (a
// launch sound is heard before its program starts); the others go to the queue.

void LinuxPlatform::PlaySoundSync(const std::string& file)
{
    if (file.empty())
        return;
    if (!sound_)
        sound_ = std::make_unique<SoundPlayer>();
    sound_->PlaySync(file);
}

void LinuxPlatform::PlaySoundAsync(const std::string& file) { SoundQueue::Instance().PlayAsync(file); }

void LinuxPlatform::Beep() { SoundQueue::Instance().Beep(); }

} // namespace kex
