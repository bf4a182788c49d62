// An engine instance on the fake host and fake DirectSound with helpers for the
// playback, level and 3D handlers: sounds of a given shape, results read back.
#pragma once

#include <string>
#include <vector>

#include "sound_fixture.h"

namespace sonidrax::testing {

constexpr Status kRefused = static_cast<Status>(0x800407D8);
constexpr Status kNoVector = static_cast<Status>(0x800407E5);
constexpr int32_t kRefusedError = -9;
// A script error code that no handler here produces, to see whether one was recorded.
constexpr int32_t kUntouched = -12345;

struct Vector {
    double x, y, z;
    bool operator==(const Vector&) const = default;
};

inline void PrintTo(const Vector& v, std::ostream* out) { *out << "[" << v.x << ", " << v.y << ", " << v.z << "]"; }

class ControlTest : public SoundTest {
protected:
    // A member sound of this shape; its id, or 0.
    int32_t NewSound(const WaveShape& shape = {}) {
        if (Call("dsNewSound", {Member(++members_, shape)}) != 0) return 0;
        return ResultInteger();
    }
    // A 3D member sound placed at the given position.
    int32_t New3DSound(Vector at = {0.0, 0.0, 0.0}, const WaveShape& shape = {1, 16, 22050, 4000}) {
        if (Call("dsNewSound", {Member(++members_, shape), List(at)}) != 0) return 0;
        return ResultInteger();
    }

    ScriptValue Int(int32_t n) { return host.Integer(n); }
    ScriptValue Float(double d) { return host.Float(d); }
    ScriptValue List(const Vector& v) { return host.List({host.Float(v.x), host.Float(v.y), host.Float(v.z)}); }
    ScriptValue Numbers(const std::vector<double>& numbers) {
        std::vector<ScriptValue> items;
        for (double n : numbers) items.push_back(host.Float(n));
        return host.List(items);
    }

    bool NoResult() const { return host.TypeOf(info.result) == kValueVoid; }
    double ResultFloat() const { return host.AsFloat(info.result); }
    std::vector<std::string> ResultStrings() const {
        std::vector<std::string> texts;
        for (const ScriptValue& item : host.AsList(info.result).items) texts.push_back(host.AsString(item));
        return texts;
    }
    bool ResultIsEmptyList() const {
        return host.TypeOf(info.result) == kValueList && host.AsList(info.result).items.empty();
    }
    Vector ResultVector() const {
        const FakeList& list = host.AsList(info.result);
        if (list.items.size() != 3) {
            ADD_FAILURE() << "a vector of " << list.items.size() << " elements";
            return {};
        }
        return {host.AsFloat(list.items[0]), host.AsFloat(list.items[1]), host.AsFloat(list.items[2])};
    }

    // Calls a getter and answers its vector.
    Vector GetVector(const std::string& method, std::vector<ScriptValue> args = {}) {
        EXPECT_EQ(Call(method, std::move(args)), 0) << method;
        return ResultVector();
    }

    FakeSound3DBuffer& Fake3DOf(int32_t id) { return *fake.Find(Sound(id)->Buffer3D()); }
    FakeSoundBuffer& FakeBuffer(int32_t id) { return FakeOf(Sound(id)); }

private:
    int32_t members_ = 0;
};

}  // namespace sonidrax::testing
