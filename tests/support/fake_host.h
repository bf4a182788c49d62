// The stand-in host's own services, in process, for unit tests of the plug-in:
// one instance record whose allocator can be told to fail, whose window service
// hands out no window, and whose values, messages and members tests read back.
#pragma once

#include <string>
#include <vector>

#include "host.h"

namespace sonidrax::testing {

// The elements of a list or property list, as copies of the store's values.
struct FakeList {
    std::vector<ScriptValue> items;
};

class FakeHost {
    host::Host stand_;  // first: the members below refer into it

public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Instance memory with its header filled, as the host makes it before Create.
    void* NewInstance(uint32_t size);
    void DeleteInstance(void* instance);
    int32_t InstanceRefs() const { return record_->self.refs; }

    HostAllocator* allocator() { return &allocator_.iface; }
    int32_t LiveAllocations() const { return static_cast<int32_t>(record_->blocks.size()); }
    int32_t TotalAllocations() const { return static_cast<int32_t>(record_->allocationCount); }
    int32_t failAllocationsAfter = -1;  // fail once this many more have succeeded; -1 never
    // References the plug-in holds on the eight services.
    int32_t LiveServiceRefs() const { return record_->ServiceReferences() - record_->allocator.refs; }

    ScriptValue Integer(int32_t n) { return host::ValueStore::Integer(n); }
    ScriptValue Float(double d) { return stand_.values.NewFloat(d); }
    ScriptValue String(const std::string& s) { return stand_.values.NewString(s); }
    ScriptValue SymbolValue(const std::string& name) {
        return host::ValueStore::SymbolValue(stand_.values.Intern(name));
    }
    ScriptValue Void() { return host::ValueStore::Void(); }
    ScriptValue List(const std::vector<ScriptValue>& items);
    int32_t TypeOf(const ScriptValue& v) const { return stand_.values.TypeOf(v); }
    int32_t AsInteger(const ScriptValue& v) const;
    double AsFloat(const ScriptValue& v) const;
    std::string AsString(const ScriptValue& v) const;
    std::string SymbolName(const ScriptValue& v) const;
    FakeList AsList(const ScriptValue& v);

    // Every message the plug-in showed, in order.
    std::vector<std::string>& messages;

    // The member of that cast and number, a sound member when new; its `media` is
    // the "winWAVE" image.
    host::MemberDef& AddMember(int32_t castNumber, int32_t memberNumber);
    ScriptValue MemberValue(int32_t castNumber, int32_t memberNumber) {
        return stand_.values.NewMemberRef({castNumber, memberNumber});
    }
    int32_t LiveMovieRefs() const { return record_->movie.refs; }
    int32_t LiveMemberRefs() const { return record_->liveMembers; }
    int32_t LiveMedia() const { return static_cast<int32_t>(record_->liveMedia.size()); }

    // Protocol misuse the host saw (stale values, over-releases, bad frees).
    uint32_t FaultCount() const { return stand_.FaultCount(); }

    host::Host& stand() { return stand_; }
    host::InstanceRecord& record() { return *record_; }

private:
    static void* __stdcall Alloc(HostAllocator* self, uint32_t bytes);

    host::InstanceRecord* record_;
    host::Face<HostAllocator> allocator_;
};

}  // namespace sonidrax::testing
