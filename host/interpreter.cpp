#include "interpreter.h"

#include "dialog_answers.h"
#include "status.h"
#include "value_text.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace sonidrax::host {
namespace {

int g_currentLine = 0;

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Sleeps up to `ms`, waking early for window messages (dialogs, timers).
void Idle(uint32_t ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    PumpMessages();
}

bool IsNumber(int32_t type) { return type == kValueInteger || type == kValueFloat; }
}  // namespace

Interpreter::Interpreter(Host* host, std::string pluginPath) : host_(host), pluginPath_(std::move(pluginPath)) {}

Interpreter::~Interpreter() { Cleanup(); }

int Interpreter::CurrentLine() { return g_currentLine; }

int Interpreter::Run(const Script& script) {
    InstallDialogAnswers(host_);
    for (const Statement& statement : script.statements) {
        g_currentLine = statement.line;
        if (!Execute(statement)) {
            break;
        }
    }
    g_currentLine = 0;
    Cleanup();
    RemoveDialogAnswers();
    if (exitCode_ == kPassed && host_->FaultCount() > 0) {
        exitCode_ = kFailed;
    }
    return exitCode_;
}

bool Interpreter::Fail(int line, const std::string& text) {
    host_->Print("line " + std::to_string(line) + ": " + text);
    if (exitCode_ == kPassed) {
        exitCode_ = kFailed;
    }
    return false;
}

std::string Interpreter::InstanceName(uint32_t id) const {
    for (const auto& record : host_->records) {
        if (record->id == id) {
            return record->name;
        }
    }
    return std::to_string(id);
}

std::string Interpreter::Text(const ScriptValue& value) const {
    return FormatValue(host_->values, value, [this](uint32_t id) { return InstanceName(id); });
}

bool Interpreter::EnsurePlugin(int line) {
    if (plugin_ && plugin_->Loaded()) {
        return true;
    }
    if (loadFailed_) {
        return Fail(line, "the plug-in is not loaded");
    }
    plugin_ = std::make_unique<Plugin>(host_);
    std::string error;
    if (!plugin_->Load(pluginPath_, &error)) {
        loadFailed_ = true;
        plugin_.reset();
        Fail(line, error);
        exitCode_ = kNotLoaded;
        return false;
    }
    return true;
}

bool Interpreter::Execute(const Statement& statement) {
    switch (statement.kind) {
        case Statement::Kind::Assign:
            return Assign(statement);
        case Statement::Kind::Evaluate: {
            ScriptValue value = ValueStore::Void();
            const bool ok = Evaluate(statement.exprs[0], &value);
            host_->values.Release(&value);
            return ok;
        }
        case Statement::Kind::Print:
            return PrintValues(statement);
        case Statement::Kind::Echo:
            host_->Print(statement.text);
            return true;
        case Statement::Kind::Methods:
            return PrintMethods(statement.line);
        case Statement::Kind::Forget:
            return ForgetVariable(statement);
        case Statement::Kind::DefineMember:
            return DefineMember(statement);
        case Statement::Kind::AppKind:
            if (statement.noAppKind) {
                host_->appKind.reset();
            } else {
                host_->appKind = statement.name;
            }
            return true;
        case Statement::Kind::Movie:
            host_->movieActive = statement.name == "on";
            return true;
        case Statement::Kind::Window:
            host_->ShowMainWindow(statement.name == "show");
            return true;
        case Statement::Kind::Expect:
            return Expect(statement);
        case Statement::Kind::ExpectMessage:
        case Statement::Kind::ExpectNoMessage:
            return ExpectMessage(statement);
        case Statement::Kind::Wait:
        case Statement::Kind::WaitUntil:
            return Wait(statement);
        case Statement::Kind::AnswerDialog:
            return QueueAnswer(statement);
        case Statement::Kind::Key: {
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            keys[statement.keyCode] = statement.keyDown ? 0x80 : 0;
            SetKeyboardState(keys);
            return true;
        }
    }
    return Fail(statement.line, "statement not understood");
}

