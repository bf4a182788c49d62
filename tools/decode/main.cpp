// sonidrax-decode: decodes MPEG audio files to WAVE or raw PCM.
#include <span>

#include "decode/console.h"
#include "decode/decode_run.h"
#include "mpeg_codec.h"

int main(int argc, char** argv) {
    sonidrax::tools::ToolEnvironment environment;
    sonidrax::decoder::CodecModule mpeg{};
    sonidrax::mpeg::GetMpegCodecModule(&mpeg);
    environment.codecs.push_back(mpeg);
    environment.errIsTerminal = sonidrax::tools::IsTerminal(stderr);
    environment.stdoutIsTerminal = sonidrax::tools::IsTerminal(stdout);
    const std::span<const char* const> arguments(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    return sonidrax::tools::RunDecodeTool(arguments, environment);
}
