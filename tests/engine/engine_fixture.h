// An instance on the fake host whose DirectSound is the fake one, with calls by
// method name.
#pragma once

#include <cstring>
#include <string>

#include "engine/direct_sound_api.h"
#include "engine/output_device.h"
#include "fake_direct_sound.h"
#include "frame/method_table.h"
#include "sound_xtra_fixture.h"

namespace sonidrax::testing {

inline uint32_t MethodIndex(const std::string& name) {
    for (uint32_t i = 0; i < Methods().size(); ++i) {
        const std::string line = Methods()[i].line;
        const size_t start = line[0] == '*' ? 1 : 0;
        if (line.compare(start, name.size(), name) == 0 && line.size() > start + name.size() &&
            line[start + name.size()] == ' ') {
            return i;
        }
    }
    ADD_FAILURE() << "no method " << name;
    return 0;
}

class EngineTest : public SoundXtraInstance {
protected:
    void SetUp() override {
        SetDirectSoundApi(&api);
        SoundXtraInstance::SetUp();
    }
    void TearDown() override {
        SoundXtraInstance::TearDown();
        SetDirectSoundApi(nullptr);
    }

    Status Call(const std::string& name, std::vector<ScriptValue> args = {}) {
        return SoundXtraInstance::Call(MethodIndex(name), std::move(args));
    }
    int32_t ResultInteger() const { return host.AsInteger(info.result); }
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
        int32_t count = 0;
        for (const std::string& c : fake.calls) {
            if (c.size() >= suffix.size() && c.compare(c.size() - suffix.size(), suffix.size(), suffix) == 0) ++count;
        }
        return count;
    }

    FakeDirectSoundSystem fake;
    DirectSoundApi api{FakeDirectSoundSystem::Create, FakeDirectSoundSystem::Enumerate};
};

}  // namespace sonidrax::testing
