// sonidrax-host: loads the plug-in as an authoring host would and runs a script
// against it, printing the transcript.
//
//   sonidrax-host [--plugin PATH] SCRIPT
#include "host.h"
#include "interpreter.h"
#include "script.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using sonidrax::host::Interpreter;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::printf("line %d: the plug-in crashed (exception 0x%08lX)\n", Interpreter::CurrentLine(),
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stdout);
    std::fprintf(stderr, "exception address %p\n", info->ExceptionRecord->ExceptionAddress);
    ExitProcess(3);
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : path;
}

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Beside the host, or where the build tree puts the plug-in.
std::string DefaultPlugin() {
    char exe[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string folder = Folder(std::string(exe, length));
    const std::string candidates[] = {folder + "\\sonidrax.dll", folder + "\\..\\src\\sonidrax.dll"};
    for (const std::string& candidate : candidates) {
        if (Exists(candidate)) {
            return candidate;
        }
    }
    return candidates[0];
}

int Usage() {
    std::fprintf(stderr, "usage: sonidrax-host [--plugin PATH] SCRIPT\n");
    return Interpreter::kNotLoaded;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);

    std::string pluginPath;
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plugin" && i + 1 < argc) {
            pluginPath = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (scriptPath.empty()) {
            scriptPath = arg;
        } else {
            return Usage();
        }
    }
    if (scriptPath.empty()) {
        return Usage();
    }
    std::ifstream input(scriptPath, std::ios::binary);
    if (!input) {
        std::printf("cannot read the script \"%s\"\n", scriptPath.c_str());
        return Interpreter::kNotLoaded;
    }
    const std::string source{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};

    sonidrax::host::Script script;
    std::vector<sonidrax::host::ScriptError> errors;
    if (!sonidrax::host::ParseScript(source, &script, &errors)) {
        for (const auto& error : errors) {
            std::printf("line %d: %s\n", error.line, error.text.c_str());
        }
        return Interpreter::kFailed;
    }

    sonidrax::host::Host host;
    host.scriptFolder = Folder(FullPath(scriptPath));
    Interpreter interpreter(&host, pluginPath.empty() ? DefaultPlugin() : FullPath(pluginPath));
    return interpreter.Run(script);
}
