// What streaming adds to decoding: the processor time to keep one MPEG stream
// playing through the ring for its whole length (the fake DirectSound, whose play
// cursor this program moves, and a refill after every step), beside the time to
// decode the same file alone. Runs in the Windows build.
//
//   stream_bench [FILE.mp3] [--rounds N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "decoder/file_input.h"
#include "fake_direct_sound.h"
#include "fake_host.h"
#include "mpeg_codec.h"
#include "sounds/stream_sound.h"

namespace {

using namespace sonidrax;

// Play cursor steps between two refills: about 23 ms of 44100 Hz stereo, as a
// script calling dsStream on every movie frame at 40 frames a second would see.
constexpr DWORD kCursorStep = 4096;

double ProcessSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

struct Modules {
    decoder::InputModule input{};
    decoder::CodecModule codec{};
    Modules() {
        decoder::GetFileInputModule(&input);
        mpeg::GetMpegCodecModule(&codec);
    }
};

// Decodes the whole file into the decoder's own buffer; answers the PCM bytes.
uint64_t DecodeAlone(const Modules& modules, const std::string& path) {
    decoder::Decoder* d = nullptr;
    if (decoder::CreateDecoder(&d) != decoder::kSuccess) return 0;
    decoder::RegisterInputModule(d, &modules.input);
    decoder::RegisterCodecModule(d, &modules.codec);
    uint64_t bytes = 0;
    if (decoder::SelectInput(d, path.c_str(), decoder::kAutomaticModule) == decoder::kSuccess &&
        decoder::OpenInput(d) == decoder::kSuccess) {
        while (decoder::Decode(d, nullptr) == decoder::kSuccess) {
            const decoder::OutputBuffer& b = d->outputBuffer;
            bytes += static_cast<uint64_t>(b.samplesPerChannel) * b.bytesPerSample * b.channels;
        }
        decoder::CloseInput(d);
    }
    decoder::DestroyDecoder(d);
    return bytes;
}

// Plays the file through a default ring until the sound stops by itself; answers
// the bytes the play cursor passed.
uint64_t PlayThroughRing(const Modules& modules, const std::string& path) {
    testing::FakeHost host;
    testing::FakeDirectSoundSystem directSound;
    IDirectSound* ds = nullptr;
    testing::FakeDirectSoundSystem::Create(nullptr, &ds, nullptr);
    uint64_t played = 0;
    {
        StreamSound sound(SoundContext{host.allocator(), nullptr, ds}, false,
                          StreamModules{&modules.input, &modules.codec});
        if (sound.OpenFile(path.c_str(), 0) == kOk) {
            sound.FinishOpening(D3DVECTOR{}, DS3D_IMMEDIATE);
            testing::FakeSoundBuffer* buffer = directSound.Find(sound.Buffer());
            sound.Play();
            while (buffer->playing) {
                buffer->Advance(kCursorStep);
                played += kCursorStep;
                sound.Refill();
            }
        }
    }
    ds->Release();
    return played;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = SONIDRAX_BENCH_MP3;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            path = argv[i];
        }
    }
    Modules modules;
    double alone = 0.0;
    double ring = 0.0;
    uint64_t decoded = 0;
    uint64_t played = 0;
    // Alternating rounds, summed: the processor clock ticks coarsely under Wine.
    for (int r = 0; r < rounds; ++r) {
        double t0 = ProcessSeconds();
        decoded = DecodeAlone(modules, path);
        double t1 = ProcessSeconds();
        played = PlayThroughRing(modules, path);
        double t2 = ProcessSeconds();
        alone += t1 - t0;
        ring += t2 - t1;
    }
    if (decoded == 0 || played == 0 || alone <= 0.0) {
        std::fprintf(stderr, "stream_bench: cannot decode or play %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: %.1f s of audio decoded, %.1f s played through the ring, %d rounds\n", path.c_str(),
                decoded / 176400.0, played / 176400.0, rounds);
    std::printf("processor time per round: decoding alone %.4f s, playing through the ring %.4f s\n", alone / rounds,
                ring / rounds);
    std::printf("ring and sound layers add %.1f%% to decoding (ratio %.3f)\n", (ring / alone - 1.0) * 100.0,
                ring / alone);
    return 0;
}
