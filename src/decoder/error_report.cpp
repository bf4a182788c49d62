#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {

void ReportError(const Decoder* decoder, std::int32_t moduleId, const char* category, const char* detail) {
    if (decoder == nullptr || decoder->errorCallback == nullptr) return;
    decoder->errorCallback(decoder->errorUserValue, moduleId, 0, category, detail);
}

Status InternalError(const Decoder* decoder, const char* detail) {
    ReportError(decoder, 0, kInternalErrorCategory, detail);
    return kInternalError;
}

Status SetErrorCallback(Decoder* decoder, ErrorCallback callback, void* userValue) {
    if (decoder == nullptr) return kInvalidParameters;
    decoder->errorCallback = callback;
    decoder->errorUserValue = userValue;
    return kSuccess;
}

}  // namespace sonidrax::decoder
