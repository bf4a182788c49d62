#include "codec_instance.h"

namespace sonidrax::mpeg {

int32_t decodeLayer3Frame(MpegCodecInstance& codec, const OutputChannels& out) {
    return codec.layer3.decodeFrame(codec.reader, codec.frame, out);
}

void resetLayer3State(MpegCodecInstance& codec) { codec.layer3.reset(); }

}  // namespace sonidrax::mpeg
