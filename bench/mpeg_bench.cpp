// Decoding speed of the MPEG codec against libmpg123's default decoder, both decoding
// the same in-memory stream on one core: Layers I and II, and Layer III on a sparse
// stream (a 1 kHz sine) and on a dense one (noise coded at 320 kbit/s, made by
// bench/run, given with --dense).
//
//   mpeg_bench [--seconds S] [--dense FILE] [--once STREAM] [--alone]
//   mpeg_bench --noise FILE
//
// Time is the process's CPU time, so that other work on the machine does not count.
// The two decoders run in interleaved rounds and each figure is the median over the
// rounds: times real time for each decoder and the ratio (ours / peer) of each round.
// --alone leaves the peer out. --once decodes one stream once with the codec alone,
// inside benchDecodeLoop, for instruction counting under callgrind
// (--toggle-collect=benchDecodeLoop). The synthesis runs on the codec's own choice of
// path, which the environment variable SONIDRAX_SYNTHESIS forces. --noise writes the dense stream's source signal
// as raw 16-bit stereo samples at 44100 Hz.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "library_decoder.h"
#include "mpeg_codec.h"
#include "synthesis_path.h"

#if defined(SONIDRAX_BENCH_PEER)
#include <mpg123.h>
#endif

namespace {

using sonidrax::mpeg::testing::LibraryDecoder;

struct Case {
    const char* layer;
    std::string name;
    std::string path;
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Decodes the whole stream once; answers the seconds of audio produced.
__attribute__((noinline)) double benchDecodeLoop(LibraryDecoder& codec) {
    static int16_t pcm[sonidrax::mpeg::kMaxOutputBytes / 2];
    sonidrax::decoder::SeekBytes(codec.d, 0);
    double seconds = 0.0;
    for (;;) {
        const int32_t result = sonidrax::decoder::Decode(codec.d, pcm);
        if (result == -700) continue;
        if (result != 0) break;
        seconds += static_cast<double>(codec.output().samplesPerChannel) / codec.output().sampleRate;
    }
    return seconds;
}

// Times real time of whole passes over the stream taking at least `slice` CPU seconds.
template <typename Pass>
double timeRound(double slice, Pass pass) {
    const double start = cpuSeconds();
    double audio = 0.0;
    double spent = 0.0;
    do {
        audio += pass();
        spent = cpuSeconds() - start;
    } while (spent < slice);
    return audio / spent;
}

#if defined(SONIDRAX_BENCH_PEER)
class Peer {
public:
    explicit Peer(const std::vector<uint8_t>& stream) : stream_(stream) {
        int error = 0;
        handle_ = mpg123_new(nullptr, &error);
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    }
    ~Peer() { mpg123_delete(handle_); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    // Decodes the whole stream once; answers the seconds of audio produced.
    double pass() {
        mpg123_open_feed(handle_);
        mpg123_feed(handle_, stream_.data(), stream_.size());
        double seconds = 0.0;
        for (;;) {
            off_t frame;
            unsigned char* audio;
            size_t bytes = 0;
            const int status = mpg123_decode_frame(handle_, &frame, &audio, &bytes);
            if (status == MPG123_NEW_FORMAT) {
                int encoding = 0;
                mpg123_getformat(handle_, &rate_, &channels_, &encoding);
                continue;
            }
            if (status != MPG123_OK) break;
            if (rate_ > 0 && channels_ > 0) seconds += static_cast<double>(bytes) / (2.0 * channels_ * rate_);
        }
        mpg123_close(handle_);
        return seconds;
    }

private:
    const std::vector<uint8_t>& stream_;
    mpg123_handle* handle_ = nullptr;
    // The format is announced once per handle, not once per reopening.
    long rate_ = 0;
    int channels_ = 0;
};
#endif

// Rounds of about 0.2 CPU seconds per decoder, alternating, for `seconds` per decoder.
void compare(const Case& c, const std::vector<uint8_t>& stream, double seconds, bool alone) {
    constexpr double kSlice = 0.2;
    LibraryDecoder codec;
    codec.open(stream);
    std::vector<double> ours, peers, ratios;
#if defined(SONIDRAX_BENCH_PEER)
    Peer peer(stream);
#else
    alone = true;
#endif
    for (double spent = 0.0; spent < seconds; spent += kSlice) {
        ours.push_back(timeRound(kSlice, [&codec] { return benchDecodeLoop(codec); }));
#if defined(SONIDRAX_BENCH_PEER)
        if (alone) continue;
        peers.push_back(timeRound(kSlice, [&peer] { return peer.pass(); }));
        ratios.push_back(ours.back() / peers.back());
#endif
    }
    std::printf("Layer %-3s %-12s sonidrax %7.0fx real time", c.layer, c.name.c_str(), median(ours));
    if (!alone) std::printf("   libmpg123 %7.0fx   ratio %.2f", median(peers), median(ratios));
    std::printf("\n");
    std::fflush(stdout);
}

// Ten seconds of independent noise in each channel, shaped by a slow swell so that
// the coder sees changing levels: every band of the spectrum carries values.
int writeNoise(const char* path) {
    constexpr int kRate = 44100;
    std::vector<int16_t> samples(2 * 10 * kRate);
    uint32_t seed = 12345;
    float previous[2] = {};
    for (size_t i = 0; i < samples.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float white = static_cast<float>(static_cast<int32_t>(seed) >> 8) / 8388608.0f;
        float& last = previous[i % 2];
        last = 0.7f * white + 0.3f * last;  // a gentle tilt towards low frequencies
        const float swell = 0.55f + 0.45f * static_cast<float>((i / 2) % kRate) / kRate;
        samples[i] = static_cast<int16_t>(12000.0f * swell * last);
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    const size_t written = std::fwrite(samples.data(), sizeof(int16_t), samples.size(), file);
    std::fclose(file);
    return written == samples.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 2.0;
    std::string once;
    std::string dense;
    bool alone = false;  // without the peer
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--noise") == 0 && i + 1 < argc) return writeNoise(argv[++i]);
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atof(argv[++i]);
        if (std::strcmp(argv[i], "--dense") == 0 && i + 1 < argc) dense = argv[++i];
        if (std::strcmp(argv[i], "--once") == 0 && i + 1 < argc) once = argv[++i];
        if (std::strcmp(argv[i], "--alone") == 0) alone = true;
    }
    const std::string directory = SONIDRAX_CONFORMANCE_DIR;
    std::vector<Case> cases = {{"I", "l1-fl8", directory + "/l1-fl8.bit"},
                               {"II", "l2-fl11", directory + "/l2-fl11.bit"},
                               {"III", "l3-sin1k0db", directory + "/l3-sin1k0db.bit"}};
    if (!dense.empty()) cases.push_back({"III", "dense-320k", dense});
#if defined(SONIDRAX_BENCH_PEER)
    mpg123_init();
#endif
    // The codec's choice, which SONIDRAX_SYNTHESIS can force.
    if (once.empty()) std::printf("synthesis path: %s\n", synthesisPathName(sonidrax::mpeg::synthesisPath()));
    for (const Case& c : cases) {
        if (!once.empty() && c.name != once) continue;
        const std::vector<uint8_t> stream = readFile(c.path);
        if (stream.empty()) {
            std::fprintf(stderr, "cannot read %s\n", c.path.c_str());
            return 1;
        }
        if (!once.empty()) {
            LibraryDecoder codec;
            codec.open(stream);
            std::printf("%s: %.3f s of audio decoded once\n", c.name.c_str(), benchDecodeLoop(codec));
            continue;
        }
        compare(c, stream, seconds, alone);
    }
    return 0;
}
