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
    if (const ScriptValue* arg = argument(position))
        instance_.hostValues->ops->ToInteger(instance_.hostValues, arg, &value);
    return value;
}

double ScriptCall::number(int32_t position, double preset) const {
    double value = preset;
    if (const ScriptValue* arg = argument(position))
        instance_.hostValues->ops->ToFloat(instance_.hostValues, arg, &value);
    return value;
}

Symbol ScriptCall::symbol(int32_t position, Symbol preset) const {
    Symbol value = preset;
    if (const ScriptValue* arg = argument(position))
        instance_.hostValues->ops->ToSymbol(instance_.hostValues, arg, &value);
    return value;
}

void ScriptCall::text(int32_t position, TextBuffer& buffer) const {
    std::memset(buffer, 0, sizeof buffer);
    if (const ScriptValue* arg = argument(position)) {
        instance_.hostValues->ops->ToString(instance_.hostValues, arg, buffer, kTextSize);
    }
    buffer[kTextSize - 1] = '\0';
}

Status ScriptCall::typeOf(int32_t position, int32_t* type) const {
    *type = 0;
    const ScriptValue* arg = argument(position);
    if (arg == nullptr) return kBadArgument;
    return instance_.hostValues->ops->GetType(instance_.hostValues, arg, type);
}

void ScriptCall::returnInteger(int32_t number) {
    instance_.hostValues->ops->FromInteger(instance_.hostValues, number, &call_.result);
}

void ScriptCall::returnFloat(double number) {
    instance_.hostValues->ops->FromFloat(instance_.hostValues, number, &call_.result);
}

void ScriptCall::returnString(const char* text) {
    instance_.hostValues->ops->FromString(instance_.hostValues, text, &call_.result);
}

void ScriptCall::returnSymbol(Symbol symbol) {
    instance_.hostValues->ops->FromSymbol(instance_.hostValues, symbol, &call_.result);
}

Status ScriptCall::finish(Status status) {
    instance_.lastError = MapHostError(status);
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
    instance_.lastError = errorCode;
    return status;
}

void ScriptCall::show(const char* message) const { ShowMessage(instance_, message); }

void ScriptCall::showFormatted(const char* format, int32_t argument) const {
    if (instance_.hostMessages == nullptr) return;
    instance_.hostMessages->ops->ShowFormatted(instance_.hostMessages, format, argument);
}

void ShowMessage(const ScriptInstance& instance, const char* text) {
    if (instance.hostMessages == nullptr) return;
    instance.hostMessages->ops->Show(instance.hostMessages, text);
}

Status ReadVectorArgument(ScriptInstance& instance, CallInfo& call, int32_t n, float* x, float* y, float* z) {
    if (n < 1 || call.argCount < n || call.args == nullptr) return kMissingVector;
    HostValues* values = instance.hostValues;
    HostLists* lists = instance.hostLists;
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

Status ReturnVector(ScriptInstance& instance, CallInfo& call, float x, float y, float z) {
    HostValues* values = instance.hostValues;
    HostLists* lists = instance.hostLists;
    ScriptValue elements[3] = {};
    values->ops->FromFloat(values, x, &elements[0]);
    values->ops->FromFloat(values, y, &elements[1]);
    values->ops->FromFloat(values, z, &elements[2]);
    lists->ops->NewList(lists, &call.result);
    for (int32_t i = 0; i < 3; ++i) lists->ops->SetAt(lists, &call.result, i + 1, &elements[i]);
    return kOk;
}

}  // namespace sonidrax
