#include "media/audio_file.h"

#include <cstring>

#include "media/aiff_reader.h"
#include "media/au_reader.h"
#include "media/pcm_track.h"
#include "media/source_read.h"
#include "media/wave_reader.h"

namespace sonidrax::media {
namespace {

bool startsWith(const uint8_t* bytes, const char* text) { return std::memcmp(bytes, text, 4) == 0; }

// The container from its first twelve bytes: the form ids of IFF and RIFF sit at
// offset 8, after the form's size; AU starts with its magic.
OpenResult parseContainer(ByteSource& source, TrackLayout& layout) {
    uint8_t head[12];
    const size_t got = source.readAt(0, head, sizeof head);
    if (got >= 4 && startsWith(head, ".snd")) return parseAu(source, layout);
    if (got < sizeof head) return OpenResult::kNotAudio;
    if (startsWith(head, "FORM") && startsWith(head + 8, "AIFF")) return parseAiff(source, false, layout);
    if (startsWith(head, "FORM") && startsWith(head + 8, "AIFC")) return parseAiff(source, true, layout);
    if (startsWith(head, "RIFF") && startsWith(head + 8, "WAVE")) return parseWave(source, layout);
    return OpenResult::kNotAudio;
}

}  // namespace

OpenResult AudioFile::open(std::unique_ptr<ByteSource> source, std::unique_ptr<AudioFile>& file) {
    file.reset();
    if (!source) return OpenResult::kNotAudio;
    TrackLayout layout;
    const OpenResult result = parseContainer(*source, layout);
    if (result != OpenResult::kOpened) return result;
    file = makePcmTrack(std::move(source), layout);
    return OpenResult::kOpened;
}

}  // namespace sonidrax::media
