#include "wincore/sdl2/SdlAudio.h"

#include <cstdint>
#include <vector>

namespace sdl2 {

Audio::~Audio() { Close(); }

bool Audio::Open()
{
    if (device_)
        return true;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 2048;
    want.callback = nullptr;  // queued
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_, 0);
    if (!device_)
        return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void Audio::Close()
{
    if (device_)
        SDL_CloseAudioDevice(device_);
    device_ = 0;
}

void Audio::SetVolume(int percent) { volume_ = percent < 0 ? 0 : (percent > 100 ? 100 : percent); }

void Audio::Stop()
{
    if (device_)
        SDL_ClearQueuedAudio(device_);
}

Uint32 Audio::QueuedBytes() const { return device_ ? SDL_GetQueuedAudioSize(device_) : 0; }

bool Audio::PlayFile(const std::string& path)
{
    if (!device_)
        return false;
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    return rw && Play(rw);
}

bool Audio::PlayWav(const void* data, size_t size)
{
    if (!device_ || !data || size == 0 || size > (size_t)INT32_MAX)
        return false;
    SDL_RWops* rw = SDL_RWFromConstMem(data, (int)size);
    return rw && Play(rw);
}

bool Audio::Play(SDL_RWops* rw)
{
    std::vector<Uint8> pcm;
    if (!Load(rw, pcm))
        return false;
    SDL_ClearQueuedAudio(device_);
    return pcm.empty() || SDL_QueueAudio(device_, pcm.data(), (Uint32)pcm.size()) == 0;
}

bool Audio::Decode(const void* data, size_t size, std::vector<Uint8>& pcm) const
{
    pcm.clear();
    if (!device_ || !data || size == 0 || size > (size_t)INT32_MAX)
        return false;
    SDL_RWops* rw = SDL_RWFromConstMem(data, (int)size);
    return rw && Load(rw, pcm);
}

bool Audio::Load(SDL_RWops* rw, std::vector<Uint8>& pcm) const
{
    pcm.clear();
    SDL_AudioSpec spec;
    Uint8* wav = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &wav, &length))
        return false;
    // SDL's resampler miscomputes its buffers for absurd rates: such a file
    // is refused, not converted.
    if (spec.freq < MinRate || spec.freq > MaxRate || spec.channels < 1 || spec.channels > 8) {
        SDL_FreeWAV(wav);
        return false;
    }
    // Only as much of the source as makes MaxQueuedBytes once converted: a
    // long low-rate sound must not grow without bound in the converter.
    const uint64_t srcFrame = (uint64_t)(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
    const uint64_t dstFrame = (uint64_t)(SDL_AUDIO_BITSIZE(spec_.format) / 8) * spec_.channels;
    if (srcFrame > 0 && dstFrame > 0 && spec.freq > 0 && spec_.freq > 0) {
        const uint64_t frames = (uint64_t)MaxQueuedBytes / dstFrame * (uint64_t)spec.freq / (uint64_t)spec_.freq;
        if ((uint64_t)length > frames * srcFrame)
            length = (Uint32)(frames * srcFrame);
    }
    SDL_AudioStream* stream =
        SDL_NewAudioStream(spec.format, spec.channels, spec.freq, spec_.format, spec_.channels, spec_.freq);
    const bool ok = stream && SDL_AudioStreamPut(stream, wav, (int)length) == 0 && SDL_AudioStreamFlush(stream) == 0;
    SDL_FreeWAV(wav);
    if (ok) {
        const int available = SDL_AudioStreamAvailable(stream);
        const size_t keep = available > 0 ? ((size_t)available < MaxQueuedBytes ? (size_t)available : MaxQueuedBytes) : 0;
        pcm.resize(keep);
        const int got = keep ? SDL_AudioStreamGet(stream, pcm.data(), (int)keep) : 0;
        pcm.resize(got > 0 ? (size_t)got : 0);
    }
    if (stream)
        SDL_FreeAudioStream(stream);
    if (!ok)
        return false;
    const int gain = mute_ ? 0 : SDL_MIX_MAXVOLUME * volume_ / 100;
    if (gain == 0) {
        pcm.clear();  // nothing to hear
    } else if (gain != SDL_MIX_MAXVOLUME) {
        std::vector<Uint8> mixed(pcm.size(), (Uint8)spec_.silence);
        SDL_MixAudioFormat(mixed.data(), pcm.data(), spec_.format, (Uint32)pcm.size(), gain);
        pcm.swap(mixed);
    }
    return true;
}

} // namespace sdl2
