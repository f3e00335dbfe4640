#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SdlTestSupport.h"
#include "enginelib/draw/TDibIG.h"
#include "support/TestPaths.h"
#include "wincore/sdl2/SdlAudio.h"
#include "wincore/sdl2/SdlEventTranslator.h"
#include "wincore/sdl2/SdlMessageBox.h"
#include "wincore/sdl2/SdlPresenter.h"

namespace {

// ---- presenting frames ----

class PresenterTest : public sdltest::DummySdl {
protected:
    void SetUp() override
    {
        DummySdl::SetUp();
        window = SDL_CreateWindow("test", 0, 0, 8, 4, SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        ASSERT_TRUE(presenter.Attach(window)) << SDL_GetError();
    }
    void TearDown() override
    {
        presenter.Detach();
        if (window)
            SDL_DestroyWindow(window);
        DummySdl::TearDown();
    }

    // The window's pixels as 0xRRGGBB after a present.
    std::vector<uint32_t> Shown()
    {
        std::vector<uint32_t> px(8 * 4);
        EXPECT_EQ(SDL_RenderReadPixels(presenter.Renderer(), nullptr, SDL_PIXELFORMAT_RGB888, px.data(), 8 * 4), 0)
            << SDL_GetError();
        // Top bits only: RGB565 widens its channels a little differently.
        for (uint32_t& p : px)
            p &= 0xF0F0F0;
        return px;
    }

    SDL_Window* window = nullptr;
    sdl2::Presenter presenter;
};

// A frame in the engine's screen shape with two marked pixels.
void Paint(TDibIG& dib, int w, int h, int bpp, bool bottomUp)
{
    ASSERT_TRUE(dib.Crea(w, h, bpp, false, bottomUp));
    dib.Fill(TColorIG(0, 0, 255));
    dib.SetPixel(0, 0, TColorIG(255, 0, 0));
    dib.SetPixel(2, 1, TColorIG(0, 255, 0));
}

// The picture turns with the orientation the same way the pointer does, for
// every depth and row order the engine paints in.
TEST_F(PresenterTest, FrameIsShownTurnedLikeThePointer)
{
    for (int angle : {0, 90, 180, 270}) {
        for (int bpp : {16, 24, 32}) {
            for (bool bottomUp : {false, true}) {
                sdl2::EventTranslator map;
                map.SetOutputSize(8, 4);
                map.SetOrientation(angle);
                TDibIG frame;
                Paint(frame, map.LogicalWidth(), map.LogicalHeight(), bpp, bottomUp);
                ASSERT_TRUE(presenter.Present(frame, angle));
                EXPECT_EQ(presenter.TextureWidth(), 8);
                EXPECT_EQ(presenter.TextureHeight(), 4);
                const std::vector<uint32_t> px = Shown();
                int x, y;
                map.ToWindow(0, 0, x, y);
                EXPECT_EQ(px[y * 8 + x], 0xF00000u) << angle << " " << bpp << " " << bottomUp;
                map.ToWindow(2, 1, x, y);
                EXPECT_EQ(px[y * 8 + x], 0x00F000u) << angle << " " << bpp << " " << bottomUp;
                int blue = 0;
                for (uint32_t p : px)
                    blue += p == 0x0000F0u;
                EXPECT_EQ(blue, 8 * 4 - 2) << angle << " " << bpp << " " << bottomUp;
            }
        }
    }
}

TEST_F(PresenterTest, RotationSwapsTheFrameNotTheWindow)
{
    TDibIG frame;
    Paint(frame, 8, 4, 32, false);
    ASSERT_TRUE(presenter.Present(frame, 0));
    EXPECT_EQ(presenter.TextureFormat(), (Uint32)SDL_PIXELFORMAT_RGB888);
    Paint(frame, 4, 8, 16, false);
    ASSERT_TRUE(presenter.Present(frame, 90));
    EXPECT_EQ(presenter.TextureWidth(), 8);
    EXPECT_EQ(presenter.TextureHeight(), 4);
    EXPECT_EQ(presenter.TextureFormat(), (Uint32)SDL_PIXELFORMAT_RGB565);
    int w, h;
    ASSERT_TRUE(presenter.OutputSize(w, h));
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 4);
}

TEST_F(PresenterTest, FramesItCannotShowAreRefused)
{
    TDibIG empty;
    EXPECT_FALSE(presenter.Present(empty, 0));
    TDibIG grey;
    ASSERT_TRUE(grey.Crea(8, 4, 8));
    EXPECT_FALSE(presenter.Present(grey, 0));
    // A frame of another size is stretched over the window.
    TDibIG big;
    Paint(big, 16, 8, 16, false);
    big.SetPixel(15, 7, TColorIG(255, 0, 0));
    ASSERT_TRUE(presenter.Present(big, 0));
    EXPECT_EQ(Shown()[3 * 8 + 7], 0xF00000u);
    sdl2::Presenter detached;
    EXPECT_FALSE(detached.Present(big, 0));
    // Raw rows shorter than the width they claim are never read past.
    std::vector<uint32_t> rows(8 * 4, 0x00FF00);
    const uint8_t* top = (const uint8_t*)rows.data();
    EXPECT_FALSE(presenter.Present(top, 8 * 4 - 4, 8, 4, SDL_PIXELFORMAT_RGB888, 0));
    EXPECT_FALSE(presenter.Present(nullptr, 8 * 4, 8, 4, SDL_PIXELFORMAT_RGB888, 0));
    EXPECT_FALSE(presenter.Present(top, 8 * 4, 0, 4, SDL_PIXELFORMAT_RGB888, 0));
    ASSERT_TRUE(presenter.Present(top, 8 * 4, 8, 4, SDL_PIXELFORMAT_RGB888, 0));
    EXPECT_EQ(Shown()[0], 0x00F000u);
}

// ---- sound ----

// A RIFF/WAVE file of 8-bit mono PCM.
std::vector<uint8_t> Wav(int rate, int samples)
{
    std::vector<uint8_t> w;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) w.push_back((uint8_t)(v >> (8 * i))); };
    auto u16 = [&](uint16_t v) { w.push_back((uint8_t)v); w.push_back((uint8_t)(v >> 8)); };
    auto tag = [&](const char* t) { w.insert(w.end(), t, t + 4); };
    tag("RIFF");
    u32(36 + samples);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);      // PCM
    u16(1);      // mono
    u32(rate);
    u32(rate);   // bytes a second
    u16(1);      // block align
    u16(8);      // bits
    tag("data");
    u32(samples);
    for (int i = 0; i < samples; ++i)
        w.push_back((uint8_t)(i % 32 < 16 ? 0x20 : 0xE0));
    return w;
}

