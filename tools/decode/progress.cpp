#include "decode/progress.h"

#include "decode/stream_report.h"

namespace sonidrax::tools {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

std::string ProgressText(const decoder::DecoderStatus& status) {
    std::string text = FormatTime(status.timecode);
    if (status.durationMs == 0) return text;
    text += " / " + FormatDuration(status.durationMs);
    const int percent = static_cast<int>(status.position * 100.0f);
    text += "  " + std::to_string(percent) + "%";
    return text;
}

void ProgressLine::Update(const decoder::DecoderStatus& status) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < kRedrawInterval) return;
    last_ = now;
    std::string text = ProgressText(status);
    const std::size_t length = text.size();
    // Blanks over what a longer previous line left behind.
    if (length < width_) text.append(width_ - length, ' ');
    width_ = length;
    std::fprintf(stream_, "\r%s", text.c_str());
    std::fflush(stream_);
    shown_ = true;
}

void ProgressLine::Finish() {
    if (!shown_) return;
    std::fprintf(stream_, "\r%s\r", std::string(width_, ' ').c_str());
    std::fflush(stream_);
    shown_ = false;
}

}  // namespace sonidrax::tools
