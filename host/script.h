// The host's script language: one statement per line, "--" starts a comment.
// host/README.md describes it for script writers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonidrax::host {

struct Expr {
    enum class Kind { Integer, Float, String, Symbol, Void, List, PropList, Member, Variable, Call };
    Kind kind = Kind::Void;
    int line = 0;
    int32_t integer = 0;  // Integer; member number of Member
    double number = 0.0;
    std::string text;         // String, Symbol, Variable and Call names; member name of Member
    std::vector<Expr> items;  // List and PropList items; Call arguments
    std::vector<Expr> keys;   // PropList keys
    bool memberByName = false;
    int32_t castNumber = 1;
};

enum class Comparison { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

struct Statement {
    enum class Kind {
        Assign,           // name = expr
        Evaluate,         // a call whose result is dropped
        Print,            // print expr, expr...
        Echo,             // echo text
        Methods,          // methods
        Forget,           // forget name
        DefineMember,     // member "name" kind ["file"]
        AppKind,          // app "kind" | app none
        Movie,            // movie on | movie off
        Window,           // window show | window hide
        Expect,           // expect expr op expr
        ExpectMessage,    // expect message "text"
        ExpectNoMessage,  // expect no messages
        Wait,             // wait ms [every ms call]
        WaitUntil,        // wait until expr op expr within ms [every ms call]
        AnswerDialog,     // answer dialog id [in folder] [typing "text"] ... [after ms]
        Key,              // key code down | key code up
    };
    Kind kind = Kind::Echo;
    int line = 0;
    std::string name;        // variable, member name, application kind, movie/window state
    std::string text;        // Echo text, member kind, member file, expected message
    bool noAppKind = false;  // app none
    bool typesText = false;  // answer dialog ... typing "text" (or selecting)
    std::vector<Expr> exprs;
    Comparison comparison = Comparison::Equal;
    int32_t ms = 0;        // a wait's duration or limit; a dialog answer's delay
    int32_t everyMs = 0;   // a wait's interval between calls of `every`
    int32_t buttonId = 0;  // the dialog button that an answer presses
    int32_t keyCode = 0;   // key CODE down | up
    bool keyDown = false;
    std::optional<Expr> every;
    // answer dialog: combo boxes to set (id, entry), check boxes to tick, and
    // whether to print the dialog's boxes as it came up.
    std::vector<std::pair<int32_t, int32_t>> choices;
    std::vector<int32_t> ticks;
    bool report = false;
    std::vector<int32_t> listings;  // combo boxes whose entries are printed
};

struct Script {
    std::vector<Statement> statements;
};

struct ScriptError {
    int line = 0;
    std::string text;
};

// Parses a whole script; every syntax error is collected with its line.
bool ParseScript(std::string_view source, Script* out, std::vector<ScriptError>* errors);

std::string_view ComparisonText(Comparison comparison);

}  // namespace sonidrax::host
