// Every script handler, in the order of their operation slots. Each reads its
// arguments and writes its result through a ScriptCall, and answers a status.
#pragma once

#include "frame/script_call.h"

namespace sonidrax {

using HandlerFn = Status (*)(ScriptCall& call);

Status DsNewSound(ScriptCall& call, int32_t reverse);
Status DsDuplicateSound(ScriptCall& call);
Status DsDeleteSound(ScriptCall& call);
Status DsDeleteAllSounds(ScriptCall& call);
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
Status DsGetDevices(ScriptCall& call);
Status DsSetDevice(ScriptCall& call);
Status DsDirExists(ScriptCall& call);
Status DsCreateDir(ScriptCall& call);
Status DsGetFileSize(ScriptCall& call);
Status DsGetDate(ScriptCall& call);
Status DsKeyState(ScriptCall& call);
Status DsGetError(ScriptCall& call);
Status DsOpenFileDialog(ScriptCall& call);
Status DsSaveFileDialog(ScriptCall& call);
Status DsShowPrefsDialog(ScriptCall& call);
Status DsMoveFile(ScriptCall& call);
Status DsAppIsForeground(ScriptCall& call);
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
