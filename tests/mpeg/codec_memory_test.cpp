// The codec's memory: one allocation per stream, none per frame, and a footprint
// that leaves the whole decoder below 64 KiB beside the caller's buffers.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>

#include "codec_harness.h"
#include "codec_instance.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  ++allocations;
  const std::size_t a = static_cast<std::size_t>(alignment);
  void* p = nullptr;
#if defined(_WIN32)
  p = _aligned_malloc(size == 0 ? 1 : size, a);
#else
  p = std::aligned_alloc(a, ((size == 0 ? 1 : size) + a - 1) / a * a);
#endif
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  try {
    return operator new(size, alignment);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept {
#if defined(_WIN32)
  _aligned_free(p);
#else
  std::free(p);
#endif
}
void operator delete(void* p, std::size_t, std::align_val_t a) noexcept { operator delete(p, a); }

namespace sonidrax::mpeg::testing {
namespace {

TEST(CodecMemory, StateFitsBesideTheDecodersOwnBuffers) {
  // The Decoder's internal PCM buffer is 8 KiB; its records are small.
  EXPECT_LT(sizeof(MpegCodecInstance) + decoder::kInternalBufferBytes + sizeof(decoder::Decoder), 48u * 1024u);
}

TEST(CodecMemory, DecodingAllocatesNothingPerFrame) {
  std::ifstream file(std::string(SONIDRAX_CONFORMANCE_DIR) + "/l3-sin1k0db.bit", std::ios::binary);
  std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
  if (bytes.empty()) GTEST_SKIP() << "conformance streams not found";
  CodecHarness h(std::move(bytes));
  const int32_t opened = h.open();
  ASSERT_TRUE(opened == 0 || opened == -1) << opened;  // the stream starts mid-way
  static int16_t pcm[2304];
  // The first frames build the constant tables that are made at start-up.
  for (int i = 0; i < 4; ++i) ASSERT_EQ(h.decode(pcm), 0);
  const long before = allocations.load();
  int frames = 0;
  while (h.decode(pcm) == 0) ++frames;
  EXPECT_GT(frames, 300);
  EXPECT_EQ(allocations.load(), before);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
