// One script call as a handler sees it: its arguments read and its result written
// through the instance's host services, and the last-error rule.
#pragma once

#include <cstddef>

#include "frame/script_instance.h"
#include "frame/status.h"

namespace sonidrax {

// Text arguments and host texts are read into buffers of this size.
constexpr int32_t kTextSize = 260;
using TextBuffer = char[kTextSize];

class ScriptCall {
public:
    ScriptCall(ScriptInstance& instance, CallInfo& call) : instance_(instance), call_(call) {}

    ScriptInstance& instance() const { return instance_; }
    CallInfo& info() const { return call_; }
    int32_t argCount() const { return call_.argCount; }
    bool hasArgument(int32_t position) const;

    // The argument at a position, or null when the call has none there.
    const ScriptValue* argument(int32_t position) const;

    // Conversions whose failure is not looked at: an argument that is missing or
    // does not convert leaves the preset.
    int32_t integer(int32_t position, int32_t preset) const;
    double number(int32_t position, double preset) const;
    Symbol symbol(int32_t position, Symbol preset) const;
    // Always leaves a NUL-terminated text; empty when nothing converts.
    void text(int32_t position, TextBuffer& buffer) const;

    // The argument's value type, or the host's failing status.
    Status typeOf(int32_t position, int32_t* type) const;

    void returnInteger(int32_t number);
    void returnFloat(double number);
    void returnString(const char* text);
    void returnSymbol(Symbol symbol);

    // Records the script error code of the status and hands the status back.
    Status finish(Status status);
    // The same, with an integer as the call's result.
    Status finish(Status status, int32_t result);
    // Ends a call that failed: tells the author, answers integer 0 and records
    // the status's script error code.
    Status fail(Status status, const char* message);
    // Ends a failed call whose script error code is given, not mapped from the status.
    Status fail(Status status, const char* message, int32_t errorCode);

    void show(const char* message) const;
    void showFormatted(const char* format, int32_t argument) const;

private:
    ScriptInstance& instance_;
    CallInfo& call_;
};

// A script handler: reads its arguments and writes its result through the call,
// and answers a status.
using HandlerFn = Status (*)(ScriptCall& call);

// Reads a list of three numbers at argument number `n` (counted from 1, so an
// instance method's first declared argument is 2). The outs are written only on success.
Status ReadVectorArgument(ScriptInstance& instance, CallInfo& call, int32_t n, float* x, float* y, float* z);

// Makes the call's result a list of three floats.
Status ReturnVector(ScriptInstance& instance, CallInfo& call, float x, float y, float z);

// A message for the script's author; it never changes lastError.
void ShowMessage(const ScriptInstance& instance, const char* text);

}  // namespace sonidrax