class AudioTest : public sdltest::DummySdl {
protected:
    AudioTest() : DummySdl(SDL_INIT_AUDIO) {}
    void SetUp() override
    {
        DummySdl::SetUp();
        if (!audio.Open())
            GTEST_SKIP() << "no audio device: " << SDL_GetError();
        // Keep what is queued where the test can see it.
        SDL_PauseAudioDevice(audio.Device(), 1);
    }
    sdl2::Audio audio;
};

TEST_F(AudioTest, WavIsConvertedAndQueued)
{
    const std::vector<uint8_t> wav = Wav(8000, 8000);  // one second
    ASSERT_TRUE(audio.PlayWav(wav.data(), wav.size()));
    // A second of the device's 16-bit stereo at its rate, give or take the resampler.
    const Uint32 queued = audio.QueuedBytes();
    EXPECT_GT(queued, 0u);
    // Playing again replaces the sound rather than adding to it.
    ASSERT_TRUE(audio.PlayWav(wav.data(), wav.size()));
    EXPECT_LE(audio.QueuedBytes(), queued);
    audio.Stop();
    EXPECT_EQ(audio.QueuedBytes(), 0u);

    testpaths::TempDir dir;
    const std::string path = dir / "beep.wav";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(wav.data(), 1, wav.size(), f);
    fclose(f);
    EXPECT_TRUE(audio.PlayFile(path));
    EXPECT_FALSE(audio.PlayFile(dir / "missing.wav"));
}

TEST_F(AudioTest, BrokenFilesAreRefused)
{
    std::vector<uint8_t> wav = Wav(8000, 800);
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        std::vector<uint8_t>(wav.begin(), wav.begin() + 20),  // cut inside the format chunk
        std::vector<uint8_t>(100, 0xFF),
    };
    for (const auto& b : bad)
        EXPECT_FALSE(audio.PlayWav(b.data(), b.size())) << b.size();
    EXPECT_FALSE(audio.PlayWav(nullptr, 10));
    wav[22] = 0;  // no channels
    EXPECT_FALSE(audio.PlayWav(wav.data(), wav.size()));
    // Rates SDL's converter cannot take (it once asked for a negative buffer).
    for (uint32_t rate : {0x0040001Fu, 999u, 384001u}) {
        std::vector<uint8_t> odd = Wav(8000, 800);
        for (int i = 0; i < 4; ++i)
            odd[24 + i] = (uint8_t)(rate >> (8 * i));
        EXPECT_FALSE(audio.PlayWav(odd.data(), odd.size())) << rate;
    }
    std::vector<uint8_t> high = Wav(384000, 800);
    EXPECT_TRUE(audio.PlayWav(high.data(), high.size()));
}

