// A SoundXtra instance made the way a host makes one, on the fake host.
#pragma once

#include <gtest/gtest.h>

#include "engine/sound_xtra.h"
#include "fake_host.h"
#include "module/exports.h"
#include "module/script_object.h"

namespace sonidrax::testing {

class SoundXtraInstance : public ::testing::Test {
protected:
    void SetUp() override { Create(); }
    void TearDown() override { Destroy(); }

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

    SoundXtra& xtra() { return *static_cast<SoundXtra*>(instance); }

    // Calls a method by index with the given arguments after `me`.
    Status Call(uint32_t index, std::vector<ScriptValue> args = {}, bool global = false) {
        if (!global) args.insert(args.begin(), host.Void());
        arguments = args;
        info = CallInfo{};
        info.methodIndex = index;
        info.result = host.Void();
        info.argCount = static_cast<int32_t>(arguments.size());
        info.args = arguments.data();
        return script->ops->Call(script, &info);
    }

    FakeHost host;
    ClassCreateFn create = nullptr;
    ClassDestroyFn destroy = nullptr;
    void* instance = nullptr;
    ScriptingInterface* script = nullptr;
    Status createStatus = -1;
    std::vector<ScriptValue> arguments;
    CallInfo info{};
};

}  // namespace sonidrax::testing
