#include "wincore/sdl2/SdlAudio.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
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
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<Uint8> bytes;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? ftell(f) : -1;
    ok = ok && size > 0 && (unsigned long)size <= MaxFileBytes && fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize((size_t)size);
        ok = fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    fclose(f);
    return ok && PlayWav(bytes.data(), bytes.size());
}

bool Audio::PlayWav(const void* data, size_t size)
{
    std::vector<Uint8> pcm;
    if (!Decode(data, size, pcm))
        return false;
    SDL_ClearQueuedAudio(device_);
    return pcm.empty() || SDL_QueueAudio(device_, pcm.data(), (Uint32)pcm.size()) == 0;
}

namespace {

uint32_t Le32(const Uint8* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }

void SetLe32(Uint8* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (Uint8)(v >> (8 * i));
}

// SDL's loader allocates what a chunk claims before reading it: a chunk that
// claims more than the file holds is cut to what is there (as a truncated
// file is), so a few bytes can never ask for gigabytes.
void CutChunksToFile(std::vector<Uint8>& wav)
{
    const size_t size = wav.size();
    if (size < 4)
        return;
    // The loader also takes a file whose RIFF header is missing: its chunks
    // then follow the "WAVE" at the start.
    size_t at = 4;
    if (std::memcmp(wav.data(), "RIFF", 4) == 0) {
        if (size < 12)
            return;
        if (Le32(&wav[4]) > size - 8)
            SetLe32(&wav[4], (uint32_t)(size - 8));
        at = 12;
    } else if (std::memcmp(wav.data(), "WAVE", 4) != 0) {
        return;  // refused by the loader as it stands
    }
    while (at + 8 <= size) {
        const size_t left = size - at - 8;
        const uint32_t length = Le32(&wav[at + 4]);
        if (length > left) {
            SetLe32(&wav[at + 4], (uint32_t)left);
            return;
        }
        at += 8 + (size_t)length + (length & 1);
    }
}

} // namespace

bool Audio::Decode(const void* data, size_t size, std::vector<Uint8>& pcm) const
{
    pcm.clear();
    if (!device_ || !data || size == 0 || size > MaxFileBytes)
        return false;
    std::vector<Uint8> wav((const Uint8*)data, (const Uint8*)data + size);
    CutChunksToFile(wav);
    SDL_RWops* rw = SDL_RWFromConstMem(wav.data(), (int)wav.size());
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
