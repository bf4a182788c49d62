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
    uint32_t GetPosition() override {
        Note("GetPosition");
        return 12345;
    }
    Status Stop() override { return Note("Stop"); }
    bool IsPlaying() override {
        Note("IsPlaying");
        return true;
    }
    Status Reverse() override { return Note("Reverse"); }
    Status SetPitch(double factor) override { return Note("SetPitch " + std::to_string(factor)); }
    double GetPitch() override {
        Note("GetPitch");
        return 0.75;
    }
    Status SetVolume(int32_t v) override { return Note("SetVolume " + std::to_string(v)); }
    int32_t GetVolume() override {
        Note("GetVolume");
        return -1000;
    }
    Status SetPan(int32_t p) override { return Note("SetPan " + std::to_string(p)); }
    int32_t GetPan() override {
        Note("GetPan");
        return 300;
    }
    Status SetLoop(bool on) override {
        SoundBuffer::SetLoop(on);
        return Note(on ? "SetLoop 1" : "SetLoop 0");
    }
    Status Play() override { return Note("Play"); }

private:
    Status Note(const std::string& operation) {
        log_->push_back(operation);
        return kOk;
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
    struct Case {
        std::string method;
        std::vector<ScriptValue> extra;
        std::vector<std::string> operations;
    };
    const std::vector<Case> cases = {
        {"dsPlay", {}, {"Play"}},
        {"dsStop", {}, {"Stop"}},
        {"dsStream", {}, {"Refill"}},
        {"dsReverse", {}, {"Reverse"}},
        {"dsIsPlaying", {}, {"IsPlaying"}},
        {"dsGetPosition", {}, {"GetPosition"}},
        {"dsSetPosition", {Int(400)}, {"SetPosition 400"}},
        {"dsSetLinearVolume", {Int(128)}, {"SetVolume -988"}},
        {"dsGetLinearVolume", {}, {"GetVolume"}},
        {"dsSetPan", {Int(-300)}, {"SetPan -300"}},
        {"dsGetPitch", {}, {"GetPitch"}},
        {"dsSetPitch", {Float(1.5)}, {"SetPitch 1.500000"}},
        {"dsSetLoop", {Int(3)}, {"SetLoop 1"}},
    };
    for (const Case& c : cases) {
        log.clear();
        std::vector<ScriptValue> args = {Int(1)};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(Call(c.method, args), 0) << c.method;
        EXPECT_EQ(log, c.operations) << c.method;
    }
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
