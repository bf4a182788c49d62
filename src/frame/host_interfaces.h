// The binary contract between the plug-in and its host: the records the host lays
// out, and the operation tables of every host service the plug-in calls.
//
// Every interface is a pointer to a record whose first word points at its operation
// table; every operation is __stdcall with the interface pointer first, as in COM.
// The tables are written out slot by slot (unused slots are kept as placeholders)
// so the layout does not depend on how a compiler lays out virtual functions.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace sonidrax {

using Status = int32_t;
using Symbol = int32_t;

// A placeholder for a slot the plug-in never calls.
using UnusedSlot = void*;

// ---------------------------------------------------------------------------
// Records laid out by the host

// The host's opaque script value: two 32-bit words, interpreted only by HostValues.
struct ScriptValue {
    uint32_t words[2];
};
static_assert(sizeof(ScriptValue) == 8);

// The host's record of one script call.
struct CallInfo {
    uint32_t hostWords[2];
    uint32_t methodIndex;
    ScriptValue result;
    int32_t argCount;
    ScriptValue* args;
};
static_assert(offsetof(CallInfo, methodIndex) == 8);
static_assert(offsetof(CallInfo, result) == 12);
static_assert(offsetof(CallInfo, argCount) == 20);
static_assert(offsetof(CallInfo, args) == 24);
#ifdef _WIN64
// The 64-bit build (for machines that cannot run 32-bit programs) has the natural
// 64-bit layout: the same 32-bit words, pointers of 8 bytes on their own alignment.
static_assert(sizeof(CallInfo) == 32);
#else
static_assert(sizeof(CallInfo) == 28);
#endif

// A cast member reference written by HostMemberRefs::ToMemberRef.
struct MemberRef {
    int32_t castNumber;
    int32_t memberNumber;
};
static_assert(sizeof(MemberRef) == 8);

// A media request, owned by the caller; after GetMedia `mediaData` holds the
// global-memory handle of the member's media, a word as wide as a handle.
struct MediaRequest {
    uint32_t labelSymbol;
    uint32_t formatSymbol;
    uintptr_t mediaData;
    uint32_t options;
    uint32_t auxiliary;
};
#ifdef _WIN64
static_assert(offsetof(MediaRequest, mediaData) == 8);
static_assert(offsetof(MediaRequest, options) == 16);
static_assert(sizeof(MediaRequest) == 24);
#else
static_assert(offsetof(MediaRequest, mediaData) == 8);
static_assert(offsetof(MediaRequest, options) == 12);
static_assert(sizeof(MediaRequest) == 20);
#endif

// Value type codes answered by HostValues::GetType that the plug-in looks at.
enum ValueType : int32_t {
    kValueInteger = 1,
    kValueSymbol = 2,
    kValueString = 3,
    kValueVoid = 4,
    kValueFloat = 5,
    kValueList = 7,
    kValuePropList = 8,
    kValueMemberRef = 11,
};

// The value type the plug-in uses when it stores its method table text.
constexpr int32_t kDictionaryValueText = 9;

// ---------------------------------------------------------------------------
// Interfaces. Each has an operation table `Ops` and a record whose first word
// points at it. `Unknown` is the three COM slots every table starts with.

template <typename Self>
struct UnknownSlots {
    Status(__stdcall* QueryInterface)(Self* self, const GUID* iid, void** out);
    ULONG(__stdcall* AddRef)(Self* self);
    ULONG(__stdcall* Release)(Self* self);
};

// Every class instance is itself a reference-counted object: word 0 of its header
// points at this table, and the instance pointer is the object (ops->AddRef(instance)).
struct HostInstance;
struct HostInstanceOps : UnknownSlots<HostInstance> {};
struct HostInstance {
    const HostInstanceOps* ops;
};

// Word 3 of the header: the host's allocator for the instance's data.
struct HostAllocator;
struct HostAllocatorOps : UnknownSlots<HostAllocator> {
    void*(__stdcall* Alloc)(HostAllocator* self, uint32_t byteCount);  // 3; null on failure
    void(__stdcall* Free)(HostAllocator* self, void* block);           // 4
};
struct HostAllocator {
    const HostAllocatorOps* ops;
};

// Word 2 of the header: yields the host services and switches dialog resources.
struct HostCallback;
struct HostCallbackOps : UnknownSlots<HostCallback> {
    UnusedSlot slot3;
    UnusedSlot slot4;
    // 5: makes the module's resources current; answers the resource handle for
    // dialog templates and the state to restore.
    HANDLE(__stdcall* UseModuleResources)(HostCallback* self, HMODULE module, int32_t* savedState);
    Status(__stdcall* RestoreResources)(HostCallback* self, HMODULE module, int32_t savedState);  // 6
};
struct HostCallback {
    const HostCallbackOps* ops;
};