bool Interpreter::QueueAnswer(const Statement& statement) {
    DialogAnswer answer{statement.buttonId, statement.ms,    std::nullopt,    std::nullopt,
                        statement.choices,  statement.ticks, statement.report};
    answer.listings = statement.listings;
    if (statement.typesText) {
        answer.typed = statement.text;
    }
    if (!statement.exprs.empty()) {
        ScriptValue folder = ValueStore::Void();
        std::string text;
        if (!Evaluate(statement.exprs[0], &folder)) {
            return false;
        }
        const Status status = host_->values.ToText(folder, &text);
        host_->values.Release(&folder);
        if (status != kOk) {
            return Fail(statement.line, "answer dialog: the folder is not a string");
        }
        answer.folder = text;
    }
    host_->dialogAnswers.push_back(std::move(answer));
    return true;
}

bool Interpreter::Assign(const Statement& statement) {
    pendingName_ = statement.name;
    ScriptValue value = ValueStore::Void();
    const bool ok = Evaluate(statement.exprs[0], &value);
    pendingName_.clear();
    if (!ok) {
        return false;
    }
    auto found = variables_.find(statement.name);
    if (found == variables_.end()) {
        variables_.emplace(statement.name, value);
        return true;
    }
    host_->values.Release(&found->second);
    found->second = value;
    return true;
}

bool Interpreter::PrintValues(const Statement& statement) {
    std::string text;
    for (const Expr& expr : statement.exprs) {
        ScriptValue value = ValueStore::Void();
        if (!Evaluate(expr, &value)) {
            return false;
        }
        if (!text.empty()) {
            text += " ";
        }
        text += Text(value);
        host_->values.Release(&value);
    }
    host_->Print(text);
    return true;
}

bool Interpreter::PrintMethods(int line) {
    if (!EnsurePlugin(line)) {
        return false;
    }
    const MethodTable& table = plugin_->Methods();
    host_->Print("xtra " + table.xtraName);
    for (const MethodEntry& entry : table.methods) {
        char index[16];
        std::snprintf(index, sizeof index, "%3u ", static_cast<unsigned>(entry.index));
        host_->Print(std::string(index).append(entry.line));
    }
    return true;
}

bool Interpreter::ForgetVariable(const Statement& statement) {
    auto found = variables_.find(statement.name);
    if (found == variables_.end()) {
        return Fail(statement.line, "unknown variable \"" + statement.name + "\"");
    }
    InstanceRecord* record = LiveInstance(found->second, statement.line, "forget " + statement.name);
    if (!record) {
        return false;
    }
    Forget(record, statement.name);
    return true;
}

bool Interpreter::Expect(const Statement& statement) {
    bool holds = false;
    std::string got;
    std::string wanted;
    if (!Compare(statement, &holds, &got, &wanted)) {
        return false;
    }
    if (holds) {
        return true;
    }
    const std::string op(ComparisonText(statement.comparison));
    return Fail(statement.line,
                "expectation failed: got " + got + ", expected " + (op == "==" ? "" : op + " ") + wanted);
}

bool Interpreter::ExpectMessage(const Statement& statement) {
    std::deque<std::string>& pending = host_->pendingMessages;
    if (statement.kind == Statement::Kind::ExpectNoMessage) {
        return pending.empty() ? true : Fail(statement.line, "expected no messages, got " + QuoteText(pending.front()));
    }
    if (pending.empty()) {
        return Fail(statement.line, "expected message " + QuoteText(statement.text) + ", but none came");
    }
    if (pending.front() != statement.text) {
        return Fail(statement.line, "expectation failed: got message " + QuoteText(pending.front()) + ", expected " +
                                        QuoteText(statement.text));
    }
    pending.pop_front();
    return true;
}

