// A small in-process host for unit tests of the plug-in: it fills instance headers,
// counts instance references and allocations, and serves every host service with
// simple, inspectable storage.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "frame/host_interfaces.h"

namespace sonidrax::testing {

class FakeHost;

// A value as the fake host stores it.
struct FakeList {
    std::vector<ScriptValue> items;
    std::vector<ScriptValue> keys;  // property lists only
    bool isPropList = false;
};

class FakeHost {
public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Instance memory with its header filled, as the host makes it before Create.
    void* NewInstance(uint32_t size);
    void DeleteInstance(void* instance);
    int32_t InstanceRefs() const { return instanceRefs_; }

    HostAllocator* allocator() { return reinterpret_cast<HostAllocator*>(&allocator_); }
    int32_t LiveAllocations() const { return static_cast<int32_t>(blocks_.size()); }
    int32_t totalAllocations = 0;
    int32_t failAllocationsAfter = -1;  // fail once this many more have succeeded; -1 never

    // Services handed out through the callback, and how many references are held.
    int32_t LiveServiceRefs() const { return serviceRefs_; }
    std::vector<std::string> queriedServices;
    std::string applicationKind = "authoring";
    bool appKindFails = false;

    // Values.
    ScriptValue Integer(int32_t n);
    ScriptValue Float(double d);
    ScriptValue String(const std::string& s);
    ScriptValue SymbolValue(const std::string& name);
    ScriptValue Void();
    ScriptValue List(const std::vector<ScriptValue>& items);
    int32_t TypeOf(const ScriptValue& v) const;
    int32_t AsInteger(const ScriptValue& v) const;
    double AsFloat(const ScriptValue& v) const;
    std::string AsString(const ScriptValue& v) const;
    std::string SymbolName(const ScriptValue& v) const;
    const FakeList& AsList(const ScriptValue& v) const;
    Symbol Intern(const std::string& name);

    std::vector<std::string> messages;

    // Cast members, the movie that holds them and their media.
    struct Member {
        std::string type = "sound";        // the #type property
        std::vector<unsigned char> media;  // the "winWAVE" image
    };
    ScriptValue MemberValue(int32_t castNumber, int32_t memberNumber);
    Member& AddMember(int32_t castNumber, int32_t memberNumber);
    bool noActiveMovie = false;
    Status mediaFailure = 0;  // GetMedia answers this when not 0
    int32_t LiveMovieRefs() const { return movieRefs_; }
    int32_t LiveMemberRefs() const { return memberRefs_count_; }
    int32_t LiveMedia() const { return liveMedia_; }
    int32_t mediaHandedOut = 0;
    // File names are resolved by putting this in front of them.
    std::string resolvePrefix;

    // The record of the last Put of a registration dictionary.
    std::string storedKey;
    std::string storedText;
    int32_t storedType = 0;
    HostRegistry* registry() { return reinterpret_cast<HostRegistry*>(&registry_); }
    HostValues* values() { return reinterpret_cast<HostValues*>(&values_); }
    HostLists* lists() { return reinterpret_cast<HostLists*>(&lists_); }

    // Service implementations reach the host through these.
    static FakeHost* Of(const void* service);

private:
    struct Service {
        const void* ops;
        FakeHost* host;
    };
    friend struct FakeHostOps;
    void* ServiceFor(const GUID& iid, std::string* name);

    Service allocator_;
    std::map<void*, uint32_t> blocks_;
    int32_t instanceRefs_ = 0;
    int32_t serviceRefs_ = 0;

    Service callback_;
    Service instanceOps_;
    Service appInfo_, values_, messages_, lists_, window_, player_, media_, memberRefs_, dictionary_, registry_;

    std::map<std::pair<int32_t, int32_t>, Member> members_;
    int32_t movieRefs_ = 0;
    int32_t memberRefs_count_ = 0;
    int32_t liveMedia_ = 0;
    Service movie_;
    struct MemberService {
        const void* ops;
        FakeHost* host;
        Member* member;
    };
    std::vector<std::unique_ptr<MemberService>> memberServices_;

    std::vector<double> floats_;
    std::vector<std::string> strings_;
    std::vector<FakeList> lists_store_;
    std::vector<std::string> symbols_;
};

}  // namespace sonidrax::testing