// The host header: four words the host fills before Create. Word 1 is the host's
// own, as wide as a pointer so that a host can keep one there.
struct HostHeader {
    const HostInstanceOps* instanceOps;
    uintptr_t hostWord;
    HostCallback* callback;
    HostAllocator* allocator;
};
#ifdef _WIN64
static_assert(offsetof(HostHeader, callback) == 16);
static_assert(sizeof(HostHeader) == 32);
#else
static_assert(offsetof(HostHeader, callback) == 8);
static_assert(sizeof(HostHeader) == 16);
#endif

struct HostDictionary;
struct HostDictionaryOps : UnknownSlots<HostDictionary> {
    UnusedSlot slot3;
    UnusedSlot slot4;
    UnusedSlot slot5;
    // 6: stores a value of the given type under a key.
    Status(__stdcall* Put)(HostDictionary* self, int32_t valueType, const void* data, int32_t size, const char* key);
};
struct HostDictionary {
    const HostDictionaryOps* ops;
};

struct HostRegistry;
struct HostRegistryOps : UnknownSlots<HostRegistry> {
    UnusedSlot slot3;
    UnusedSlot slot4;
    UnusedSlot slot5;
    UnusedSlot slot6;
    // 7: the dictionary of a class's registration; handed out without a reference.
    Status(__stdcall* GetClassDictionary)(HostRegistry* self, uint32_t token, const GUID* classId,
                                          const GUID* interfaceId, HostDictionary** out);
};
struct HostRegistry {
    const HostRegistryOps* ops;
};

struct HostAppInfo;
struct HostAppInfoOps : UnknownSlots<HostAppInfo> {
    // 3: writes a NUL-terminated text of at most `size` bytes.
    Status(__stdcall* GetProperty)(HostAppInfo* self, int32_t property, char* text, int32_t size);
};
struct HostAppInfo {
    const HostAppInfoOps* ops;
};
constexpr int32_t kAppPropertyKind = 1;

struct HostValues;
struct HostValuesOps : UnknownSlots<HostValues> {
    Status(__stdcall* StringToSymbol)(HostValues* self, const char* text, Symbol* out);  // 3
    UnusedSlot slot4;
    Status(__stdcall* GetType)(HostValues* self, const ScriptValue* value, int32_t* type);  // 5
    UnusedSlot slot6;
    Status(__stdcall* ReleaseValue)(HostValues* self, ScriptValue* value);                      // 7
    Status(__stdcall* ToInteger)(HostValues* self, const ScriptValue* value, int32_t* out);     // 8
    Status(__stdcall* ToSymbol)(HostValues* self, const ScriptValue* value, Symbol* out);       // 9
    Status(__stdcall* ToFloat)(HostValues* self, const ScriptValue* value, double* out);        // 10
    Status(__stdcall* StringLength)(HostValues* self, const ScriptValue* value, int32_t* out);  // 11
    Status(__stdcall* ToString)(HostValues* self, const ScriptValue* value, char* text,
                                int32_t size);  // 12
    UnusedSlot slot13;
    UnusedSlot slot14;
    UnusedSlot slot15;
    UnusedSlot slot16;
    Status(__stdcall* FromInteger)(HostValues* self, int32_t number, ScriptValue* out);   // 17
    Status(__stdcall* FromSymbol)(HostValues* self, Symbol symbol, ScriptValue* out);     // 18
    Status(__stdcall* FromFloat)(HostValues* self, double number, ScriptValue* out);      // 19
    Status(__stdcall* FromString)(HostValues* self, const char* text, ScriptValue* out);  // 20
};
struct HostValues {
    const HostValuesOps* ops;
};

// Value ownership as the plug-in uses it: GetAt and GetProp hand out a new
// reference that the caller releases; SetAt takes over the element's reference
// (the plug-in does not release an element it has set); AddProp keeps references
// of its own to key and value (the plug-in releases both afterwards).
struct HostLists;
struct HostListsOps : UnknownSlots<HostLists> {
    Status(__stdcall* NewList)(HostLists* self, ScriptValue* out);  // 3
    UnusedSlot slot4;
    int32_t(__stdcall* Count)(HostLists* self, const ScriptValue* list);  // 5: the count itself
    Status(__stdcall* GetAt)(HostLists* self, const ScriptValue* list, int32_t position,
                             ScriptValue* out);  // 6, positions count from 1
    Status(__stdcall* SetAt)(HostLists* self, ScriptValue* list, int32_t position,
                             const ScriptValue* element);               // 7
    Status(__stdcall* NewPropList)(HostLists* self, ScriptValue* out);  // 8
    Status(__stdcall* AddProp)(HostLists* self, ScriptValue* list, const ScriptValue* key,
                               const ScriptValue* value);  // 9
    // 10: non-zero when the key is absent.
    Status(__stdcall* GetProp)(HostLists* self, const ScriptValue* list, const ScriptValue* key, ScriptValue* out);
};
struct HostLists {
    const HostListsOps* ops;
};

