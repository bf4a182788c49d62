#include "decode/stream_report.h"

#include <cstdio>

namespace sonidrax::tools {
namespace {

using decoder::Decoder;
using decoder::kSuccess;

std::string Line(const char* name, const std::string& value) {
    std::string line = name;
    line += ':';
    line.append(line.size() < 13 ? 13 - line.size() : 1, ' ');
    return line + value + "\n";
}

bool Integer(Decoder* d, const char* name, std::int32_t* value) {
    return decoder::GetIntegerProperty(d->status.statusProperties, name, value) == kSuccess;
}

bool Text(Decoder* d, const char* name, std::string* value) {
    char text[256];
    if (decoder::GetStringProperty(d->status.statusProperties, name, text, sizeof text) != kSuccess) return false;
    *value = text;
    return true;
}

const char* LevelName(std::int32_t level) {
    switch (level) {
        case 1:
            return "MPEG-1";
        case 2:
            return "MPEG-2";
        case 0:
            return "MPEG-2.5";
        default:
            return "MPEG";
    }
}

const char* ModeName(std::int32_t mode) {
    switch (mode) {
        case 0:
            return "stereo";
        case 1:
            return "joint stereo";
        case 2:
            return "dual channel";
        case 3:
            return "single channel";
        default:
            return "unknown mode";
    }
}

const char* LayerName(std::int32_t layer) {
    switch (layer) {
        case 1:
            return "Layer I";
        case 2:
            return "Layer II";
        case 3:
            return "Layer III";
        default:
            return "unknown layer";
    }
}

// "MPEG-1 Layer III, joint stereo" from the codec's properties, or the MIME type.
std::string StreamLine(Decoder* d) {
    std::int32_t level = 0, layer = 0, mode = 0;
    if (Integer(d, "mpeg/layer", &layer)) {
        std::string s = Integer(d, "mpeg/level", &level) ? LevelName(level) : "MPEG";
        s += " ";
        s += LayerName(layer);
        if (Integer(d, "mpeg/mode", &mode)) s += std::string(", ") + ModeName(mode);
        return s;
    }
    return d->status.mimeType != nullptr ? d->status.mimeType : "unknown";
}

}  // namespace

std::string FormatTime(const decoder::Timecode& t) {
    char text[48];
    if (t.hours > 0) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", t.hours, t.minutes, t.seconds, t.hundredths);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d.%02d", t.minutes, t.seconds, t.hundredths);
    }
    return text;
}

std::string FormatDuration(std::uint32_t milliseconds) {
    return FormatTime(decoder::SecondsToTimecode(milliseconds / 1000.0));
}

std::string DescribeStream(Decoder* d, const std::string& inputName) {
    const decoder::DecoderStatus& status = d->status;
    const decoder::OutputBuffer& out = d->outputBuffer;
    std::string report = Line("Input", inputName == "-" ? "standard input" : inputName);
    report += Line("Stream", StreamLine(d));
    const std::int32_t rate = status.sampleRate != 0 ? status.sampleRate : out.sampleRate;
    const std::int32_t channels = status.channels != 0 ? status.channels : out.channels;
    report += Line("Sample rate", rate != 0 ? std::to_string(rate) + " Hz" : "unknown");
    report += Line("Channels", channels != 0 ? std::to_string(channels) : "unknown");
    report += Line("Bit rate", status.bitrate != 0 ? std::to_string(status.bitrate) + " kbit/s" : "unknown");
    report += Line("Duration", status.durationMs != 0 ? FormatDuration(status.durationMs) : "unknown");
    if (out.sampleRate != 0 && (out.sampleRate != rate || out.channels != channels)) {
        report += Line("Output", std::to_string(out.sampleRate) + " Hz, " + std::to_string(out.channels) +
                                     (out.channels == 1 ? " channel" : " channels"));
    }
    struct Field {
        const char* property;
        const char* label;
    };
    static constexpr Field kTextFields[] = {{"id3/title", "Title"},
                                            {"id3/artist", "Artist"},
                                            {"id3/album", "Album"},
                                            {"id3/year", "Year"},
                                            {"id3/comment", "Comment"}};
    for (const Field& f : kTextFields) {
        std::string value;
        if (Text(d, f.property, &value) && !value.empty()) report += Line(f.label, value);
    }
    std::int32_t genre = -1;
    if (Integer(d, "id3/genre", &genre) && genre >= 0) report += Line("Genre", std::to_string(genre));
    return report;
}

}  // namespace sonidrax::tools