TEST_F(AudioTest, AChunkClaimingMoreThanTheFilePlaysWhatIsThere)
{
    std::vector<uint8_t> wav = Wav(8000, 800);
    std::vector<Uint8> whole;
    ASSERT_TRUE(audio.Decode(wav.data(), wav.size(), whole));
    // The data chunk claims 2.4 GB; the file holds 800 bytes of it.
    const uint32_t claim = 0x90000100u;
    for (int i = 0; i < 4; ++i)
        wav[40 + i] = (uint8_t)(claim >> (8 * i));
    std::vector<Uint8> cut;
    ASSERT_TRUE(audio.Decode(wav.data(), wav.size(), cut));
    EXPECT_EQ(cut.size(), whole.size());
    // The same for the file's own size and for the format chunk.
    for (int i = 0; i < 4; ++i)
        wav[4 + i] = 0xFF;
    EXPECT_TRUE(audio.Decode(wav.data(), wav.size(), cut));
    for (int i = 0; i < 4; ++i)
        wav[16 + i] = 0xFF;
    EXPECT_FALSE(audio.Decode(wav.data(), wav.size(), cut));  // no data chunk left behind it

    // A file without its RIFF header starts with "WAVE"; its claims are cut as well.
    const std::vector<uint8_t> full = Wav(8000, 800);
    std::vector<uint8_t> bare(full.begin() + 8, full.end());
    std::vector<Uint8> bareWhole;
    ASSERT_TRUE(audio.Decode(bare.data(), bare.size(), bareWhole));
    for (int i = 0; i < 4; ++i)
        bare[32 + i] = (uint8_t)(claim >> (8 * i));
    ASSERT_TRUE(audio.Decode(bare.data(), bare.size(), cut));
    EXPECT_EQ(cut.size(), bareWhole.size());
}

TEST_F(AudioTest, VolumeScalesAndMuteSilences)
{
    ASSERT_EQ(audio.Spec().format, AUDIO_S16SYS);
    const std::vector<uint8_t> wav = Wav(44100, 4410);
    auto peak = [&]() {
        std::vector<Uint8> pcm;
        EXPECT_TRUE(audio.Decode(wav.data(), wav.size(), pcm));
        int top = 0;
        for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
            int16_t v;
            memcpy(&v, &pcm[i], 2);
            top = std::max(top, std::abs((int)v));
        }
        return top;
    };
    const int full = peak();
    EXPECT_GT(full, 20000);  // 8-bit samples at +-96 of 128
    audio.SetVolume(50);
    EXPECT_NEAR(peak(), full / 2, full / 20);
    audio.SetVolume(150);
    EXPECT_EQ(audio.Volume(), 100);
    EXPECT_EQ(peak(), full);
    audio.SetVolume(-3);
    EXPECT_EQ(audio.Volume(), 0);
    EXPECT_EQ(peak(), 0);
    audio.SetVolume(100);
    audio.SetMute(true);
    EXPECT_EQ(peak(), 0);
    ASSERT_TRUE(audio.PlayWav(wav.data(), wav.size()));
    EXPECT_EQ(audio.QueuedBytes(), 0u);  // nothing to hear, and the old sound stopped too
}

TEST(SdlAudioClosed, PlayingWithoutADeviceFails)
{
    sdl2::Audio audio;
    const std::vector<uint8_t> wav = Wav(8000, 80);
    EXPECT_FALSE(audio.PlayWav(wav.data(), wav.size()));
    EXPECT_EQ(audio.QueuedBytes(), 0u);
}

// ---- message boxes ----

TEST(SdlMessageBox, ButtonSetsOfTheStyles)
{
    struct Row {
        unsigned style;
        std::vector<int> ids;
        int enter, escape;
    };
    const Row rows[] = {
        {0x00, {IDOK}, IDOK, IDOK},
        {0x10, {IDOK}, IDOK, IDOK},
        {0x01, {IDOK, IDCANCEL}, IDOK, IDCANCEL},
        {0x101, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL},
        {0x04, {IDYES, IDNO}, IDYES, IDNO},
        {0x134, {IDYES, IDNO}, IDNO, IDNO},
        {0x03, {IDOK}, IDOK, IDOK},  // a set we do not offer shows OK
    };
    for (const Row& row : rows) {
        const auto buttons = sdl2::MessageBoxButtons(row.style);
        std::vector<int> ids;
        int enter = 0, escape = 0, enters = 0, escapes = 0;
        for (const auto& b : buttons) {
            ids.push_back(b.id);
            if (b.flags & SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT)
                enter = b.id, ++enters;
            if (b.flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)
                escape = b.id, ++escapes;
        }
        EXPECT_EQ(ids, row.ids) << std::hex << row.style;
        EXPECT_EQ(enter, row.enter) << std::hex << row.style;
        EXPECT_EQ(escape, row.escape) << std::hex << row.style;
        EXPECT_EQ(enters, 1);
        EXPECT_EQ(escapes, 1);
    }
    EXPECT_EQ(sdl2::MessageBoxKind(0x10), (Uint32)SDL_MESSAGEBOX_ERROR);
    EXPECT_EQ(sdl2::MessageBoxKind(0x30), (Uint32)SDL_MESSAGEBOX_WARNING);
    EXPECT_EQ(sdl2::MessageBoxKind(0x40), (Uint32)SDL_MESSAGEBOX_INFORMATION);
    EXPECT_EQ(sdl2::MessageBoxKind(0x00), (Uint32)SDL_MESSAGEBOX_INFORMATION);
}

class MessageBoxTest : public sdltest::DummySdl {};

TEST_F(MessageBoxTest, NoDisplayAnswersZeroAtOnce)
{
    // Without any display the box cannot be shown: the caller hears 0, no wait.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(sdl2::ShowMessageBox(nullptr, "Error loading skin", "Orbeta", MB_ICONHAND), 0);
}

} // namespace
