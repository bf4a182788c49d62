// What the sound tests share: WAVE images built chunk by chunk, sample data whose
// every frame tells its own index, temporary files, and an instance with one fake
// DirectSound device on which sounds are made.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "fake_direct_sound.h"
#include "fake_host.h"
#include "sounds/sound_buffer.h"

namespace sonidrax::testing {

using Bytes = std::vector<uint8_t>;

// The bytes of frame `index` of a test pattern: never silence (0 or 0x80), and
// unique for the first 2^22 frames of 4-byte frames.
inline Bytes PatternFrame(uint32_t frameSize, uint32_t index) {
    if (frameSize == 1) return {static_cast<uint8_t>(1 + index % 127)};
    if (frameSize == 2) return {static_cast<uint8_t>(index), static_cast<uint8_t>(0x40 | ((index >> 8) & 0x3F))};
    return {static_cast<uint8_t>(index), static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index >> 16),
            static_cast<uint8_t>(0x40 | ((index >> 24) & 0x3F))};
}

inline Bytes Pattern(uint32_t frameSize, uint32_t frames) {
    Bytes data;
    data.reserve(size_t{frameSize} * frames);
    for (uint32_t i = 0; i < frames; ++i) {
        Bytes f = PatternFrame(frameSize, i);
        data.insert(data.end(), f.begin(), f.end());
    }
    return data;
}

inline void PutLe(Bytes& out, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutChunk(Bytes& out, const char* id, const Bytes& body, int64_t claimedSize = -1) {
    out.insert(out.end(), id, id + 4);
    PutLe(out, claimedSize >= 0 ? static_cast<uint32_t>(claimedSize) : static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) out.push_back(0);  // RIFF pads chunks to even sizes
}

struct WaveShape {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t rate = 44100;
    Bytes fmtExtra;  // bytes after the 16 of PCMWAVEFORMAT ("fmt " of 18 bytes: two zero bytes)
    std::vector<std::pair<std::string, Bytes>> chunksBeforeData;
    Bytes data;
    int64_t claimedDataSize = -1;  // the "data" size field, when it is to lie
    std::vector<std::pair<std::string, Bytes>> chunksAfterData;
};

inline uint32_t FrameBytes(const WaveShape& s) { return (s.bits == 16 ? 2u : 1u) * (s.channels == 2 ? 2u : 1u); }

inline Bytes WaveImage(const WaveShape& s) {
    Bytes fmt;
    uint16_t align = static_cast<uint16_t>(s.channels * s.bits / 8);
    PutLe(fmt, s.tag, 2);
    PutLe(fmt, s.channels, 2);
    PutLe(fmt, s.rate, 4);
    PutLe(fmt, s.rate * align, 4);
    PutLe(fmt, align, 2);
    PutLe(fmt, s.bits, 2);
    fmt.insert(fmt.end(), s.fmtExtra.begin(), s.fmtExtra.end());

    Bytes body;
    body.insert(body.end(), {'W', 'A', 'V', 'E'});
    PutChunk(body, "fmt ", fmt);
    for (const auto& [id, bytes] : s.chunksBeforeData) PutChunk(body, id.c_str(), bytes);
    PutChunk(body, "data", s.data, s.claimedDataSize);
    for (const auto& [id, bytes] : s.chunksAfterData) PutChunk(body, id.c_str(), bytes);
    Bytes image;
    PutChunk(image, "RIFF", body);
    return image;
}

// A file in the temporary folder, under a made-up name unless given one, removed
// again with the object.
class TempFile {
public:
    explicit TempFile(const Bytes& contents, const char* name = nullptr) {
        char folder[MAX_PATH] = {};
        char made[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        if (name == nullptr) GetTempFileNameA(folder, "snd", 0, made);
        path_ = name == nullptr ? std::string(made) : std::string(folder) + name;
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file != nullptr) {
            std::fwrite(contents.data(), 1, contents.size(), file);
            std::fclose(file);
        }
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

// A global-memory copy of an image, as the host hands out a member's media.
class GlobalImage {
public:
    explicit GlobalImage(const Bytes& contents) : handle_(GlobalAlloc(GMEM_MOVEABLE, contents.size())) {
        void* p = GlobalLock(handle_);
        std::memcpy(p, contents.data(), contents.size());
        GlobalUnlock(handle_);
    }
    ~GlobalImage() { GlobalFree(handle_); }
    GlobalImage(const GlobalImage&) = delete;
    GlobalImage& operator=(const GlobalImage&) = delete;
    HGLOBAL handle() const { return handle_; }
    // Whether every lock taken on it was given back.
    bool Unlocked() const { return (GlobalFlags(handle_) & GMEM_LOCKCOUNT) == 0; }

private:
    HGLOBAL handle_;
};

// Sounds made with the fake host's allocator and messages on one fake
// DirectSound object. Tear-down checks that nothing the sounds took is left: no
// DirectSound reference but the test's own, no host allocation, no misuse.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory_ = host.NewInstance(sizeof(HostHeader));
        HostCallback* callback = static_cast<HostHeader*>(memory_)->callback;
        void* messages = nullptr;
        callback->ops->QueryInterface(callback, &kIidHostMessages, &messages);
        IDirectSound* ds = nullptr;
        ASSERT_EQ(FakeDirectSoundSystem::Create(nullptr, &ds, nullptr), DS_OK);
        context = SoundContext{host.allocator(), static_cast<HostMessages*>(messages), ds};
        directSoundObject_ = ds;
    }

    void TearDown() override {
        if (context.messages != nullptr) context.messages->ops->Release(context.messages);
        host.DeleteInstance(memory_);
        EXPECT_EQ(directSound.LiveReferences(), 1) << "a sound kept a DirectSound reference";
        directSoundObject_->Release();
        EXPECT_EQ(host.LiveAllocations(), 0) << "a format block was not freed";
        EXPECT_TRUE(directSound.faults.empty()) << directSound.faults.front();
    }

    // What the creator does once a sound is open.
    static void Finish(SoundBuffer& sound) { sound.FinishOpening(D3DVECTOR{}, DS3D_IMMEDIATE); }

    FakeSoundBuffer* Fake(const SoundBuffer& sound) { return directSound.Find(sound.Buffer()); }

    FakeHost host;
    FakeDirectSoundSystem directSound;
    SoundContext context{};

private:
    void* memory_ = nullptr;
    IDirectSound* directSoundObject_ = nullptr;
};

// A test of one sound at a time, given back before the tear-down checks.
template <typename Sound>
class OneSoundTest : public SoundTest {
protected:
    void TearDown() override {
        sound.reset();
        SoundTest::TearDown();
    }

    std::unique_ptr<TempFile> file;
    std::unique_ptr<Sound> sound;
};

}  // namespace sonidrax::testing

