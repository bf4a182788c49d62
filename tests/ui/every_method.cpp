// Every method of the table, called with each kind of script value in every
// declared place, with too few and with too many arguments, answers a status and
// leaves the host whole: no crash, no misuse of a host service, nothing left over.
//   ui_every_method PLUGIN SOUND.wav     (the preferences dialog comes up: needs a display)
#include "dialog_answers.h"
#include "host.h"
#include "plugin.h"
#include "status.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace sonidrax;
using namespace sonidrax::host;

namespace {

constexpr uint32_t kNewSound = 2;
constexpr uint32_t kDeleteAllSounds = 6;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::printf("the plug-in crashed (exception 0x%08lX)\n",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stdout);
    ExitProcess(3);
}

// A status is 0, one of the plug-in's own small negative codes, or a code of
// the host, COM or DirectSound families.
bool IsStatus(Status status) {
    const uint32_t family = static_cast<uint32_t>(status) & 0xFFFF0000u;
    return status == 0 || (status < 0 && status >= -1000) || family == 0x80040000u || family == 0x88780000u ||
           family == 0x80070000u || family == 0x80000000u;
}

ScriptValue ListOf(ValueStore& values, int count) {
    ScriptValue list = values.NewList();
    for (int i = 1; i <= count; ++i) values.Append(list, values.NewFloat(i));
    return list;
}

std::vector<ScriptValue> Kinds(ValueStore& values) {
    ScriptValue settings = values.NewPropList();
    ScriptValue key = values.NewString("mainDevice");
    ScriptValue text = values.NewString("No Such Device");
    values.AddProp(settings, key, text);
    values.Release(&key);
    values.Release(&text);
    return {ValueStore::Integer(1),
            values.NewFloat(2.5),
            values.NewString("sonidrax"),
            values.NewString(std::string(600, 'a')),
            ValueStore::SymbolValue(values.Intern("dsNormal")),
            ValueStore::Void(),
            ListOf(values, 0),
            ListOf(values, 2),
            ListOf(values, 3),
            ListOf(values, 4),
            settings,
            values.NewMemberRef({1, 1})};
}

// Declared arguments after "object me"; "*" counts as one.
size_t Declared(const MethodEntry& method) {
    if (method.params.empty()) return 0;
    size_t count = 1;
    for (char c : method.params) count += c == ',' ? 1 : 0;
    return method.global ? count : count - 1;
}

}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
    if (argc != 3) return 2;
    Host host;
    std::ifstream wave(argv[2], std::ios::binary);
    host.members.push_back({"tone", "sound", 1, 1, {std::istreambuf_iterator<char>(wave), {}}});
    // The file dialogs read no arguments and are driven in their own tests; as in a
    // browser plug-in they stay away, and only the preferences dialog comes up.
    host.appKind = "plugin";
    Plugin plugin(&host);
    std::string error;
    Status created = 0;
    InstanceRecord* record = plugin.Load(argv[1], &error) ? plugin.CreateInstance("x", &created, &error) : nullptr;
    if (record == nullptr) return std::printf("%s\n", error.c_str()), 2;
    SetCurrentDirectoryA(host.ScratchFolder().c_str());  // dsCreateDir and dsMoveFile work in here
    InstallDialogAnswers(&host);
    ScriptValue me = host.values.NewObject(record->id);
    std::vector<ScriptValue> kinds = Kinds(host.values);
    int calls = 0;
    int failures = 0;
    // An instance method gets the instance first, unless the call is to have nothing at all.
    auto call = [&](const MethodEntry& method, std::vector<ScriptValue> args, bool withMe = true) {
        if (!method.global && withMe) args.insert(args.begin(), me);
        host.dialogAnswers.assign(1, DialogAnswer{IDCANCEL, 20, std::nullopt});
        ScriptValue result = ValueStore::Void();
        const Status status = plugin.Call(record, method.index, args, &result);
        host.values.Release(&result);
        ++calls;
        if (IsStatus(status)) return;
        ++failures;
        std::printf("%s with %zu arguments answered 0x%08lX\n", method.name.c_str(), args.size(),
                    static_cast<unsigned long>(status));
    };
    const MethodEntry newSound{"dsNewSound", kNewSound, false, "", ""};
    const MethodEntry deleteAll{"dsDeleteAllSounds", kDeleteAllSounds, false, "", ""};
    for (const MethodEntry& method : plugin.Methods().methods) {
        call(deleteAll, {});  // sound 1 exists for every method, so handlers get past the lookup
        call(newSound, {kinds.back()});
        const size_t declared = Declared(method);
        for (const ScriptValue& kind : kinds) call(method, std::vector<ScriptValue>(declared > 0 ? declared : 1, kind));
        call(method, {}, false);
        if (declared > 0) call(method, std::vector<ScriptValue>(declared - 1, kinds[0]));
        call(method, kinds);  // more than any method takes
    }
    host.dialogAnswers.clear();
    RemoveDialogAnswers();
    for (ScriptValue& value : kinds) host.values.Release(&value);
    host.values.Release(&me);
    const std::string left = plugin.Forget(record);
    SetCurrentDirectoryA("\\");
    host.RemoveScratch();
    std::printf("%zu methods, %d calls, %d without a status; host faults: %u; instance: %s; values alive: %zu\n",
                plugin.Methods().methods.size(), calls, failures, host.FaultCount(), left.c_str(),
                host.values.LiveCells());
    const bool whole =
        failures == 0 && host.FaultCount() == 0 && left == "nothing left" && host.values.LiveCells() == 0;
    return whole && plugin.Methods().methods.size() == 85 ? 0 : 1;
}
