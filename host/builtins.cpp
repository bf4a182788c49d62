// The host's builtin functions of the script language (host/README.md lists them).
#include "interpreter.h"

#include "status.h"

namespace sonidrax::host {
namespace {

using Builtin = bool (Interpreter::*)(const Expr&, ScriptValue*);

std::string IlkName(int32_t type) {
    switch (type) {
        case kValueInteger:
            return "integer";
        case kValueSymbol:
            return "symbol";
        case kValueString:
            return "string";
        case kValueVoid:
            return "void";
        case kValueFloat:
            return "float";
        case kValueList:
            return "list";
        case kValuePropList:
            return "propList";
        case kValueMemberRef:
            return "member";
        case kValueObject:
            return "instance";
        default:
            return "bad";
    }
}

}  // namespace

bool Interpreter::EvaluateBuiltin(const Expr& call, bool* handled, ScriptValue* out) {
    static const struct {
        const char* name;
        Builtin builtin;
    } kBuiltins[] = {
        {"new", &Interpreter::BuiltinNew},
        {"status", &Interpreter::BuiltinStatus},
        {"allocations", &Interpreter::BuiltinInstanceCount},
        {"bytes", &Interpreter::BuiltinInstanceCount},
        {"references", &Interpreter::BuiltinInstanceCount},
        {"services", &Interpreter::BuiltinInstanceCount},
        {"handlerCalls", &Interpreter::BuiltinHandlerCalls},
        {"messageCount", &Interpreter::BuiltinHostCount},
        {"liveValues", &Interpreter::BuiltinHostCount},
        {"modalDepth", &Interpreter::BuiltinHostCount},
        {"dialogsRun", &Interpreter::BuiltinHostCount},
        {"canUnload", &Interpreter::BuiltinHostCount},
        {"count", &Interpreter::BuiltinCountOrIlk},
        {"ilk", &Interpreter::BuiltinCountOrIlk},
        {"getAt", &Interpreter::BuiltinLookup},
        {"getProp", &Interpreter::BuiltinLookup},
        {"callIndex", &Interpreter::BuiltinCallIndex},
        {"pendingAnswers", &Interpreter::BuiltinHostCount},
        {"scratch", &Interpreter::BuiltinFiles},
        {"makeFile", &Interpreter::BuiltinFiles},
        {"join", &Interpreter::BuiltinJoin},
    };
    for (const auto& entry : kBuiltins) {
        if (call.text == entry.name) {
            *handled = true;
            return (this->*entry.builtin)(call, out);
        }
    }
    *handled = false;
    return false;
}

bool Interpreter::Arity(const Expr& call, size_t wanted) {
    if (call.items.size() == wanted) {
        return true;
    }
    return Fail(call.line, call.text + " takes " + std::to_string(wanted) + " argument" + (wanted == 1 ? "" : "s"));
}

bool Interpreter::EvaluateOne(const Expr& call, ScriptValue* value) {
    return Arity(call, 1) && Evaluate(call.items[0], value);
}

bool Interpreter::BuiltinNew(const Expr& call, ScriptValue* out) {
    const std::string name = pendingName_.empty() ? "instance " + std::to_string(instances_.size() + 1) : pendingName_;
    return Arity(call, 0) && NewInstance(call.line, name, out);
}

bool Interpreter::BuiltinStatus(const Expr& call, ScriptValue* out) {
    *out = ValueStore::Integer(lastStatus_);
    return Arity(call, 0);
}

// What one instance holds, alive or forgotten.
bool Interpreter::BuiltinInstanceCount(const Expr& call, ScriptValue* out) {
    ScriptValue value = ValueStore::Void();
    if (!EvaluateOne(call, &value)) {
        return false;
    }
    uint32_t id = 0;
    const Status status = host_->values.ToObject(value, &id);
    const std::string text = Text(value);
    host_->values.Release(&value);
    const InstanceRecord* record = status == kOk ? host_->FindRecord(id) : nullptr;
    if (!record) {
        return Fail(call.line, call.text + ": " + text + " is not an instance");
    }
    int32_t number = 0;
    if (call.text == "allocations") {
        number = static_cast<int32_t>(record->blocks.size());
    } else if (call.text == "bytes") {
        number = static_cast<int32_t>(record->LiveBytes());
    } else if (call.text == "references") {
        number = record->self.refs;
    } else {
        number = record->ServiceReferences();
    }
    *out = ValueStore::Integer(number);
    return true;
}

bool Interpreter::BuiltinHandlerCalls(const Expr& call, ScriptValue* out) {
    ValueStore& values = host_->values;
    ScriptValue value = ValueStore::Void();
    if (!EvaluateOne(call, &value)) {
        return false;
    }
    std::string handler;
    Symbol symbol = 0;
    if (values.ToSymbol(value, &symbol) == kOk) {
        handler = values.SymbolName(symbol);
    } else if (values.ToText(value, &handler) != kOk) {
        values.Release(&value);
        return Fail(call.line, "handlerCalls takes a handler name");
    }
    values.Release(&value);
    int32_t count = 0;
    for (const auto& [called, calls] : host_->handlerCalls) {
        if (_stricmp(called.c_str(), handler.c_str()) == 0) {
            count += calls;
        }
    }
    *out = ValueStore::Integer(count);
    return true;
}

bool Interpreter::BuiltinHostCount(const Expr& call, ScriptValue* out) {
    if (!Arity(call, 0)) {
        return false;
    }
    int32_t number = 0;
    if (call.text == "messageCount") {
        number = static_cast<int32_t>(host_->allMessages.size());
    } else if (call.text == "liveValues") {
        number = static_cast<int32_t>(host_->values.LiveCells());
    } else if (call.text == "modalDepth") {
        number = host_->modalDepth;
    } else if (call.text == "dialogsRun") {
        number = host_->dialogsRun;
    } else if (call.text == "pendingAnswers") {
        number = static_cast<int32_t>(host_->dialogAnswers.size());
    } else {
        if (!EnsurePlugin(call.line)) {
            return false;
        }
        number = plugin_->CanUnloadNow();
    }
    *out = ValueStore::Integer(number);
    return true;
}

bool Interpreter::BuiltinCountOrIlk(const Expr& call, ScriptValue* out) {
    ValueStore& values = host_->values;
    ScriptValue value = ValueStore::Void();
    if (!EvaluateOne(call, &value)) {
        return false;
    }
    const int32_t type = values.TypeOf(value);
    bool ok = true;
    if (call.text == "ilk") {
        *out = ValueStore::SymbolValue(values.Intern(IlkName(type)));
    } else if (type == kValueList || type == kValuePropList) {
        *out = ValueStore::Integer(values.Count(value));
    } else {
        ok = Fail(call.line, "count: " + Text(value) + " is not a list");
    }
    values.Release(&value);
    return ok;
}

bool Interpreter::BuiltinLookup(const Expr& call, ScriptValue* out) {
    ValueStore& values = host_->values;
    std::vector<ScriptValue> args;
    if (!Arity(call, 2) || !EvaluateArgs(call, 0, &args)) {
        return false;
    }
    Status status = kOk;
    if (call.text == "getAt") {
        int32_t position = 0;
        status = values.ToInteger(args[1], &position);
        if (status == kOk) {
            status = values.GetAt(args[0], position, out);
        }
    } else {
        status = values.GetProp(args[0], args[1], out);
    }
    const std::string text = Text(args[0]) + ", " + Text(args[1]);
    ReleaseAll(&args);
    return status == kOk ? true : Fail(call.line, call.text + "(" + text + ") finds nothing");
}

bool Interpreter::BuiltinCallIndex(const Expr& call, ScriptValue* out) {
    if (call.items.size() < 2 || call.items[1].kind != Expr::Kind::Integer || call.items[1].integer < 0) {
        return Fail(call.line, "callIndex takes an instance, a method index and the method's arguments");
    }
    Expr rest = call;
    rest.items.erase(rest.items.begin() + 1);
    std::vector<ScriptValue> args;
    if (!EnsurePlugin(call.line) || !EvaluateArgs(rest, 0, &args)) {
        return false;
    }
    const uint32_t index = static_cast<uint32_t>(call.items[1].integer);
    return CallByIndex(call, index, "method " + std::to_string(index), false, &args, out);
}

// scratch() is a fresh folder; makeFile(path, bytes) writes a file of that many bytes.
bool Interpreter::BuiltinFiles(const Expr& call, ScriptValue* out) {
    if (call.text == "scratch") {
        if (!Arity(call, 0)) {
            return false;
        }
        const std::string folder = host_->ScratchFolder();
        if (folder.empty()) {
            return Fail(call.line, "scratch: no folder could be made");
        }
        *out = host_->values.NewString(folder);
        return true;
    }
    std::vector<ScriptValue> args;
    if (!Arity(call, 2) || !EvaluateArgs(call, 0, &args)) {
        return false;
    }
    std::string path;
    int32_t bytes = -1;
    const bool read = host_->values.ToText(args[0], &path) == kOk && host_->values.ToInteger(args[1], &bytes) == kOk;
    ReleaseAll(&args);
    if (!read || bytes < 0) {
        return Fail(call.line, "makeFile takes a path and a size");
    }
    *out = ValueStore::Void();
    return host_->MakeFile(path, bytes) || Fail(call.line, "makeFile: cannot write \"" + path + "\"");
}

// The texts of its arguments, one after the other.
bool Interpreter::BuiltinJoin(const Expr& call, ScriptValue* out) {
    std::vector<ScriptValue> args;
    if (!EvaluateArgs(call, 0, &args)) {
        return false;
    }
    std::string joined;
    bool texts = true;
    for (const ScriptValue& arg : args) {
        std::string text;
        texts = texts && host_->values.ToText(arg, &text) == kOk;
        joined += text;
    }
    ReleaseAll(&args);
    if (!texts) {
        return Fail(call.line, "join takes strings");
    }
    *out = host_->values.NewString(joined);
    return true;
}

}  // namespace sonidrax::host
