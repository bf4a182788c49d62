// What the sound tests share: WAVE images built chunk by chunk, sample data whose
// every frame tells its own index, files, sounds on one fake DirectSound
// device, and a listener that hears what passes under the play cursor.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_direct_sound.h"
#include "fake_host.h"
#include "sounds/sound_buffer.h"
#include "working_files.h"

namespace sonidrax::testing {

using Bytes = std::vector<uint8_t>;

// Frame i holds i in its low bytes and a top byte of 0x40..0x7F: never silence
// (0 or 0x80), and unique for the first 2^22 frames of 4-byte frames.
inline Bytes Pattern(uint32_t frameSize, uint32_t frames) {
    Bytes data;
    for (uint32_t i = 0; i < frames; ++i) {
        for (uint32_t b = 0; b < frameSize; ++b) {
            uint32_t byte = i >> (8 * b);
            data.push_back(static_cast<uint8_t>(b + 1 < frameSize ? byte : 0x40 | (byte & 0x3F)));
        }
    }
    return data;
}

inline void PutLe(Bytes& out, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutChunk(Bytes& out, const char* id, const Bytes& body) {
    out.insert(out.end(), id, id + 4);
    PutLe(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) out.push_back(0);  // RIFF pads chunks to even sizes
}

using Chunks = std::vector<std::pair<std::string, Bytes>>;

struct WaveShape {
    uint16_t channels = 2;
    uint16_t bits = 16;
    Bytes data{};
    uint32_t rate = 44100;
    uint16_t tag = 1;
    Bytes fmtExtra{};  // bytes after the 16 of PCMWAVEFORMAT ("fmt " of 18 bytes: two zero bytes)
    Chunks chunksBeforeData{};
    Chunks chunksAfterData{};
};

inline Bytes WaveImage(const WaveShape& s) {
    Bytes fmt;
    uint32_t align = s.channels * s.bits / 8u;
    for (uint32_t word : {uint32_t{s.tag} | s.channels << 16, s.rate, s.rate * align, align | s.bits << 16}) {
        PutLe(fmt, word, 4);
    }
    fmt.insert(fmt.end(), s.fmtExtra.begin(), s.fmtExtra.end());
    Bytes body = {'W', 'A', 'V', 'E'};
    PutChunk(body, "fmt ", fmt);
    for (const auto& [id, bytes] : s.chunksBeforeData) PutChunk(body, id.c_str(), bytes);
    PutChunk(body, "data", s.data);
    for (const auto& [id, bytes] : s.chunksAfterData) PutChunk(body, id.c_str(), bytes);
    Bytes image;
    PutChunk(image, "RIFF", body);
    return image;
}

// Sounds made with the fake host's allocator and messages on one fake
// DirectSound object. Tear-down gives back `sound` and checks that nothing the
// sounds took is left: no DirectSound reference but the test's own, no host
// allocation, no misuse.
template <typename Sound>
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FakeDirectSoundSystem::Create(nullptr, &directSoundObject_, nullptr), DS_OK);
        context = SoundContext{host.allocator(), &host.record().messages.iface, directSoundObject_};
    }

    void TearDown() override {
        sound.reset();
        EXPECT_EQ(directSound.LiveReferences(), 1) << "a sound kept a DirectSound reference";
        directSoundObject_->Release();
        EXPECT_EQ(host.LiveAllocations(), 0) << "a format block was not freed";
        EXPECT_TRUE(directSound.faults.empty()) << directSound.faults.front();
    }

    // What the creator does once a sound is open.
    static void Finish(SoundBuffer& sound) { sound.FinishOpening(D3DVECTOR{}, DS3D_IMMEDIATE); }

    // Opens a global-memory copy of the image, as the host hands out a member's media.
    static Status OpenImage(SoundBuffer& sound, const Bytes& image) {
        HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, image.size());
        if (!image.empty()) std::memcpy(GlobalLock(handle), image.data(), image.size());
        GlobalUnlock(handle);
        Status status = sound.OpenMemory(handle, 0);
        EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 0u) << "the image must be unlocked again";
        GlobalFree(handle);
        if (status == kOk) Finish(sound);
        return status;
    }

    FakeSoundBuffer* Fake(const SoundBuffer& sound) { return directSound.Find(sound.Buffer()); }

    FakeHost host;
    FakeDirectSoundSystem directSound;
    SoundContext context{};
    std::unique_ptr<Sound> sound;

private:
    IDirectSound* directSoundObject_ = nullptr;
};

// Plays a sound on the fake device the way a listener hears it: takes the bytes
// under the play cursor as it moves, and compares them with what the data says
// should sound from the starting position on, in the sound's direction.
struct Listener {
    // The byte that should sound `t` bytes after the start.
    int Expected(uint64_t t) const {
        int64_t size = static_cast<int64_t>(data.size());
        int64_t q = start + static_cast<int64_t>(t);
        if (sound.Reversed()) q = start - static_cast<int64_t>((t / frame + 1) * frame - t % frame);
        if (sound.GetLoop()) q = ((q % size) + size) % size;
        if (q < 0 || q >= size) return sound.Format()->wBitsPerSample == 8 ? 0x80 : 0;  // silence
        return data[static_cast<size_t>(q)];
    }

    // Moves the cursor by n bytes, checking what passes under it. Stops early when
    // the buffer stops.
    ::testing::AssertionResult Hear(uint32_t n) {
        for (uint32_t i = 0; i < n && buffer.playing; ++i, ++heard, buffer.Advance(1)) {
            if (buffer.Bytes()[buffer.playCursor] != Expected(heard)) {
                return ::testing::AssertionFailure()
                       << "byte " << heard << " after the start: heard " << int{buffer.Bytes()[buffer.playCursor]}
                       << ", expected " << Expected(heard);
            }
        }
        return ::testing::AssertionSuccess();
    }

    SoundBuffer& sound;
    FakeSoundBuffer& buffer;
    const Bytes& data;
    uint32_t frame;
    int64_t start;
    uint64_t heard = 0;
};

}  // namespace sonidrax::testing
