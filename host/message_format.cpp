#include "message_format.h"

#include <cstdio>
#include <cstring>

namespace sonidrax::host {
namespace {

// One conversion: flags, width, precision, length, and the conversion letter.
struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
    size_t length = 0;  // characters the whole conversion takes in the format
};

bool ParseSpec(std::string_view format, size_t start, Spec* spec) {
    size_t i = start + 1;
    while (i < format.size() && std::strchr("-+ #0", format[i])) {
        spec->flags += format[i++];
    }
    auto number = [&](int* out) {
        if (i >= format.size() || format[i] < '0' || format[i] > '9') {
            return;
        }
        int value = 0;
        for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) {
            if (value < 1000) {
                value = value * 10 + (format[i] - '0');
            }
        }
        *out = value > 64 ? 64 : value;
    };
    number(&spec->width);
    if (i < format.size() && format[i] == '.') {
        ++i;
        spec->precision = 0;
        number(&spec->precision);
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) {
        ++i;
    }
    if (i >= format.size()) {
        return false;
    }
    spec->conversion = format[i];
    spec->length = i + 1 - start;
    return std::strchr("diuxXoc", spec->conversion) != nullptr;
}

std::string Convert(const Spec& spec, int32_t argument) {
    std::string pattern = "%" + spec.flags;
    if (spec.width >= 0) {
        pattern += std::to_string(spec.width);
    }
    if (spec.precision >= 0) {
        pattern += "." + std::to_string(spec.precision);
    }
    pattern += spec.conversion;
    char buffer[96];
    if (spec.conversion == 'd' || spec.conversion == 'i' || spec.conversion == 'c') {
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), static_cast<int>(argument));
    } else {
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), static_cast<unsigned>(argument));
    }
    return buffer;
}

}  // namespace

std::string FormatHostMessage(std::string_view format, int32_t argument) {
    std::string out;
    bool used = false;
    for (size_t i = 0; i < format.size();) {
        if (format[i] != '%') {
            out += format[i++];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        Spec spec;
        if (used || !ParseSpec(format, i, &spec)) {
            // A second conversion has no argument, and others would read memory: keep the text.
            out += format[i++];
            continue;
        }
        out += Convert(spec, argument);
        used = true;
        i += spec.length;
    }
    return out;
}

}  // namespace sonidrax::host
