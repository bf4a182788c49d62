// Calls into the codec, guarded so that AbortDecode (and any other exception a
// codec lets escape) ends the call with a status instead of leaving the library.
//
// Why an exception and not setjmp/longjmp: a longjmp out of the codec would skip
// the destructors of every C++ frame between AbortDecode and the decoder, which is
// undefined behaviour as soon as one of them has a non-trivial destructor, and
// nothing lets the decoder check that about a codec written elsewhere. An exception
// unwinds those frames properly. All frames between the guard and AbortDecode are
// C++ code of this program (codec, decoder services, input modules and filters),
// compiled with unwind tables, and both builds link one copy of the runtime
// (natively libgcc_s, in the Windows build a static libgcc with DWARF-2 unwinding),
// so the throw always finds this handler; it never crosses a foreign (C runtime,
// Windows callback) frame. The exception object is the only allocation on that
// path; when the heap is exhausted the runtime's emergency pool still provides it.
#pragma once

#include <new>
#include <utility>

#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {

// What AbortDecode throws. Deliberately not derived from std::exception, so that a
// codec's own handlers for library errors do not swallow it.
struct DecodeAbort {};

// Counts a codec call in progress for as long as it lives.
class CodecCallScope {
public:
    explicit CodecCallScope(Decoder* decoder) : internals_(decoder->internals) { ++internals_->codecCallDepth; }
    ~CodecCallScope() { --internals_->codecCallDepth; }
    CodecCallScope(const CodecCallScope&) = delete;
    CodecCallScope& operator=(const CodecCallScope&) = delete;

private:
    DecoderInternals* internals_;
};

// Runs call(), which answers a Status; an abort gives kDecodeAborted.
template <class Call>
Status GuardedCodecCall(Decoder* decoder, Call&& call) noexcept {
    CodecCallScope scope(decoder);
    try {
        return std::forward<Call>(call)();
    } catch (const DecodeAbort&) {
        return kDecodeAborted;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kDecodeAborted;
    }
}

}  // namespace sonidrax::decoder
