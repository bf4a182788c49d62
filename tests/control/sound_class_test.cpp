// The handlers reach a sound only through its virtual operations, so a sound class
// of its own (one that plays through something other than a DirectSound buffer,
// and has no format block) is driven the same way and never crashes a handler.
#include <gtest/gtest.h>

#include "xtra_fixture.h"
#include "engine/sound_engine.h"
#include "engine/sound_table.h"

namespace sonidrax {
namespace {

using testing::XtraTest;

constexpr uint16_t kScriptedKind = 99;

class ScriptedSound : public SoundBuffer {
public:
    ScriptedSound(const SoundContext& context, std::vector<std::string>* log)
        : SoundBuffer(context, kScriptedKind, false), log_(log) {}

    Status Refill() override { return Note("Refill"); }
    Status SetPosition(int32_t pos) override { return Note("SetPosition " + std::to_string(pos)); }
    uint32_t GetPosition() override { return Note("GetPosition", 12345u); }
    Status Stop() override { return Note("Stop"); }
    bool IsPlaying() override { return Note("IsPlaying", true); }
    Status Reverse() override { return Note("Reverse"); }
    Status SetPitch(double factor) override { return Note("SetPitch " + std::to_string(factor)); }
    double GetPitch() override { return Note("GetPitch", 0.75); }
    Status SetVolume(int32_t v) override { return Note("SetVolume " + std::to_string(v)); }
    int32_t GetVolume() override { return Note("GetVolume", -1000); }
    Status SetPan(int32_t p) override { return Note("SetPan " + std::to_string(p)); }
    int32_t GetPan() override { return Note("GetPan", 300); }
    Status SetLoop(bool on) override {
        SoundBuffer::SetLoop(on);
        return Note(on ? "SetLoop 1" : "SetLoop 0");
    }
    Status Play() override { return Note("Play"); }

private:
    template <typename Answer = Status>
    Answer Note(const std::string& operation, Answer answer = kOk) {
        log_->push_back(operation);
        return answer;
    }
    std::vector<std::string>* log_;
};

class SoundClass : public XtraTest {
protected:
    void SetUp() override {
        XtraTest::SetUp();
        AddSound(xtra(), new ScriptedSound(SoundContextOf(xtra()), &log));
    }
    std::vector<std::string> log;
};

TEST_F(SoundClass, HandlersCallTheClassesOwnOperations) {
    const auto expectOperation = [&](const std::string& method, std::vector<ScriptValue> extra, const char* operation) {
        log.clear();
        extra.insert(extra.begin(), Int(1));
        EXPECT_EQ(Call(method, extra), 0) << method;
        EXPECT_EQ(log, std::vector<std::string>{operation}) << method;
    };
    // These call the operation of their own name.
    for (const std::string method : {"dsPlay", "dsStop", "dsReverse", "dsIsPlaying", "dsGetPosition", "dsGetPitch"}) {
        expectOperation(method, {}, method.c_str() + 2);
    }
    expectOperation("dsStream", {}, "Refill");
    expectOperation("dsSetPosition", {Int(400)}, "SetPosition 400");
    expectOperation("dsSetLinearVolume", {Int(128)}, "SetVolume -988");
    expectOperation("dsGetLinearVolume", {}, "GetVolume");
    expectOperation("dsSetPan", {Int(-300)}, "SetPan -300");
    expectOperation("dsSetPitch", {Float(1.5)}, "SetPitch 1.500000");
    expectOperation("dsSetLoop", {Int(3)}, "SetLoop 1");
    Call("dsGetLinearVolume", {Int(1)});
    EXPECT_EQ(ResultInteger(), 127);
    Call("dsGetPan", {Int(1)});
    EXPECT_EQ(ResultInteger(), 300);
    Call("dsGetPitch", {Int(1)});
    EXPECT_DOUBLE_EQ(ResultFloat(), 0.75);
}

TEST_F(SoundClass, ASoundWithoutFormatBufferOrFileAnswersZerosAndEmptyLists) {
    for (const std::string method :
         {"dsGetSampleRate", "dsGetSampleSize", "dsGetChannelCount", "dsGetDuration", "dsGetTime", "dsGetSize"}) {
        ASSERT_EQ(Call(method, {Int(1)}), 0) << method;
        EXPECT_EQ(ResultInteger(), 0) << method;
    }
    log.clear();
    ASSERT_EQ(Call("dsSetTime", {Int(1), Int(500)}), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"SetPosition 0"}));
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(1)}), 0);
    EXPECT_TRUE(ResultIsEmptyList());
    ASSERT_EQ(Call("dsGet3DPosition", {Int(1)}), 0);
    EXPECT_TRUE(NoResult());
}

TEST_F(SoundClass, SynchronisingFollowsThroughTheVirtualOperations) {
    const int32_t lead = NewSound({2, 16, 22050, 20000});
    Call("dsPlay", {Int(lead)});
    FakeBuffer(lead).SetPlayCursor(4000);
    log.clear();
    ASSERT_EQ(Call("dsSynchronize", {Int(lead), Int(1)}), 0);
    // The scripted sound already plays, so it is only placed, twice.
    EXPECT_EQ(log, (std::vector<std::string>{"SetPosition 4000", "IsPlaying", "SetPosition 4000"}));
}

}  // namespace
}  // namespace sonidrax