bool Interpreter::DefineMember(const Statement& statement) {
    for (const MemberDef& member : host_->members) {
        if (member.name == statement.name) {
            return Fail(statement.line, "member \"" + statement.name + "\" is already defined");
        }
    }
    MemberDef member;
    member.name = statement.name;
    member.kind = statement.text;
    member.castNumber = 1;
    member.memberNumber = static_cast<int32_t>(host_->members.size()) + 1;
    if (member.kind == "sound") {
        const std::string& file = statement.exprs[0].text;
        const std::string path = host_->ResolveName(file);
        std::ifstream input(path, std::ios::binary);
        if (!input) {
            return Fail(statement.line, "cannot read the sound file \"" + file + "\"");
        }
        member.media.assign(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
    }
    host_->members.push_back(std::move(member));
    return true;
}

bool Interpreter::Evaluate(const Expr& expr, ScriptValue* out) {
    ValueStore& values = host_->values;
    switch (expr.kind) {
        case Expr::Kind::Integer:
            *out = ValueStore::Integer(expr.integer);
            return true;
        case Expr::Kind::Float:
            *out = values.NewFloat(expr.number);
            return true;
        case Expr::Kind::String:
            *out = values.NewString(expr.text);
            return true;
        case Expr::Kind::Symbol:
            *out = ValueStore::SymbolValue(values.Intern(expr.text));
            return true;
        case Expr::Kind::Void:
            *out = ValueStore::Void();
            return true;
        case Expr::Kind::List: {
            ScriptValue list = values.NewList();
            for (const Expr& item : expr.items) {
                ScriptValue element = ValueStore::Void();
                if (!Evaluate(item, &element)) {
                    values.Release(&list);
                    return false;
                }
                values.Append(list, element);  // the list takes the element over
            }
            *out = list;
            return true;
        }
        case Expr::Kind::PropList: {
            ScriptValue list = values.NewPropList();
            for (size_t i = 0; i < expr.items.size(); ++i) {
                ScriptValue key = ValueStore::Void();
                ScriptValue value = ValueStore::Void();
                if (!Evaluate(expr.keys[i], &key) || !Evaluate(expr.items[i], &value)) {
                    values.Release(&key);
                    values.Release(&list);
                    return false;
                }
                values.AddProp(list, key, value);
                values.Release(&key);
                values.Release(&value);
            }
            *out = list;
            return true;
        }
        case Expr::Kind::Member: {
            MemberRef reference{expr.castNumber, expr.integer};
            if (expr.memberByName) {
                const MemberDef* found = nullptr;
                for (const MemberDef& member : host_->members) {
                    if (member.name == expr.text) {
                        found = &member;
                    }
                }
                if (!found) {
                    return Fail(expr.line, "no member is named \"" + expr.text + "\"");
                }
                reference = MemberRef{found->castNumber, found->memberNumber};
            }
            *out = values.NewMemberRef(reference);
            return true;
        }
        case Expr::Kind::Variable: {
            auto found = variables_.find(expr.text);
            if (found == variables_.end()) {
                return Fail(expr.line, "unknown variable \"" + expr.text + "\"");
            }
            values.Retain(found->second);
            *out = found->second;
            return true;
        }
        case Expr::Kind::Call:
            return EvaluateCall(expr, out);
    }
    return Fail(expr.line, "value not understood");
}

bool Interpreter::EvaluateArgs(const Expr& call, size_t first, std::vector<ScriptValue>* args) {
    for (size_t i = first; i < call.items.size(); ++i) {
        ScriptValue value = ValueStore::Void();
        if (!Evaluate(call.items[i], &value)) {
            ReleaseAll(args);
            return false;
        }
        args->push_back(value);
    }
    return true;
}

void Interpreter::ReleaseAll(std::vector<ScriptValue>* values) {
    for (ScriptValue& value : *values) {
        host_->values.Release(&value);
    }
    values->clear();
}

bool Interpreter::EvaluateCall(const Expr& call, ScriptValue* out) {
    bool handled = false;
    const bool ok = EvaluateBuiltin(call, &handled, out);
    if (handled) {
        return ok;
    }
    return CallMethod(call, out);
}

InstanceRecord* Interpreter::LiveInstance(const ScriptValue& value, int line, const std::string& what) {
    uint32_t id = 0;
    if (host_->values.ToObject(value, &id) != kOk) {
        Fail(line, what + ": " + Text(value) + " is not an instance");
        return nullptr;
    }
    InstanceRecord* record = host_->FindRecord(id);
    if (!record || !record->scripting) {
        Fail(line, what + ": instance " + InstanceName(id) + " was forgotten");
        return nullptr;
    }
    return record;
}

bool Interpreter::NewInstance(int line, const std::string& name, ScriptValue* out) {
    if (!EnsurePlugin(line)) {
        return false;
    }
    Status createStatus = kOk;
    std::string error;
    InstanceRecord* record = plugin_->CreateInstance(name, &createStatus, &error);
    if (!record) {
        return Fail(line, "new: " + error);
    }
    if (createStatus != kOk) {
        host_->Print("create " + name + " answered " + FormatStatus(createStatus));
    }
    lastStatus_ = createStatus;
    instances_.push_back(record);
    *out = host_->values.NewObject(record->id);
    return true;
}

InstanceRecord* Interpreter::GlobalInstance(int line) {
    if (global_) {
        return global_;
    }
    ScriptValue value = ValueStore::Void();
    if (!NewInstance(line, "global", &value)) {
        return nullptr;
    }
    host_->values.Release(&value);
    global_ = instances_.back();
    instances_.pop_back();
    return global_;
}

bool Interpreter::CallMethod(const Expr& call, ScriptValue* out) {
    const int line = call.line;
    if (!EnsurePlugin(line)) {
        return false;
    }
    const MethodEntry* entry = plugin_->Methods().Find(call.text);
    if (!entry) {
        return Fail(line, "unknown method \"" + call.text + "\"");
    }
    std::vector<ScriptValue> args;
    if (!EvaluateArgs(call, 0, &args)) {
        return false;
    }
    return CallByIndex(call, entry->index, entry->name, entry->global, &args, out);
}

bool Interpreter::CallByIndex(const Expr& call, uint32_t index, const std::string& label, bool global,
                              std::vector<ScriptValue>* args, ScriptValue* out) {
    const int line = call.line;
    InstanceRecord* record = nullptr;
    if (global) {
        record = GlobalInstance(line);
    } else if (args->empty()) {
        Fail(line, label + " is an instance method: its first argument is the instance");
    } else {
        record = LiveInstance(args->front(), line, label);
    }
    if (!record) {
        ReleaseAll(args);
        return false;
    }
    lastStatus_ = plugin_->Call(record, index, *args, out);
    ReleaseAll(args);
    const bool first = !waitStatuses_ || waitStatuses_->insert(lastStatus_).second;
    if (lastStatus_ != kOk && first) {
        host_->Print("status " + FormatStatus(lastStatus_) + " from " + label);
    }
    return true;
}

bool Interpreter::Compare(const Statement& statement, bool* holds, std::string* got, std::string* wanted) {
    ValueStore& values = host_->values;
    ScriptValue left = ValueStore::Void();
    ScriptValue right = ValueStore::Void();
    if (!Evaluate(statement.exprs[0], &left)) {
        return false;
    }
    if (!Evaluate(statement.exprs[1], &right)) {
        values.Release(&left);
        return false;
    }
    *got = Text(left);
    *wanted = Text(right);
    bool ok = true;
    switch (statement.comparison) {
        case Comparison::Equal:
            *holds = values.Equal(left, right);
            break;
        case Comparison::NotEqual:
            *holds = !values.Equal(left, right);
            break;
        default: {
            double a = 0.0;
            double b = 0.0;
            if (!IsNumber(values.TypeOf(left)) || !IsNumber(values.TypeOf(right))) {
                ok = Fail(statement.line, "only numbers can be ordered: " + *got + " " +
                                              std::string(ComparisonText(statement.comparison)) + " " + *wanted);
                break;
            }
            values.ToFloat(left, &a);
            values.ToFloat(right, &b);
            switch (statement.comparison) {
                case Comparison::Less:
                    *holds = a < b;
                    break;
                case Comparison::LessEqual:
                    *holds = a <= b;
                    break;
                case Comparison::Greater:
                    *holds = a > b;
                    break;
                default:
                    *holds = a >= b;
                    break;
            }
        }
    }
    values.Release(&left);
    values.Release(&right);
    return ok;
}

bool Interpreter::Wait(const Statement& statement) {
    std::set<Status> statuses;
    waitStatuses_ = &statuses;
    const bool ok = WaitLoop(statement);
    waitStatuses_ = nullptr;
    return ok;
}

bool Interpreter::WaitLoop(const Statement& statement) {
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG deadline = start + static_cast<ULONGLONG>(statement.ms);
    ULONGLONG nextCall = start + static_cast<ULONGLONG>(statement.everyMs);
    const bool until = statement.kind == Statement::Kind::WaitUntil;
    std::string got;
    std::string wanted;
    for (;;) {
        PumpMessages();
        const ULONGLONG now = GetTickCount64();
        if (until) {
            bool holds = false;
            if (!Compare(statement, &holds, &got, &wanted)) {
                return false;
            }
            if (holds) {
                return true;
            }
        }
        if (now >= deadline) {
            break;
        }
        if (statement.every && now >= nextCall) {
            ScriptValue result = ValueStore::Void();
            if (!EvaluateCall(*statement.every, &result)) {
                return false;
            }
            host_->values.Release(&result);
            nextCall += static_cast<ULONGLONG>(statement.everyMs);
            if (nextCall <= now) {
                nextCall = now + static_cast<ULONGLONG>(statement.everyMs);
            }
        }
        ULONGLONG next = deadline;
        if (statement.every && nextCall < next) {
            next = nextCall;
        }
        const ULONGLONG later = GetTickCount64();
        const ULONGLONG pause = next > later ? next - later : 0;
        Idle(static_cast<uint32_t>(pause < 10 ? pause : 10));
    }
    if (!until) {
        return true;
    }
    const std::string op(ComparisonText(statement.comparison));
    return Fail(statement.line, "gave up after " + std::to_string(statement.ms) + " ms: got " + got + ", expected " +
                                    (op == "==" ? "" : op + " ") + wanted);
}

void Interpreter::Forget(InstanceRecord* record, const std::string& label) {
    const std::string report = plugin_->Forget(record);
    host_->Print("forget " + label + ": " + report);
}

void Interpreter::Cleanup() {
    if (cleaned_) {
        return;
    }
    cleaned_ = true;
    if (plugin_) {
        for (InstanceRecord* record : instances_) {
            if (record->scripting) {
                Forget(record, record->name);
            }
        }
        if (global_ && global_->scripting) {
            Forget(global_, "the global instance");
        }
    }
    instances_.clear();
    global_ = nullptr;
    for (auto& [name, value] : variables_) {
        host_->values.Release(&value);
    }
    variables_.clear();
    if (plugin_) {
        bool allGone = true;
        for (const auto& record : host_->records) {
            allGone = allGone && (record->destroyed || !record->block);
        }
        const Status status = plugin_->CanUnloadNow();
        if (allGone && status != kOk) {
            host_->Fault("DllCanUnloadNow answers " + FormatStatus(status) + " with every instance gone");
        }
        plugin_.reset();
    }
    host_->RemoveScratch();
    if (host_->values.LiveCells() != 0) {
        host_->Fault(std::to_string(host_->values.LiveCells()) + " values made for the plug-in were never released");
    }
}

}  // namespace sonidrax::host
