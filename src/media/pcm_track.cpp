#include "media/pcm_track.h"

namespace sonidrax::media {
namespace {

class PcmTrack : public AudioFile {
public:
    PcmTrack(std::unique_ptr<ByteSource> source, const TrackLayout& layout)
        : source_(std::move(source)), layout_(layout), frameBytes_(frameBytesOf(layout)) {}

    const TrackFormat& format() const override { return layout_.format; }

    size_t readPcm16(uint64_t first, size_t count, int16_t* out) override {
        const uint64_t frames = layout_.format.frames;
        if (out == nullptr || first >= frames) return 0;
        if (count > frames - first) count = static_cast<size_t>(frames - first);
        const size_t channels = layout_.format.channels;
        const size_t piece = sizeof buffer_ / frameBytes_;
        size_t done = 0;
        while (done < count) {
            const size_t wanted = count - done < piece ? count - done : piece;
            // Inside the data, so below the source's size: no overflow.
            const uint64_t offset = layout_.dataOffset + (first + done) * frameBytes_;
            const size_t got = source_->readAt(offset, buffer_, wanted * frameBytes_) / frameBytes_;
            convertToPcm16(layout_.coding, buffer_, got * channels, out + done * channels);
            done += got;
            if (got < wanted) break;
        }
        return done;
    }

private:
    std::unique_ptr<ByteSource> source_;
    TrackLayout layout_;
    size_t frameBytes_;
    // Whole frames of up to 8 channels of 8 bytes fit many times.
    uint8_t buffer_[4096];
};

}  // namespace

std::unique_ptr<AudioFile> makePcmTrack(std::unique_ptr<ByteSource> source, const TrackLayout& layout) {
    return std::make_unique<PcmTrack>(std::move(source), layout);
}

}  // namespace sonidrax::media
