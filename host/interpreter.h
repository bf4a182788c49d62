// Runs a parsed script against the host and, once a statement needs it, the plug-in.
#pragma once

#include "host.h"
#include "plugin.h"
#include "script.h"

#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

namespace sonidrax::host {

class Interpreter {
public:
    // Exit codes of a run.
    static constexpr int kPassed = 0;
    static constexpr int kFailed = 1;     // an expectation, a script error or a host fault
    static constexpr int kNotLoaded = 2;  // the plug-in could not be loaded

    Interpreter(Host* host, std::string pluginPath);
    ~Interpreter();

    // Runs every statement, stops at the first failure, then forgets every live
    // instance and unloads the plug-in. Answers the exit code.
    int Run(const Script& script);

    // The line being run, for reports of a crash inside the plug-in.
    static int CurrentLine();

private:
    bool Execute(const Statement& statement);
    bool Assign(const Statement& statement);
    bool QueueAnswer(const Statement& statement);
    bool PrintValues(const Statement& statement);
    bool PrintMethods(int line);
    bool ForgetVariable(const Statement& statement);
    bool Expect(const Statement& statement);
    bool ExpectMessage(const Statement& statement);
    bool Evaluate(const Expr& expr, ScriptValue* out);
    bool EvaluateCall(const Expr& call, ScriptValue* out);
    bool EvaluateBuiltin(const Expr& call, bool* handled, ScriptValue* out);
    // Builtins (builtins.cpp), one per name or family of names.
    bool BuiltinNew(const Expr& call, ScriptValue* out);
    bool BuiltinStatus(const Expr& call, ScriptValue* out);
    bool BuiltinInstanceCount(const Expr& call, ScriptValue* out);
    bool BuiltinHandlerCalls(const Expr& call, ScriptValue* out);
    bool BuiltinHostCount(const Expr& call, ScriptValue* out);
    bool BuiltinCountOrIlk(const Expr& call, ScriptValue* out);
    bool BuiltinLookup(const Expr& call, ScriptValue* out);
    bool BuiltinCallIndex(const Expr& call, ScriptValue* out);
    bool BuiltinFiles(const Expr& call, ScriptValue* out);
    bool BuiltinJoin(const Expr& call, ScriptValue* out);
    bool Arity(const Expr& call, size_t wanted);
    bool EvaluateOne(const Expr& call, ScriptValue* value);
    bool CallMethod(const Expr& call, ScriptValue* out);
    bool CallByIndex(const Expr& call, uint32_t index, const std::string& label, bool global,
                     std::vector<ScriptValue>* args, ScriptValue* out);
    bool EvaluateArgs(const Expr& call, size_t first, std::vector<ScriptValue>* args);
    void ReleaseAll(std::vector<ScriptValue>* values);
    bool EnsurePlugin(int line);
    bool NewInstance(int line, const std::string& name, ScriptValue* out);
    InstanceRecord* LiveInstance(const ScriptValue& value, int line, const std::string& what);
    InstanceRecord* GlobalInstance(int line);
    bool Compare(const Statement& statement, bool* holds, std::string* got, std::string* wanted);
    bool Wait(const Statement& statement);
    bool WaitLoop(const Statement& statement);
    bool DefineMember(const Statement& statement);
    void Forget(InstanceRecord* record, const std::string& label);
    void Cleanup();
    bool Fail(int line, const std::string& text);
    std::string Text(const ScriptValue& value) const;
    std::string InstanceName(uint32_t id) const;

    Host* host_;
    std::string pluginPath_;
    std::unique_ptr<Plugin> plugin_;
    bool loadFailed_ = false;
    std::map<std::string, ScriptValue> variables_;
    std::vector<InstanceRecord*> instances_;  // made by the script, in order
    InstanceRecord* global_ = nullptr;        // the instance that serves global methods
    Status lastStatus_ = 0;
    int exitCode_ = kPassed;
    std::string pendingName_;
    bool cleaned_ = false;
    // While a wait repeats calls, each distinct non-zero status is printed once, so
    // the transcript does not depend on how many calls fit into the wait.
    std::set<Status>* waitStatuses_ = nullptr;
};

}  // namespace sonidrax::host
