// Sounds (WAV through SDL's loader, then converted to the device's format at
// the volume) on arbitrary bytes: never more than the longest sound kept, and
// nothing at all when muted.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "wincore/sdl2/SdlAudio.h"

namespace {
sdl2::Audio* g_audio = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        std::abort();
    g_audio = new sdl2::Audio();
    if (!g_audio->Open())
        std::abort();
    SDL_PauseAudioDevice(g_audio->Device(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_audio->SetMute(false);
    g_audio->SetVolume(size % 2 ? 100 : 37);
    std::vector<Uint8> pcm;
    if (!g_audio->Decode(data, size, pcm))
        return 0;
    const size_t frame = (size_t)(SDL_AUDIO_BITSIZE(g_audio->Spec().format) / 8) * g_audio->Spec().channels;
    if (pcm.size() > sdl2::Audio::MaxQueuedBytes || (frame && pcm.size() % frame))
        std::abort();
    g_audio->SetMute(true);
    if (!g_audio->Decode(data, size, pcm) || !pcm.empty())
        std::abort();
    return 0;
}