namespace sonidrax::testing {

// Plays a sound on the fake device the way a listener hears it: takes the bytes
// under the play cursor as it moves, and compares them with what the data says
// should sound from the starting position on, in the sound's direction.
class Listener {
public:
    Listener(SoundBuffer& sound, FakeSoundBuffer& buffer, const Bytes& data, uint32_t frameSize, int64_t start)
        : sound_(sound), buffer_(buffer), data_(data), frame_(frameSize), start_(start) {}

    // The byte that should sound `t` bytes after the start.
    int Expected(uint64_t t) const {
        int64_t size = static_cast<int64_t>(data_.size());
        int64_t q = 0;
        if (!sound_.Reversed()) {
            q = start_ + static_cast<int64_t>(t);
        } else {
            int64_t frame = static_cast<int64_t>(t / frame_);
            q = start_ - (frame + 1) * frame_ + static_cast<int64_t>(t % frame_);
        }
        if (sound_.GetLoop()) q = ((q % size) + size) % size;
        if (q < 0 || q >= size) return sound_.Format()->wBitsPerSample == 8 ? 0x80 : 0;  // silence
        return data_[static_cast<size_t>(q)];
    }

    // Moves the cursor by n bytes, checking what passes under it. Stops early when
    // the buffer stops.
    ::testing::AssertionResult Hear(uint32_t n) {
        for (uint32_t i = 0; i < n && buffer_.playing; ++i) {
            int heard = buffer_.Bytes()[buffer_.playCursor];
            int expected = Expected(heard_);
            if (heard != expected) {
                return ::testing::AssertionFailure()
                       << "byte " << heard_ << " after the start: heard " << heard << ", expected " << expected;
            }
            buffer_.Advance(1);
            ++heard_;
        }
        return ::testing::AssertionSuccess();
    }

    uint64_t heard() const { return heard_; }

private:
    SoundBuffer& sound_;
    FakeSoundBuffer& buffer_;
    const Bytes& data_;
    uint32_t frame_;
    int64_t start_;
    uint64_t heard_ = 0;
};

}  // namespace sonidrax::testing
