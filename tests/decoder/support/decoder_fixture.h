// A fresh Decoder per test, with its error reports collected.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "memory_input.h"
#include "support/recording_output.h"
#include "support/test_codec.h"

namespace sonidrax::decoder::testing {

struct ErrorReport {
    std::string category;
    std::string detail;
};

class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A fresh decoder, for the next case of a table.
    void Renew() {
        TearDown();
        SetUp();
    }

    // The details of the reports so far.
    std::vector<std::string> Details() const;
    // Registers a memory input holding `bytes` as "mem:s" and a test codec, selects
    // and opens it; the codec's events so far are forgotten.
    void OpenStream(const std::vector<std::uint8_t>& bytes, const TestCodecOptions& codec = {},
                    const MemoryInputOptions& input = {});
    // Registers a recording output, selects and opens it.
    void OpenRecorder(const RecordingOutputOptions& options = {});
    // The bytes of the last decoded block.
    std::vector<std::uint8_t> DecodedBytes() const;

    Decoder* decoder = nullptr;
    std::vector<ErrorReport> reports;
};

}  // namespace sonidrax::decoder::testing
