// Handlers whose subsystems have not landed yet answer "not provided".
#include "frame/handlers.h"

namespace sonidrax {

Status DsPlay(ScriptCall&) { return kNotProvided; }
Status DsStop(ScriptCall&) { return kNotProvided; }
Status DsStream(ScriptCall&) { return kNotProvided; }
Status DsReverse(ScriptCall&) { return kNotProvided; }
Status DsSynchronize(ScriptCall&) { return kNotProvided; }
Status DsGetSize(ScriptCall&) { return kNotProvided; }
Status DsGetDuration(ScriptCall&) { return kNotProvided; }
Status DsGetSampleRate(ScriptCall&) { return kNotProvided; }
Status DsSetSampleRate(ScriptCall&) { return kNotProvided; }
Status DsGetSampleSize(ScriptCall&) { return kNotProvided; }
Status DsSetSampleSize(ScriptCall&) { return kNotProvided; }
Status DsGetSoundInfo(ScriptCall&) { return kNotProvided; }
Status DsIsPlaying(ScriptCall&) { return kNotProvided; }
Status DsGetChannelCount(ScriptCall&) { return kNotProvided; }
Status DsSetChannelCount(ScriptCall&) { return kNotProvided; }
Status DsGetPosition(ScriptCall&) { return kNotProvided; }
Status DsSetPosition(ScriptCall&) { return kNotProvided; }
Status DsGetTime(ScriptCall&) { return kNotProvided; }
Status DsSetTime(ScriptCall&) { return kNotProvided; }
Status DsGetPitch(ScriptCall&) { return kNotProvided; }
Status DsSetPitch(ScriptCall&) { return kNotProvided; }
Status DsGetVolume(ScriptCall&) { return kNotProvided; }
Status DsSetVolume(ScriptCall&) { return kNotProvided; }
Status DsGetLinearVolume(ScriptCall&) { return kNotProvided; }
Status DsSetLinearVolume(ScriptCall&) { return kNotProvided; }
Status DsGetLoop(ScriptCall&) { return kNotProvided; }
Status DsSetLoop(ScriptCall&) { return kNotProvided; }
Status DsGetPan(ScriptCall&) { return kNotProvided; }
Status DsSetPan(ScriptCall&) { return kNotProvided; }
Status DsDirExists(ScriptCall&) { return kNotProvided; }
Status DsCreateDir(ScriptCall&) { return kNotProvided; }
Status DsGetFileSize(ScriptCall&) { return kNotProvided; }
Status DsGetDate(ScriptCall&) { return kNotProvided; }
Status DsKeyState(ScriptCall&) { return kNotProvided; }
Status DsOpenFileDialog(ScriptCall&) { return kNotProvided; }
Status DsSaveFileDialog(ScriptCall&) { return kNotProvided; }
Status DsShowPrefsDialog(ScriptCall&) { return kNotProvided; }
Status DsMoveFile(ScriptCall&) { return kNotProvided; }
Status DsAppIsForeground(ScriptCall&) { return kNotProvided; }
Status DsQueueSettings(ScriptCall&) { return kNotProvided; }
Status DsCommitSettings(ScriptCall&) { return kNotProvided; }
Status DsGet3DMode(ScriptCall&) { return kNotProvided; }
Status DsSet3DMode(ScriptCall&) { return kNotProvided; }
Status DsGet3DPosition(ScriptCall&) { return kNotProvided; }
Status DsSet3DPosition(ScriptCall&) { return kNotProvided; }
Status DsGetVelocity(ScriptCall&) { return kNotProvided; }
Status DsSetVelocity(ScriptCall&) { return kNotProvided; }
Status DsGetOrientation(ScriptCall&) { return kNotProvided; }
Status DsSetOrientation(ScriptCall&) { return kNotProvided; }
Status DsGetOutsideVolume(ScriptCall&) { return kNotProvided; }
Status DsSetOutsideVolume(ScriptCall&) { return kNotProvided; }
Status DsGetInsideAngle(ScriptCall&) { return kNotProvided; }
Status DsGetOutsideAngle(ScriptCall&) { return kNotProvided; }
Status DsSetAngles(ScriptCall&) { return kNotProvided; }
Status DsGetMinDistance(ScriptCall&) { return kNotProvided; }
Status DsSetMinDistance(ScriptCall&) { return kNotProvided; }
Status DsGetMaxDistance(ScriptCall&) { return kNotProvided; }
Status DsSetMaxDistance(ScriptCall&) { return kNotProvided; }
Status DsGetListenerPosition(ScriptCall&) { return kNotProvided; }
Status DsSetListenerPosition(ScriptCall&) { return kNotProvided; }
Status DsGetListenerVelocity(ScriptCall&) { return kNotProvided; }
Status DsSetListenerVelocity(ScriptCall&) { return kNotProvided; }
Status DsGetListenerOrientationFront(ScriptCall&) { return kNotProvided; }
Status DsGetListenerOrientationTop(ScriptCall&) { return kNotProvided; }
Status DsSetListenerOrientation(ScriptCall&) { return kNotProvided; }
Status DsGetRolloff(ScriptCall&) { return kNotProvided; }
Status DsSetRolloff(ScriptCall&) { return kNotProvided; }
Status DsGetDoppler(ScriptCall&) { return kNotProvided; }
Status DsSetDoppler(ScriptCall&) { return kNotProvided; }
Status DsGetDistanceFactor(ScriptCall&) { return kNotProvided; }
Status DsSetDistanceFactor(ScriptCall&) { return kNotProvided; }

}  // namespace sonidrax
