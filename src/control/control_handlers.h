// The handlers that drive one sound or the 3D scene: playback, positions, format,
// level, pan and pitch, 3D parameters, the listener and deferred settings.
#pragma once

#include "frame/script_call.h"

namespace sonidrax {

Status DsPlay(ScriptCall& call);
Status DsStop(ScriptCall& call);
Status DsStream(ScriptCall& call);
Status DsReverse(ScriptCall& call);
Status DsSynchronize(ScriptCall& call);
Status DsGetSize(ScriptCall& call);
Status DsGetDuration(ScriptCall& call);
Status DsGetSampleRate(ScriptCall& call);
Status DsSetSampleRate(ScriptCall& call);
Status DsGetSampleSize(ScriptCall& call);
Status DsSetSampleSize(ScriptCall& call);
Status DsGetSoundInfo(ScriptCall& call);
Status DsIsPlaying(ScriptCall& call);
Status DsGetChannelCount(ScriptCall& call);
Status DsSetChannelCount(ScriptCall& call);
Status DsGetPosition(ScriptCall& call);
Status DsSetPosition(ScriptCall& call);
Status DsGetTime(ScriptCall& call);
Status DsSetTime(ScriptCall& call);
Status DsGetPitch(ScriptCall& call);
Status DsSetPitch(ScriptCall& call);
Status DsGetVolume(ScriptCall& call);
Status DsSetVolume(ScriptCall& call);
Status DsGetLinearVolume(ScriptCall& call);
Status DsSetLinearVolume(ScriptCall& call);
Status DsGetLoop(ScriptCall& call);
Status DsSetLoop(ScriptCall& call);
Status DsGetPan(ScriptCall& call);
Status DsSetPan(ScriptCall& call);
Status DsQueueSettings(ScriptCall& call);
Status DsCommitSettings(ScriptCall& call);
Status DsGet3DMode(ScriptCall& call);
Status DsSet3DMode(ScriptCall& call);
Status DsGet3DPosition(ScriptCall& call);
Status DsSet3DPosition(ScriptCall& call);
Status DsGetVelocity(ScriptCall& call);
Status DsSetVelocity(ScriptCall& call);
Status DsGetOrientation(ScriptCall& call);
Status DsSetOrientation(ScriptCall& call);
Status DsGetOutsideVolume(ScriptCall& call);
Status DsSetOutsideVolume(ScriptCall& call);
Status DsGetInsideAngle(ScriptCall& call);
Status DsGetOutsideAngle(ScriptCall& call);
Status DsSetAngles(ScriptCall& call);
Status DsGetMinDistance(ScriptCall& call);
Status DsSetMinDistance(ScriptCall& call);
Status DsGetMaxDistance(ScriptCall& call);
Status DsSetMaxDistance(ScriptCall& call);
Status DsGetListenerPosition(ScriptCall& call);
Status DsSetListenerPosition(ScriptCall& call);
Status DsGetListenerVelocity(ScriptCall& call);
Status DsSetListenerVelocity(ScriptCall& call);
Status DsGetListenerOrientationFront(ScriptCall& call);
Status DsGetListenerOrientationTop(ScriptCall& call);
Status DsSetListenerOrientation(ScriptCall& call);
Status DsGetRolloff(ScriptCall& call);
Status DsSetRolloff(ScriptCall& call);
Status DsGetDoppler(ScriptCall& call);
Status DsSetDoppler(ScriptCall& call);
Status DsGetDistanceFactor(ScriptCall& call);
Status DsSetDistanceFactor(ScriptCall& call);

}  // namespace sonidrax
