// Decoding speed of the MPEG codec against libmpg123's default decoder, both decoding
// the same in-memory stream in a loop on one core, for Layers I, II and III.
//
//   mpeg_bench [--seconds S] [--once LAYER] [--alone]
//
// Prints times real time for each decoder and the ratio (ours / peer); --alone leaves
// the peer out. With --once it
// decodes the layer's stream once with the codec alone, inside benchDecodeLoop, for
// instruction counting under callgrind (--toggle-collect=benchDecodeLoop).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec_harness.h"
#include "mpeg_codec.h"

#if defined(SONIDRAX_BENCH_PEER)
#include <mpg123.h>
#endif

namespace {

using sonidrax::mpeg::testing::CodecHarness;
using Clock = std::chrono::steady_clock;

struct Case {
  int layer;
  const char* stream;
};

// 44100 Hz stereo streams, one per layer.
const Case kCases[] = {{1, "l1-fl8"}, {2, "l2-fl11"}, {3, "l3-sin1k0db"}};

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Result {
  double audioSeconds = 0.0;
  double wallSeconds = 0.0;
  double realTime() const { return wallSeconds > 0.0 ? audioSeconds / wallSeconds : 0.0; }
};

// Decodes the whole stream once; answers the seconds of audio produced.
__attribute__((noinline)) double benchDecodeLoop(CodecHarness& codec) {
  static int16_t pcm[sonidrax::mpeg::kMaxOutputBytes / 2];
  codec.seekBytes(0);
  double seconds = 0.0;
  for (;;) {
    const int32_t result = codec.decode(pcm);
    if (result == -700) continue;
    if (result != 0) break;
    seconds += static_cast<double>(codec.output().samplesPerChannel) / codec.output().sampleRate;
  }
  return seconds;
}

// Adds at least `slice` seconds of decoding to the result.
void runOurs(CodecHarness& codec, double slice, Result& r) {
  const auto start = Clock::now();
  double wall = 0.0;
  do {
    r.audioSeconds += benchDecodeLoop(codec);
    wall = std::chrono::duration<double>(Clock::now() - start).count();
  } while (wall < slice);
  r.wallSeconds += wall;
}

#if defined(SONIDRAX_BENCH_PEER)
struct Peer {
  mpg123_handle* handle = nullptr;
  // The format is announced once per handle, not once per reopening.
  long rate = 0;
  int channels = 0;
  Peer() {
    int error = 0;
    handle = mpg123_new(nullptr, &error);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  }
  ~Peer() { mpg123_delete(handle); }
};

void runPeer(Peer& peer, const std::vector<uint8_t>& stream, double slice, Result& r) {
  mpg123_handle* handle = peer.handle;
  long& rate = peer.rate;
  int& channels = peer.channels;
  int encoding = 0;
  const auto start = Clock::now();
  double wall = 0.0;
  do {
    mpg123_open_feed(handle);
    mpg123_feed(handle, stream.data(), stream.size());
    size_t bytes = 0;
    for (;;) {
      off_t frame;
      unsigned char* audio;
      const int status = mpg123_decode_frame(handle, &frame, &audio, &bytes);
      if (status == MPG123_NEW_FORMAT) {
        mpg123_getformat(handle, &rate, &channels, &encoding);
        continue;
      }
      if (status != MPG123_OK) break;
      if (rate > 0 && channels > 0) r.audioSeconds += static_cast<double>(bytes) / (2.0 * channels * rate);
    }
    mpg123_close(handle);
    wall = std::chrono::duration<double>(Clock::now() - start).count();
  } while (wall < slice);
  r.wallSeconds += wall;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2.0;
  int once = 0;
  bool alone = false;  // without the peer
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atof(argv[++i]);
    if (std::strcmp(argv[i], "--once") == 0 && i + 1 < argc) once = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--alone") == 0) alone = true;
  }
  const std::string directory = SONIDRAX_CONFORMANCE_DIR;
#if defined(SONIDRAX_BENCH_PEER)
  mpg123_init();
#endif
  for (const Case& c : kCases) {
    if (once != 0 && c.layer != once) continue;
    const std::vector<uint8_t> stream = readFile(directory + "/" + c.stream + ".bit");
    if (stream.empty()) {
      std::fprintf(stderr, "cannot read %s/%s.bit\n", directory.c_str(), c.stream);
      return 1;
    }
    if (once != 0) {
      CodecHarness codec(stream);
      codec.open();
      std::printf("layer %d %s: %.3f s of audio decoded once\n", c.layer, c.stream, benchDecodeLoop(codec));
      continue;
    }
    // Both decoders run in alternating slices, so that a change in the machine's load
    // affects both alike.
    CodecHarness codec(stream);
    codec.open();
    Result ours;
#if defined(SONIDRAX_BENCH_PEER)
    Peer peerDecoder;
    Result peer;
#endif
    for (double spent = 0.0; spent < seconds; spent += 0.1) {
      runOurs(codec, 0.05, ours);
#if defined(SONIDRAX_BENCH_PEER)
      if (!alone) runPeer(peerDecoder, stream, 0.05, peer);
#endif
    }
    std::printf("Layer %-3s %-12s sonidrax %7.0fx real time", c.layer == 1 ? "I" : (c.layer == 2 ? "II" : "III"),
                c.stream, ours.realTime());
#if defined(SONIDRAX_BENCH_PEER)
    if (!alone) std::printf("   libmpg123 %7.0fx   ratio %.2f", peer.realTime(), ours.realTime() / peer.realTime());
#endif
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
