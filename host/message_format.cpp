#include "message_format.h"

#include <cstdio>
#include <cstring>

namespace sonidrax::host {
namespace {

// One conversion: flags, width, precision, length, and the conversion letter.
struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
    size_t length = 0;  // characters the whole conversion takes in the format
};

bool ParseDirective(std::string_view format, size_t start, Directive* directive) {
    size_t i = start + 1;
    while (i < format.size() && std::strchr("-+ #0", format[i])) {
        directive->flags += format[i++];
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
    number(&directive->width);
    if (i < format.size() && format[i] == '.') {
        ++i;
        directive->precision = 0;
        number(&directive->precision);
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) {
        ++i;
    }
    if (i >= format.size()) {
        return false;
    }
    directive->conversion = format[i];
    directive->length = i + 1 - start;
    return std::strchr("diuxXoc", directive->conversion) != nullptr;
}

std::string Convert(const Directive& directive, int32_t argument) {
    std::string pattern = "%" + directive.flags;
    if (directive.width >= 0) {
        pattern += std::to_string(directive.width);
    }
    if (directive.precision >= 0) {
        pattern += '.';
        pattern += std::to_string(directive.precision);
    }
    pattern += directive.conversion;
    char buffer[96];
    if (directive.conversion == 'd' || directive.conversion == 'i' || directive.conversion == 'c') {
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
        Directive directive;
        if (used || !ParseDirective(format, i, &directive)) {
            // A second conversion has no argument, and others would read memory: keep the text.
            out += format[i++];
            continue;
        }
        out += Convert(directive, argument);
        used = true;
        i += directive.length;
    }
    return out;
}

}  // namespace sonidrax::host
