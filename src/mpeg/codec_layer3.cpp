#include "codec_instance.h"
#include "status.h"

namespace sonidrax::mpeg {

// Until the Layer III decoder is connected, its frames come out as silence of the
// right length, so that timing and positions stay true.
int32_t decodeLayer3Frame(MpegCodecInstance& codec, const OutputChannels& out) {
  const uint32_t granules = codec.frame.version == kVersionMpeg1 ? 2 : 1;
  for (uint32_t block = 0; block < 18 * granules; ++block) {
    if (out.left != nullptr) out.left->silence();
    if (out.right != nullptr && out.right != out.left) out.right->silence();
  }
  return kOk;
}

void resetLayer3State(MpegCodecInstance&) {}

}  // namespace sonidrax::mpeg