struct HostMessages;
struct HostMessagesOps : UnknownSlots<HostMessages> {
    Status(__stdcall* Show)(HostMessages* self, const char* text);  // 3
    Status(__stdcall* ShowFormatted)(HostMessages* self, const char* format,
                                     int32_t argument);  // 4, printf-style
};
struct HostMessages {
    const HostMessagesOps* ops;
};

struct HostWindow;
struct HostWindowOps : UnknownSlots<HostWindow> {
    UnusedSlot slot3;
    Status(__stdcall* GetWindows)(HostWindow* self, HINSTANCE* appInstance, HWND* mainWindow);  // 4
    // 5: runs a modal dialog from a template; answers the dialog's end code.
    INT_PTR(__stdcall* RunDialog)
    (HostWindow* self, HANDLE resources, int32_t dialogId, DLGPROC procedure, LPARAM record);
    Status(__stdcall* BeginModal)(HostWindow* self, int32_t* state);  // 6
    Status(__stdcall* EndModal)(HostWindow* self, int32_t state);     // 7
};
struct HostWindow {
    const HostWindowOps* ops;
};

struct HostMember;
struct HostMemberOps : UnknownSlots<HostMember> {
    Status(__stdcall* GetMemberProp)(HostMember* self, Symbol property, ScriptValue* out);  // 3
    UnusedSlot slot4;
    Status(__stdcall* GetMedia)(HostMember* self, MediaRequest* request);  // 5
};
struct HostMember {
    const HostMemberOps* ops;
};

struct HostMovie;
struct HostMovieOps : UnknownSlots<HostMovie> {
    UnusedSlot slot3;
    UnusedSlot slot4;
    UnusedSlot slot5;
    UnusedSlot slot6;
    UnusedSlot slot7;
    // 8: calls a handler of the movie; the plug-in passes no arguments and wants no result.
    Status(__stdcall* CallHandler)(HostMovie* self, Symbol handler, int32_t argCount, const ScriptValue* args,
                                   ScriptValue* result);
    UnusedSlot slot9;
    UnusedSlot slot10;
    UnusedSlot slot11;
    UnusedSlot slot12;
    UnusedSlot slot13;
    UnusedSlot slot14;
    UnusedSlot slot15;
    UnusedSlot slot16;
    Status(__stdcall* GetMember)(HostMovie* self, const MemberRef* reference, HostMember** out);  // 17
};
struct HostMovie {
    const HostMovieOps* ops;
};

struct HostPlayer;
struct HostPlayerOps : UnknownSlots<HostPlayer> {
    UnusedSlot slot3;
    UnusedSlot slot4;
    UnusedSlot slot5;
    Status(__stdcall* GetActiveMovie)(HostPlayer* self, HostMovie** out);  // 6
    UnusedSlot slot7;
    UnusedSlot slot8;
    Status(__stdcall* ResolveFileName)(HostPlayer* self, const char* name, char* path,
                                       int32_t size);  // 9
};
struct HostPlayer {
    const HostPlayerOps* ops;
};

struct HostMedia;
struct HostMediaOps : UnknownSlots<HostMedia> {
    UnusedSlot slot3;
    UnusedSlot slot4;
    Status(__stdcall* NewMediaRequest)(HostMedia* self, Symbol label, Symbol format, uintptr_t mediaData,
                                       uint32_t options, uint32_t auxiliary, MediaRequest* out);  // 5
    Status(__stdcall* ReleaseMedia)(HostMedia* self, MediaRequest* request);                      // 6
};
struct HostMedia {
    const HostMediaOps* ops;
};

struct HostMemberRefs;
struct HostMemberRefsOps : UnknownSlots<HostMemberRefs> {
    Status(__stdcall* ToMemberRef)(HostMemberRefs* self, const ScriptValue* value, MemberRef* out);  // 3
};
struct HostMemberRefs {
    const HostMemberRefsOps* ops;
};

// ---------------------------------------------------------------------------
// Interface ids of the services an instance asks its HostCallback for.

