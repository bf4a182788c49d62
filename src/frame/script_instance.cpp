#include "frame/script_instance.h"

namespace sonidrax {

namespace {

template <typename Service>
Service* QueryService(HostCallback* callback, const GUID& iid) {
    void* service = nullptr;
    // A host that lacks a service answers null; its status is not needed here.
    callback->ops->QueryInterface(callback, &iid, &service);
    return static_cast<Service*>(service);
}

template <typename Service>
void ReleaseService(Service*& service) {
    if (service != nullptr) service->ops->Release(service);
    service = nullptr;
}

}  // namespace

ScriptInstance::ScriptInstance(const HostHeader& filledHeader)
    : header(filledHeader), hostAppInfo(QueryService<HostAppInfo>(filledHeader.callback, kIidHostAppInfo)),
      hostValues(QueryService<HostValues>(filledHeader.callback, kIidHostValues)),
      hostMessages(QueryService<HostMessages>(filledHeader.callback, kIidHostMessages)),
      hostLists(QueryService<HostLists>(filledHeader.callback, kIidHostLists)),
      hostWindow(QueryService<HostWindow>(filledHeader.callback, kIidHostWindow)),
      hostPlayer(QueryService<HostPlayer>(filledHeader.callback, kIidHostPlayer)),
      hostMedia(QueryService<HostMedia>(filledHeader.callback, kIidHostMedia)),
      hostMemberRefs(QueryService<HostMemberRefs>(filledHeader.callback, kIidHostMemberRefs)), lastError(0) {}

ScriptInstance::~ScriptInstance() {
    ReleaseService(hostAppInfo);
    ReleaseService(hostValues);
    ReleaseService(hostMessages);
    ReleaseService(hostLists);
    ReleaseService(hostWindow);
    ReleaseService(hostPlayer);
    ReleaseService(hostMedia);
    ReleaseService(hostMemberRefs);
}

}  // namespace sonidrax
