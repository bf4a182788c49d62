// An engine instance with helpers to make member and file sounds and look at them.
#pragma once

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "sounds/sound_buffer.h"
#include "wave_image.h"

namespace sonidrax::testing {

class SoundTest : public EngineTest {
protected:
    ScriptValue Member(int32_t number, const WaveShape& shape = {}) {
        host.AddMember(1, number).media = WaveImage(shape);
        return host.MemberValue(1, number);
    }

    // Makes a member sound and answers its id (0 when it failed).
    int32_t NewMemberSound(int32_t number = 1) {
        if (Call("dsNewSound", {Member(number)}) != 0) return 0;
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
};

}  // namespace sonidrax::testing