// {ACC7E2B8-000A-B4D0-0000-080007160DC3}
constexpr GUID kIidHostAppInfo = {0xACC7E2B8, 0x000A, 0xB4D0, {0x00, 0x00, 0x08, 0x00, 0x07, 0x16, 0x0D, 0xC3}};
// {151A5780-32BD-11D0-8151-00AA005F3C08}
constexpr GUID kIidHostValues = {0x151A5780, 0x32BD, 0x11D0, {0x81, 0x51, 0x00, 0xAA, 0x00, 0x5F, 0x3C, 0x08}};
// {3F698780-32BE-11D0-8151-00AA005F3C08}
constexpr GUID kIidHostMessages = {0x3F698780, 0x32BE, 0x11D0, {0x81, 0x51, 0x00, 0xAA, 0x00, 0x5F, 0x3C, 0x08}};
// {AC96CF98-0045-5C0B-0000-0040105023FB}
constexpr GUID kIidHostLists = {0xAC96CF98, 0x0045, 0x5C0B, {0x00, 0x00, 0x00, 0x40, 0x10, 0x50, 0x23, 0xFB}};
// {D9088161-32BF-11D0-8151-00AA005F3C08}
constexpr GUID kIidHostWindow = {0xD9088161, 0x32BF, 0x11D0, {0x81, 0x51, 0x00, 0xAA, 0x00, 0x5F, 0x3C, 0x08}};
// {AC401B78-0000-FA7D-0000-0800072C6326}
constexpr GUID kIidHostPlayer = {0xAC401B78, 0x0000, 0xFA7D, {0x00, 0x00, 0x08, 0x00, 0x07, 0x2C, 0x63, 0x26}};
// {AC96CFC0-0045-6597-0000-0040105023FB}
constexpr GUID kIidHostMedia = {0xAC96CFC0, 0x0045, 0x6597, {0x00, 0x00, 0x00, 0x40, 0x10, 0x50, 0x23, 0xFB}};
// {C479AE20-41B2-11D0-96BF-00059A80E82F}
constexpr GUID kIidHostMemberRefs = {0xC479AE20, 0x41B2, 0x11D0, {0x96, 0xBF, 0x00, 0x05, 0x9A, 0x80, 0xE8, 0x2F}};

// ---------------------------------------------------------------------------
// The plug-in's classes and interfaces, as the host sees them.

// {762384B2-2B3C-11D0-8512-080007A6A029}
constexpr GUID kClsidXtraRegistrar = {0x762384B2, 0x2B3C, 0x11D0, {0x85, 0x12, 0x08, 0x00, 0x07, 0xA6, 0xA0, 0x29}};
// {9F114ED6-2B3C-11D0-8512-080007A6A029}
constexpr GUID kClsidSoundXtra = {0x9F114ED6, 0x2B3C, 0x11D0, {0x85, 0x12, 0x08, 0x00, 0x07, 0xA6, 0xA0, 0x29}};
// {AC3E7803-0002-8FE5-0000-080007160DC3}
constexpr GUID kIidRegistration = {0xAC3E7803, 0x0002, 0x8FE5, {0x00, 0x00, 0x08, 0x00, 0x07, 0x16, 0x0D, 0xC3}};
// {AC401FB6-0001-F9B0-0000-0800072C6326}
constexpr GUID kIidScripting = {0xAC401FB6, 0x0001, 0xF9B0, {0x00, 0x00, 0x08, 0x00, 0x07, 0x2C, 0x63, 0x26}};
// {00000001-0000-0000-C000-000000000046}
constexpr GUID kIidClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kNullId = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

constexpr uint32_t kXtraVersion = 0x05001143;

// One record of the class-info array read by the host.
#pragma pack(push, 1)
struct ClassInfoRecord {
    GUID classId;
    uint32_t classVersion;
    GUID interfaceId;
    uint32_t interfaceVersion;
};
#pragma pack(pop)
static_assert(sizeof(ClassInfoRecord) == 40);

// Class create and destroy functions reported by DllGetClassForm.
using ClassCreateFn = Status(__stdcall*)(void* instance);
using ClassDestroyFn = Status(__stdcall*)(void* instance);

// The plug-in's exports, as a host resolves them.
using DllGetClassFormFn = Status(__stdcall*)(const GUID* classId, uint32_t* instanceSize, ClassCreateFn* create,
                                             ClassDestroyFn* destroy);
using DllGetInterfaceFn = Status(__stdcall*)(void* instance, const GUID* classId, const GUID* interfaceId, void** out);
using DllGetClassInfoFn = Status(__stdcall*)(HostAllocator* allocator, ClassInfoRecord** out);
using DllGetClassObjectFn = Status(__stdcall*)(const GUID*, const GUID*, void**);
using DllCanUnloadNowFn = Status(__stdcall*)();

// The registrar's interface as a host calls it.
struct RegistrationInterface;
struct RegistrationOps : UnknownSlots<RegistrationInterface> {
    Status(__stdcall* Register)(RegistrationInterface* self, HostRegistry* registry, uint32_t token);  // 3
};
struct RegistrationInterface {
    const RegistrationOps* ops;
};

// The scripting interface as a host calls it (slots past Call are the plug-in's own).
struct ScriptingInterface;
struct ScriptingOps : UnknownSlots<ScriptingInterface> {
    Status(__stdcall* Call)(ScriptingInterface* self, CallInfo* call);  // 3
};
struct ScriptingInterface {
    const ScriptingOps* ops;
};

}  // namespace sonidrax
