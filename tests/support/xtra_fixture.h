// A SoundXtra instance made the way a host makes one, on the stand-in host's
// services and the fake DirectSound, with calls by method name, member and file
// sounds of a given shape, and results read back. Tear-down checks that neither
// the host nor DirectSound was misused.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/direct_sound_api.h"
#include "engine/output_device.h"
#include "engine/sound_xtra.h"
#include "fake_direct_sound.h"
#include "fake_host.h"
#include "frame/method_table.h"
#include "module/exports.h"
#include "module/script_object.h"
#include "sounds/sound_buffer.h"
#include "working_files.h"

namespace sonidrax::testing {

constexpr Status kRefused = static_cast<Status>(0x800407D8);
constexpr Status kNoVector = static_cast<Status>(0x800407E5);
constexpr int32_t kRefusedError = -9;
// A script error code that no handler produces, to see whether one was recorded.
constexpr int32_t kUntouched = -12345;
const std::vector<std::string> kInvalidId = {"Invalid Sound ID\n"};

struct WaveShape {
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t rate = 22050;
    uint32_t dataBytes = 4000;
};

// A PCM image (44-byte header) whose samples count up byte by byte.
inline std::vector<unsigned char> WaveImage(const WaveShape& s) {
    std::vector<unsigned char> image;
    auto tag = [](const char* t) { return static_cast<uint32_t>(t[0] | t[1] << 8 | t[2] << 16 | t[3] << 24); };
    const uint32_t align = s.channels * s.bits / 8u;
    for (uint32_t word : {tag("RIFF"), 36 + s.dataBytes, tag("WAVE"), tag("fmt "), 16u, 1u | s.channels << 16, s.rate,
                          s.rate * align, align | s.bits << 16, tag("data"), s.dataBytes}) {
        for (int i = 0; i < 4; ++i) image.push_back(static_cast<unsigned char>(word >> (8 * i)));
    }
    for (uint32_t i = 0; i < s.dataBytes; ++i) image.push_back(static_cast<unsigned char>(i * 7 + 1));
    if (s.dataBytes % 2 != 0) image.push_back(0);
    return image;
}

inline uint32_t MethodIndex(const std::string& name) {
    for (uint32_t i = 0; i < Methods().size(); ++i) {
        std::string line = Methods()[i].line;
        if (line[0] == '*') line.erase(0, 1);
        if (line.substr(0, line.find(' ')) == name) return i;
    }
    ADD_FAILURE() << "no method " << name;
    return 0;
}

struct Vector {
    double x, y, z;
    bool operator==(const Vector&) const = default;
};

inline void PrintTo(const Vector& v, std::ostream* out) { *out << "[" << v.x << ", " << v.y << ", " << v.z << "]"; }

class XtraTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDirectSoundApi(&api);
        Create();
    }
    void TearDown() override {
        Destroy();
        SetDirectSoundApi(nullptr);
        EXPECT_TRUE(fake.faults.empty()) << fake.faults.front();
        EXPECT_EQ(host.FaultCount(), 0u) << "the host saw its protocol broken";
    }

    void Create() {
        uint32_t size = 0;
        ASSERT_EQ(DllGetClassForm(&kClsidSoundXtra, &size, &create, &destroy), 0);
        instance = host.NewInstance(size);
        createStatus = create(instance);
        void* out = nullptr;
        ASSERT_EQ(DllGetInterface(instance, &kClsidSoundXtra, &kIidScripting, &out), 0);
        script = static_cast<ScriptingInterface*>(out);
    }

    void Destroy() {
        if (instance == nullptr) return;
        if (script != nullptr) script->ops->Release(script);
        destroy(instance);
        host.DeleteInstance(instance);
        instance = nullptr;
        script = nullptr;
    }

    // Destroys the instance and checks that it left nothing behind.
    void ExpectCleanDestruction() {
        Destroy();
        EXPECT_EQ(fake.LiveReferences(), 0);
        EXPECT_EQ(host.LiveAllocations(), 0);
        EXPECT_EQ(host.LiveServiceRefs(), 0);
    }

    SoundXtra& xtra() { return *static_cast<SoundXtra*>(instance); }

    // Calls a method by index with the given arguments after `me`.
    Status Call(uint32_t index, std::vector<ScriptValue> args = {}) {
        args.insert(args.begin(), host.Void());
        arguments = args;
        info = CallInfo{};
        info.methodIndex = index;
        info.result = host.Void();
        info.argCount = static_cast<int32_t>(arguments.size());
        info.args = arguments.data();
        return script->ops->Call(script, &info);
    }
    Status Call(const std::string& name, std::vector<ScriptValue> args = {}) {
        return Call(MethodIndex(name), std::move(args));
    }

    int32_t LastError() { return xtra().lastError; }
    int32_t DeviceCount() {
        int32_t count = 0;
        for (OutputDevice* d = xtra().deviceList; d != nullptr; d = d->next) ++count;
        return count;
    }
    OutputDevice* DeviceAt(int32_t index) {
        OutputDevice* d = xtra().deviceList;
        while (d != nullptr && index-- > 0) d = d->next;
        return d;
    }
    int32_t CountCalls(const std::string& suffix) const {
        auto ends = [&](const std::string& call) { return call.ends_with(suffix); };
        return static_cast<int32_t>(std::count_if(fake.calls.begin(), fake.calls.end(), ends));
    }

    ScriptValue Member(int32_t number, const WaveShape& shape = {}) {
        host.AddMember(1, number).media = WaveImage(shape);
        return host.MemberValue(1, number);
    }
    // A member sound of this shape, placed in 3D when a position is given; its id, or 0.
    int32_t NewSound(const WaveShape& shape = {}) {
        if (Call("dsNewSound", {Member(++members_, shape)}) != 0) return 0;
        return ResultInteger();
    }
    int32_t New3DSound(Vector at = {0.0, 0.0, 0.0}, const WaveShape& shape = {1, 16, 22050, 4000}) {
        if (Call("dsNewSound", {Member(++members_, shape), List(at)}) != 0) return 0;
        return ResultInteger();
    }
    SoundBuffer* Sound(int32_t id) {
        for (SoundBuffer* s = xtra().sounds; s != nullptr; s = s->Next()) {
            if (static_cast<int32_t>(s->Id()) == id) return s;
        }
        return nullptr;
    }
    std::vector<int32_t> Ids() {
        std::vector<int32_t> ids;
        for (SoundBuffer* s = xtra().sounds; s != nullptr; s = s->Next()) ids.push_back(static_cast<int32_t>(s->Id()));
        return ids;
    }
    FakeSoundBuffer& FakeOf(const SoundBuffer* sound) { return *fake.Find(sound->Buffer()); }
    FakeSoundBuffer& FakeBuffer(int32_t id) { return FakeOf(Sound(id)); }
    FakeSound3DBuffer& Fake3DOf(int32_t id) { return *fake.Find(Sound(id)->Buffer3D()); }

    ScriptValue Int(int32_t n) { return host.Integer(n); }
    ScriptValue Float(double d) { return host.Float(d); }
    ScriptValue List(const Vector& v) { return host.List({host.Float(v.x), host.Float(v.y), host.Float(v.z)}); }
    ScriptValue Numbers(const std::vector<double>& numbers) {
        std::vector<ScriptValue> items;
        for (double n : numbers) items.push_back(host.Float(n));
        return host.List(items);
    }

    bool NoResult() const { return host.TypeOf(info.result) == kValueVoid; }
    int32_t ResultInteger() const { return host.AsInteger(info.result); }
    double ResultFloat() const { return host.AsFloat(info.result); }
    std::vector<std::string> ResultStrings() {
        std::vector<std::string> texts;
        for (const ScriptValue& item : host.AsList(info.result).items) texts.push_back(host.AsString(item));
        return texts;
    }
    bool ResultIsEmptyList() {
        return host.TypeOf(info.result) == kValueList && host.AsList(info.result).items.empty();
    }
    // Calls a getter and answers its vector.
    Vector GetVector(const std::string& method, std::vector<ScriptValue> args = {}) {
        EXPECT_EQ(Call(method, std::move(args)), 0) << method;
        const FakeList& list = host.AsList(info.result);
        if (list.items.size() != 3) {
            ADD_FAILURE() << method << ": a vector of " << list.items.size() << " elements";
            return {};
        }
        return {host.AsFloat(list.items[0]), host.AsFloat(list.items[1]), host.AsFloat(list.items[2])};
    }

    FakeDirectSoundSystem fake;
    DirectSoundApi api{FakeDirectSoundSystem::Create, FakeDirectSoundSystem::Enumerate};
    FakeHost host;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    void* instance = nullptr;
    ScriptingInterface* script = nullptr;
    Status createStatus = -1;
    std::vector<ScriptValue> arguments;
    CallInfo info{};

private:
    int32_t members_ = 0;
};

}  // namespace sonidrax::testing
