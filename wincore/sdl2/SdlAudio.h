#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include <SDL.h>

namespace sdl2 {

// Sounds through one queued SDL audio device: a WAV file (any format SDL's
// loader reads) is converted to the device's format, scaled by the volume and
// queued, replacing whatever was still playing, as PlaySound does. Volume and
// mute apply to the sounds started after they change.
class Audio {
public:
    // Longest sound kept, in bytes of the device's format (about three minutes).
    static constexpr size_t MaxQueuedBytes = 32u << 20;
    // Largest sound file read.
    static constexpr size_t MaxFileBytes = 64u << 20;
    // Sample rates a sound may have.
    static constexpr int MinRate = 1000;
    static constexpr int MaxRate = 384000;

    Audio() = default;
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Opens the default output device (needs SDL's audio part). False when
    // there is none; playing then fails quietly.
    bool Open();
    void Close();
    bool IsOpen() const { return device_ != 0; }
    SDL_AudioDeviceID Device() const { return device_; }

    // Starts the sound in a WAV file or in memory. False when the device is
    // not open, the data is no WAV SDL can read or is over MaxFileBytes.
    bool PlayFile(const std::string& path);
    bool PlayWav(const void* data, size_t size);
    // What PlayWav would queue: the sound in the device's format (Spec()) at the
    // volume. False as PlayWav; a muted sound gives no bytes.
    bool Decode(const void* data, size_t size, std::vector<Uint8>& pcm) const;
    const SDL_AudioSpec& Spec() const { return spec_; }
    void Stop();
    // Bytes still waiting to be played.
    Uint32 QueuedBytes() const;

    // 0..100, clamped.
    void SetVolume(int percent);
    int Volume() const { return volume_; }
    void SetMute(bool mute) { mute_ = mute; }
    bool Mute() const { return mute_; }

private:
    bool Load(SDL_RWops* rw, std::vector<Uint8>& pcm) const;

    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
    int volume_ = 100;
    bool mute_ = false;
};

} // namespace sdl2
