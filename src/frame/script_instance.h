// What every script instance holds for its calls: the header the host filled,
// the host services it acquired, and the script error code of its last call.
// The instance that the module's script class makes builds on this.
#pragma once

#include "frame/host_interfaces.h"

namespace sonidrax {

struct ScriptInstance {
    HostHeader header;

    // Host services, acquired at creation and released at destruction in this order.
    HostAppInfo* hostAppInfo;
    HostValues* hostValues;
    HostMessages* hostMessages;
    HostLists* hostLists;
    HostWindow* hostWindow;
    HostPlayer* hostPlayer;
    HostMedia* hostMedia;
    HostMemberRefs* hostMemberRefs;

    int32_t lastError;

    explicit ScriptInstance(const HostHeader& filledHeader);
    ~ScriptInstance();

    ScriptInstance(const ScriptInstance&) = delete;
    ScriptInstance& operator=(const ScriptInstance&) = delete;

    HostAllocator* allocator() const { return header.allocator; }
    void* Allocate(uint32_t byteCount) const { return header.allocator->ops->Alloc(header.allocator, byteCount); }
    void Free(void* block) const {
        if (block != nullptr) header.allocator->ops->Free(header.allocator, block);
    }
};

}  // namespace sonidrax
