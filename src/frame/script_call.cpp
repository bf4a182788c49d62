#include "frame/script_call.h"

#include <cstring>

namespace sonidrax {

bool ScriptCall::hasArgument(int32_t position) const {
    return position >= 0 && position < call_.argCount && call_.args != nullptr;
}

const ScriptValue* ScriptCall::argument(int32_t position) const {
    return hasArgument(position) ? &call_.args[position] : nullptr;
}

int32_t ScriptCall::integer(int32_t position, int32_t preset) const {
    int32_t value = preset;
    if (const ScriptValue* arg = argument(position)) xtra_.hostValues->ops->ToInteger(xtra_.hostValues, arg, &value);
    return value;
}

double ScriptCall::number(int32_t position, double preset) const {
    double value = preset;
    if (const ScriptValue* arg = argument(position)) xtra_.hostValues->ops->ToFloat(xtra_.hostValues, arg, &value);
    return value;
}

Symbol ScriptCall::symbol(int32_t position, Symbol preset) const {
    Symbol value = preset;
    if (const ScriptValue* arg = argument(position)) xtra_.hostValues->ops->ToSymbol(xtra_.hostValues, arg, &value);
    return value;
}

void ScriptCall::text(int32_t position, TextBuffer& buffer) const {
    std::memset(buffer, 0, sizeof buffer);
    if (const ScriptValue* arg = argument(position)) {
        xtra_.hostValues->ops->ToString(xtra_.hostValues, arg, buffer, kTextSize);
    }
    buffer[kTextSize - 1] = '\0';
}

Status ScriptCall::typeOf(int32_t position, int32_t* type) const {
    *type = 0;
    const ScriptValue* arg = argument(position);
    if (arg == nullptr) return kBadArgument;
    return xtra_.hostValues->ops->GetType(xtra_.hostValues, arg, type);
}

void ScriptCall::returnInteger(int32_t number) {
    xtra_.hostValues->ops->FromInteger(xtra_.hostValues, number, &call_.result);
}

void ScriptCall::returnFloat(double number) {
    xtra_.hostValues->ops->FromFloat(xtra_.hostValues, number, &call_.result);
}

void ScriptCall::returnString(const char* text) {
    xtra_.hostValues->ops->FromString(xtra_.hostValues, text, &call_.result);
}

void ScriptCall::returnSymbol(Symbol symbol) {
    xtra_.hostValues->ops->FromSymbol(xtra_.hostValues, symbol, &call_.result);
}

Status ScriptCall::finish(Status status) {
    xtra_.lastError = MapHostError(status);
    return status;
}

Status ScriptCall::finish(Status status, int32_t result) {
    returnInteger(result);
    return finish(status);
}

Status ScriptCall::fail(Status status, const char* message) {
    show(message);
    return finish(status, 0);
}

Status ScriptCall::fail(Status status, const char* message, int32_t errorCode) {
    show(message);
    returnInteger(0);
    xtra_.lastError = errorCode;
    return status;
}

void ScriptCall::show(const char* message) const { ShowMessage(xtra_, message); }

void ScriptCall::showFormatted(const char* format, int32_t argument) const {
    if (xtra_.hostMessages == nullptr) return;
    xtra_.hostMessages->ops->ShowFormatted(xtra_.hostMessages, format, argument);
}

void ShowMessage(const SoundXtra& xtra, const char* text) {
    if (xtra.hostMessages == nullptr) return;
    xtra.hostMessages->ops->Show(xtra.hostMessages, text);
}

Status ReadVectorArgument(SoundXtra& xtra, CallInfo& call, int32_t n, float* x, float* y, float* z) {
    if (n < 1 || call.argCount < n || call.args == nullptr) return kMissingVector;
    HostValues* values = xtra.hostValues;
    HostLists* lists = xtra.hostLists;
    const ScriptValue list = call.args[n - 1];

    int32_t type = 0;
    Status status = values->ops->GetType(values, &list, &type);
    if (status != 0) return status;
    if (type != kValueList) return kBadArgument;
    if (lists->ops->Count(lists, &list) != 3) return kBadArgument;

    ScriptValue elements[3] = {};
    bool obtained[3] = {false, false, false};
    double coordinates[3] = {0.0, 0.0, 0.0};
    for (int32_t i = 0; i < 3 && status == 0; ++i) {
        status = lists->ops->GetAt(lists, &list, i + 1, &elements[i]);
        if (status != 0) break;
        obtained[i] = true;
        status = values->ops->ToFloat(values, &elements[i], &coordinates[i]);
    }
    if (status == 0) {
        *x = static_cast<float>(coordinates[0]);
        *y = static_cast<float>(coordinates[1]);
        *z = static_cast<float>(coordinates[2]);
    }
    for (int32_t i = 0; i < 3; ++i) {
        if (obtained[i]) values->ops->ReleaseValue(values, &elements[i]);
    }
    return status;
}

Status ReturnVector(SoundXtra& xtra, CallInfo& call, float x, float y, float z) {
    HostValues* values = xtra.hostValues;
    HostLists* lists = xtra.hostLists;
    ScriptValue elements[3] = {};
    values->ops->FromFloat(values, x, &elements[0]);
    values->ops->FromFloat(values, y, &elements[1]);
    values->ops->FromFloat(values, z, &elements[2]);
    lists->ops->NewList(lists, &call.result);
    for (int32_t i = 0; i < 3; ++i) lists->ops->SetAt(lists, &call.result, i + 1, &elements[i]);
    return kOk;
}

}  // namespace sonidrax
