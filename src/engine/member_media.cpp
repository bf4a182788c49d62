#include "engine/member_media.h"

namespace sonidrax {

namespace {

Symbol SymbolOf(const SoundXtra& xtra, const char* name) {
    Symbol symbol = 0;
    xtra.hostValues->ops->StringToSymbol(xtra.hostValues, name, &symbol);
    return symbol;
}

bool IsSoundMember(const SoundXtra& xtra, HostMember* member) {
    HostValues* values = xtra.hostValues;
    ScriptValue type = {};
    member->ops->GetMemberProp(member, SymbolOf(xtra, "type"), &type);
    Symbol kind = 0;
    values->ops->ToSymbol(values, &type, &kind);
    values->ops->ReleaseValue(values, &type);
    return kind != 0 && kind == SymbolOf(xtra, "sound");
}

Status FetchFromMember(SoundXtra& xtra, HostMember* member, MediaRequest& request) {
    if (!IsSoundMember(xtra, member)) return kNotASound;
    HostMedia* media = xtra.hostMedia;
    Status status =
        media->ops->NewMediaRequest(media, SymbolOf(xtra, "sound"), SymbolOf(xtra, "winWAVE"), 0, 0, 0, &request);
    if (status != kOk) return status;
    return member->ops->GetMedia(member, &request);
}

}  // namespace

Status FetchMemberMedia(SoundXtra& xtra, const ScriptValue& memberValue, MediaRequest& request) {
    request = MediaRequest{};
    // A host without these services cannot hand out members at all.
    if (xtra.hostMemberRefs == nullptr || xtra.hostPlayer == nullptr || xtra.hostMedia == nullptr) {
        return kNoSuchInterface;
    }
    MemberRef reference = {};
    Status status = xtra.hostMemberRefs->ops->ToMemberRef(xtra.hostMemberRefs, &memberValue, &reference);
    if (status != kOk) return status;

    HostMovie* movie = nullptr;
    status = xtra.hostPlayer->ops->GetActiveMovie(xtra.hostPlayer, &movie);
    HostMember* member = nullptr;
    if (status == kOk && movie != nullptr) status = movie->ops->GetMember(movie, &reference, &member);
    if (status == kOk && member != nullptr) status = FetchFromMember(xtra, member, request);
    if (status == kOk && member == nullptr) status = kNotASound;

    if (member != nullptr) member->ops->Release(member);
    if (movie != nullptr) movie->ops->Release(movie);
    return status;
}

void ReleaseMemberMedia(SoundXtra& xtra, MediaRequest& request) {
    xtra.hostMedia->ops->ReleaseMedia(xtra.hostMedia, &request);
}

}  // namespace sonidrax
