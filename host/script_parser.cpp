#include "script.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace sonidrax::host {
namespace {

struct Token {
    enum class Kind { Ident, Integer, Float, String, Symbol, Punct, End };
    Kind kind = Kind::End;
    std::string text;
    int32_t integer = 0;
    double number = 0.0;
    size_t offset = 0;
};

class SyntaxError {
public:
    explicit SyntaxError(std::string text) : text(std::move(text)) {}
    std::string text;
};

constexpr int kMaxNesting = 32;

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Reads the value of a number token `text` (decimal integer, 0x hexadecimal, or a
// float with '.' or an exponent); a leading '-' negates it.
bool NumberValue(const std::string& text, Token* token, std::string* error) {
    const bool negative = text[0] == '-';
    const std::string_view body = std::string_view(text).substr(negative ? 1 : 0);
    char* stop = nullptr;
    errno = 0;
    if (body.substr(0, 2) == "0x" || body.substr(0, 2) == "0X") {
        const std::string digits(body.substr(2));
        const unsigned long long value = std::strtoull(digits.c_str(), &stop, 16);
        if (digits.empty() || *stop || errno || value > 0xFFFFFFFFull) {
            *error = "malformed number \"" + text + "\"";
            return false;
        }
        const uint32_t word = static_cast<uint32_t>(value);
        token->kind = Token::Kind::Integer;
        token->integer = static_cast<int32_t>(negative ? 0u - word : word);
        return true;
    }
    if (text.find_first_of(".eE") != std::string::npos) {
        token->kind = Token::Kind::Float;
        token->number = std::strtod(text.c_str(), &stop);
        if (*stop || errno || !std::isfinite(token->number)) {
            *error = "malformed number \"" + text + "\"";
            return false;
        }
        return true;
    }
    const long long value = std::strtoll(text.c_str(), &stop, 10);
    if (*stop || errno || value < INT32_MIN || value > INT32_MAX) {
        *error = "number \"" + text + "\" is not a 32-bit integer";
        return false;
    }
    token->kind = Token::Kind::Integer;
    token->integer = static_cast<int32_t>(value);
    return true;
}

// A number starting at `i`; answers the offset after it, or 0 on an error.
size_t ReadNumber(std::string_view line, size_t i, Token* token, std::string* error) {
    size_t end = i + (line[i] == '-' ? 1 : 0);
    if (line.substr(end, 2) == "0x" || line.substr(end, 2) == "0X") {
        for (end += 2; end < line.size() && IsHexDigit(line[end]); ++end) {
        }
    } else {
        auto partOfNumber = [&](size_t at) {
            const char c = line[at];
            const bool exponentSign = (c == '-' || c == '+') && (line[at - 1] == 'e' || line[at - 1] == 'E');
            return IsDigit(c) || c == '.' || c == 'e' || c == 'E' || exponentSign;
        };
        while (end < line.size() && partOfNumber(end)) {
            ++end;
        }
    }
    token->text = std::string(line.substr(i, end - i));
    if (end < line.size() && IsIdentChar(line[end])) {
        *error = "malformed number \"" + token->text + line[end] + "\"";
        return 0;
    }
    return NumberValue(token->text, token, error) ? end : 0;
}

// A quoted string starting at `i`; answers the offset after it, or 0 on an error.
size_t ReadString(std::string_view line, size_t i, Token* token, std::string* error) {
    std::string text;
    size_t j = i + 1;
    for (; j < line.size() && line[j] != '"'; ++j) {
        if (line[j] != '\\') {
            text += line[j];
            continue;
        }
        if (++j >= line.size()) {
            break;
        }
        switch (line[j]) {
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case '"':
                text += '"';
                break;
            case '\\':
                text += '\\';
                break;
            case 'x':
                if (j + 2 >= line.size() || !IsHexDigit(line[j + 1]) || !IsHexDigit(line[j + 2])) {
                    *error = "\\x needs two hexadecimal digits";
                    return 0;
                }
                text += static_cast<char>(std::strtol(std::string(line.substr(j + 1, 2)).c_str(), nullptr, 16));
                j += 2;
                break;
            default:
                *error = std::string("unknown escape \\") + line[j];
                return 0;
        }
    }
    if (j >= line.size()) {
        *error = "string not closed";
        return 0;
    }
    token->kind = Token::Kind::String;
    token->text = text;
    return j + 1;
}

// Punctuation, longest first; answers the offset after it, or 0 when none matches.
size_t ReadPunct(std::string_view line, size_t i, Token* token) {
    static const char* const kPuncts[] = {"==", "!=", "<=", ">=", "(", ")", "[", "]", ",", ":", "=", "<", ">"};
    for (const char* p : kPuncts) {
        const std::string_view punct(p);
        if (line.substr(i, punct.size()) == punct) {
            token->kind = Token::Kind::Punct;
            token->text = std::string(punct);
            return i + punct.size();
        }
    }
    return 0;
}

// Splits one line into tokens; false with a reason on a malformed token.
bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        const bool next = i + 1 < line.size();
        if (c == '-' && next && line[i + 1] == '-') {
            break;  // comment
        }
        Token token;
        token.offset = i;
        size_t end = 0;
        if (IsDigit(c) || (c == '-' && next && IsDigit(line[i + 1]))) {
            end = ReadNumber(line, i, &token, error);
        } else if (IsIdentStart(c) || (c == '#' && next && IsIdentStart(line[i + 1]))) {
            const size_t start = c == '#' ? i + 1 : i;
            for (end = start; end < line.size() && IsIdentChar(line[end]); ++end) {
            }
            token.kind = c == '#' ? Token::Kind::Symbol : Token::Kind::Ident;
            token.text = std::string(line.substr(start, end - start));
        } else if (c == '"') {
            end = ReadString(line, i, &token, error);
        } else {
            end = ReadPunct(line, i, &token);
            if (end == 0) {
                *error = std::string("unexpected character '") + c + "'";
            }
        }
        if (end == 0) {
            return false;
        }
        tokens->push_back(token);
        i = end;
    }
    Token end;
    end.offset = line.size();
    tokens->push_back(end);
    return true;
}

class LineParser {
public:
    LineParser(std::string_view source, std::vector<Token> tokens, int line)
        : source_(source), tokens_(std::move(tokens)), line_(line) {}

    Statement ParseStatement();

private:
    const Token& Peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
    const Token& Next() {
        const Token& token = Peek();
        if (pos_ < tokens_.size() - 1) {
            ++pos_;
        }
        return token;
    }
    bool IsPunct(std::string_view text, size_t ahead = 0) const {
        return Peek(ahead).kind == Token::Kind::Punct && Peek(ahead).text == text;
    }
    bool IsWord(std::string_view text, size_t ahead = 0) const {
        return Peek(ahead).kind == Token::Kind::Ident && Peek(ahead).text == text;
    }
    void ExpectPunct(std::string_view text) {
        if (!IsPunct(text)) {
            throw SyntaxError("expected '" + std::string(text) + "' " + Where());
        }
        Next();
    }
    void ExpectWord(std::string_view text) {
        if (!IsWord(text)) {
            throw SyntaxError("expected \"" + std::string(text) + "\" " + Where());
        }
        Next();
    }
    std::string Where() const {
        const Token& token = Peek();
        if (token.kind == Token::Kind::End) {
            return "at the end of the line";
        }
        return "at \"" + std::string(source_.substr(token.offset, 20)) + "\"";
    }
    void ExpectEnd() {
        if (Peek().kind != Token::Kind::End) {
            throw SyntaxError("unexpected text " + Where());
        }
    }
    std::string ExpectIdent(const char* what) {
        if (Peek().kind != Token::Kind::Ident) {
            throw SyntaxError(std::string("expected ") + what + " " + Where());
        }
        return Next().text;
    }
    std::string ExpectString(const char* what) {
        if (Peek().kind != Token::Kind::String) {
            throw SyntaxError(std::string("expected ") + what + " (a quoted string) " + Where());
        }
        return Next().text;
    }
    int32_t ExpectMs(const char* what) {
        if (Peek().kind != Token::Kind::Integer || Peek().integer < 0) {
            throw SyntaxError(std::string("expected ") + what + " in milliseconds " + Where());
        }
        return Next().integer;
    }
    Comparison ParseComparison();
    Expr ParseExpr();
    Expr ParseList();
    Expr ParseCallExpr();
    void ParseEvery(Statement* statement);
    void ParseAnswer(Statement* statement);
    int32_t ExpectInteger(const char* what) {
        if (Peek().kind != Token::Kind::Integer) {
            throw SyntaxError(std::string("expected ") + what + " " + Where());
        }
        return Next().integer;
    }

    std::string_view source_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int line_;
    int depth_ = 0;
};

Comparison LineParser::ParseComparison() {
    static const struct {
        const char* text;
        Comparison comparison;
    } kOps[] = {{"==", Comparison::Equal},     {"!=", Comparison::NotEqual}, {"<", Comparison::Less},
                {"<=", Comparison::LessEqual}, {">", Comparison::Greater},   {">=", Comparison::GreaterEqual}};
    for (const auto& op : kOps) {
        if (IsPunct(op.text)) {
            Next();
            return op.comparison;
        }
    }
    throw SyntaxError("expected a comparison (==, !=, <, <=, >, >=) " + Where());
}

Expr LineParser::ParseList() {
    Expr list;
    list.line = line_;
    list.kind = Expr::Kind::List;
    ExpectPunct("[");
    if (IsPunct(":") && IsPunct("]", 1)) {
        Next();
        Next();
        list.kind = Expr::Kind::PropList;
        return list;
    }
    if (IsPunct("]")) {
        Next();
        return list;
    }
    for (;;) {
        Expr item = ParseExpr();
        if (IsPunct(":")) {
            if (list.kind == Expr::Kind::List && !list.items.empty()) {
                throw SyntaxError("a list mixes plain items and properties " + Where());
            }
            list.kind = Expr::Kind::PropList;
            Next();
            list.keys.push_back(std::move(item));
            list.items.push_back(ParseExpr());
        } else {
            if (list.kind == Expr::Kind::PropList) {
                throw SyntaxError("a property list item needs \"key: value\" " + Where());
            }
            list.items.push_back(std::move(item));
        }
        if (IsPunct("]")) {
            Next();
            return list;
        }
        ExpectPunct(",");
    }
}

Expr LineParser::ParseExpr() {
    // Values nest through lists and calls; a line cannot nest without bound.
    if (++depth_ > kMaxNesting) {
        throw SyntaxError("values nest more than " + std::to_string(kMaxNesting) + " deep");
    }
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{depth_};
    Expr expr;
    expr.line = line_;
    const Token& token = Peek();
    switch (token.kind) {
        case Token::Kind::Integer:
            expr.kind = Expr::Kind::Integer;
            expr.integer = Next().integer;
            return expr;
        case Token::Kind::Float:
            expr.kind = Expr::Kind::Float;
            expr.number = Next().number;
            return expr;
        case Token::Kind::String:
            expr.kind = Expr::Kind::String;
            expr.text = Next().text;
            return expr;
        case Token::Kind::Symbol:
            expr.kind = Expr::Kind::Symbol;
            expr.text = Next().text;
            return expr;
        case Token::Kind::Punct:
            if (token.text == "[") {
                return ParseList();
            }
            break;
        case Token::Kind::Ident:
            if (token.text == "void") {
                Next();
                expr.kind = Expr::Kind::Void;
                return expr;
            }
            if (token.text == "member") {
                Next();
                expr.kind = Expr::Kind::Member;
                if (Peek().kind == Token::Kind::String) {
                    expr.memberByName = true;
                    expr.text = Next().text;
                } else if (Peek().kind == Token::Kind::Integer) {
                    expr.integer = Next().integer;
                } else {
                    throw SyntaxError("expected a member name or number " + Where());
                }
                if (IsWord("of")) {
                    Next();
                    ExpectWord("castLib");
                    if (Peek().kind != Token::Kind::Integer) {
                        throw SyntaxError("expected a cast number " + Where());
                    }
                    expr.castNumber = Next().integer;
                }
                return expr;
            }
            if (IsPunct("(", 1)) {
                return ParseCallExpr();
            }
            expr.kind = Expr::Kind::Variable;
            expr.text = Next().text;
            return expr;
        case Token::Kind::End:
            break;
    }
    throw SyntaxError("expected a value " + Where());
}

Expr LineParser::ParseCallExpr() {
    Expr call;
    call.line = line_;
    call.kind = Expr::Kind::Call;
    call.text = ExpectIdent("a method name");
    ExpectPunct("(");
    if (IsPunct(")")) {
        Next();
        return call;
    }
    for (;;) {
        call.items.push_back(ParseExpr());
        if (IsPunct(")")) {
            Next();
            return call;
        }
        ExpectPunct(",");
    }
}

void LineParser::ParseEvery(Statement* statement) {
    if (!IsWord("every")) {
        return;
    }
    Next();
    statement->everyMs = ExpectMs("an interval");
    if (statement->everyMs == 0) {
        throw SyntaxError("the interval must be at least 1 ms");
    }
    if (!(Peek().kind == Token::Kind::Ident && IsPunct("(", 1))) {
        throw SyntaxError("expected a call after the interval " + Where());
    }
    statement->every = ParseCallExpr();
}

// answer dialog BUTTON, then in any order: in FOLDER, typing "text",
// selecting "name", "name"..., choosing ID ENTRY, ticking ID, reporting, listing ID,
// after MS.
void LineParser::ParseAnswer(Statement* statement) {
    statement->kind = Statement::Kind::AnswerDialog;
    statement->buttonId = ExpectInteger("the id of the button to press");
    statement->ms = 200;
    while (Peek().kind == Token::Kind::Ident) {
        const std::string clause = Next().text;
        if (clause == "typing" || clause == "selecting") {
            if (statement->typesText) {
                throw SyntaxError("only one text can be typed into a dialog");
            }
            statement->typesText = true;
            statement->text = ExpectString("the text to type");
            while (clause == "selecting" && IsPunct(",")) {
                Next();
                statement->text += "\" \"" + ExpectString("a file name");
            }
            if (clause == "selecting") {
                statement->text = "\"" + statement->text + "\"";
            }
        } else if (clause == "in") {
            statement->exprs.push_back(ParseExpr());
        } else if (clause == "choosing") {
            const int32_t id = ExpectInteger("the id of a combo box");
            statement->choices.push_back({id, ExpectInteger("the entry to choose")});
        } else if (clause == "ticking") {
            statement->ticks.push_back(ExpectInteger("the id of a check box"));
        } else if (clause == "reporting") {
            statement->report = true;
        } else if (clause == "listing") {
            statement->listings.push_back(ExpectInteger("the id of a combo box"));
        } else if (clause == "after") {
            statement->ms = ExpectMs("a delay");
        } else {
            throw SyntaxError("unknown clause \"" + clause + "\" of answer dialog");
        }
    }
}

Statement LineParser::ParseStatement() {
    Statement statement;
    statement.line = line_;
    if (Peek().kind != Token::Kind::Ident) {
        throw SyntaxError("a statement starts with a word " + Where());
    }
    const std::string word = Peek().text;
    if (IsPunct("=", 1)) {
        statement.kind = Statement::Kind::Assign;
        statement.name = Next().text;
        Next();
        statement.exprs.push_back(ParseExpr());
    } else if (IsPunct("(", 1)) {
        statement.kind = Statement::Kind::Evaluate;
        statement.exprs.push_back(ParseCallExpr());
    } else if (word == "print") {
        Next();
        statement.kind = Statement::Kind::Print;
        statement.exprs.push_back(ParseExpr());
        while (IsPunct(",")) {
            Next();
            statement.exprs.push_back(ParseExpr());
        }
    } else if (word == "methods") {
        Next();
        statement.kind = Statement::Kind::Methods;
    } else if (word == "forget") {
        Next();
        statement.kind = Statement::Kind::Forget;
        statement.name = ExpectIdent("a variable holding an instance");
    } else if (word == "member") {
        Next();
        statement.kind = Statement::Kind::DefineMember;
        statement.name = ExpectString("the member's name");
        statement.text = ExpectIdent("the member's kind (sound, bitmap, text, ...)");
        if (statement.text == "sound") {
            statement.exprs.push_back(Expr{});
            statement.exprs.back().kind = Expr::Kind::String;
            statement.exprs.back().text = ExpectString("the WAVE file of a sound member");
        }
    } else if (word == "app") {
        Next();
        statement.kind = Statement::Kind::AppKind;
        if (IsWord("none")) {
            Next();
            statement.noAppKind = true;
        } else {
            statement.name = ExpectString("the application kind, or none,");
        }
    } else if (word == "movie" || word == "window") {
        Next();
        statement.kind = word == "movie" ? Statement::Kind::Movie : Statement::Kind::Window;
        statement.name = ExpectIdent(word == "movie" ? "on or off" : "show or hide");
        const bool known = word == "movie" ? (statement.name == "on" || statement.name == "off")
                                           : (statement.name == "show" || statement.name == "hide");
        if (!known) {
            throw SyntaxError("unknown " + word + " state \"" + statement.name + "\"");
        }
    } else if (word == "expect") {
        Next();
        if (IsWord("message") && Peek(1).kind == Token::Kind::String) {
            Next();
            statement.kind = Statement::Kind::ExpectMessage;
            statement.text = Next().text;
        } else if (IsWord("no") && IsWord("messages", 1)) {
            Next();
            Next();
            statement.kind = Statement::Kind::ExpectNoMessage;
        } else {
            statement.kind = Statement::Kind::Expect;
            statement.exprs.push_back(ParseExpr());
            statement.comparison = ParseComparison();
            statement.exprs.push_back(ParseExpr());
        }
    } else if (word == "wait") {
        Next();
        if (IsWord("until")) {
            Next();
            statement.kind = Statement::Kind::WaitUntil;
            statement.exprs.push_back(ParseExpr());
            statement.comparison = ParseComparison();
            statement.exprs.push_back(ParseExpr());
            ExpectWord("within");
            statement.ms = ExpectMs("a time limit");
        } else {
            statement.kind = Statement::Kind::Wait;
            statement.ms = ExpectMs("a duration");
        }
        ParseEvery(&statement);
    } else if (word == "answer") {
        Next();
        ExpectWord("dialog");
        ParseAnswer(&statement);
    } else if (word == "key") {
        Next();
        statement.kind = Statement::Kind::Key;
        if (Peek().kind != Token::Kind::Integer || Peek().integer < 1 || Peek().integer > 254) {
            throw SyntaxError("expected a virtual-key code from 1 to 254 " + Where());
        }
        statement.keyCode = Next().integer;
        const std::string state = ExpectIdent("down or up");
        if (state != "down" && state != "up") {
            throw SyntaxError("unknown key state \"" + state + "\"");
        }
        statement.keyDown = state == "down";
    } else {
        throw SyntaxError("unknown statement \"" + word + "\"");
    }
    ExpectEnd();
    return statement;
}

}  // namespace

std::string_view ComparisonText(Comparison comparison) {
    switch (comparison) {
        case Comparison::Equal:
            return "==";
        case Comparison::NotEqual:
            return "!=";
        case Comparison::Less:
            return "<";
        case Comparison::LessEqual:
            return "<=";
        case Comparison::Greater:
            return ">";
        case Comparison::GreaterEqual:
            return ">=";
    }
    return "?";
}

bool ParseScript(std::string_view source, Script* out, std::vector<ScriptError>* errors) {
    out->statements.clear();
    int lineNumber = 0;
    for (size_t start = 0; start <= source.size();) {
        size_t end = source.find('\n', start);
        if (end == std::string_view::npos) {
            end = source.size();
        }
        std::string_view line = source.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // "echo" takes the rest of the line as it stands, so it is not tokenized.
        const size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line.substr(first, 4) == "echo" &&
            (line.size() == first + 4 || line[first + 4] == ' ' || line[first + 4] == '\t')) {
            Statement echo;
            echo.kind = Statement::Kind::Echo;
            echo.line = lineNumber;
            const size_t text = line.find_first_not_of(" \t", first + 4);
            echo.text = text == std::string_view::npos ? std::string() : std::string(line.substr(text));
            out->statements.push_back(std::move(echo));
            continue;
        }
        std::vector<Token> tokens;
        std::string error;
        if (!Tokenize(line, &tokens, &error)) {
            errors->push_back({lineNumber, error});
            continue;
        }
        if (tokens.size() == 1) {
            continue;  // blank or comment
        }
        try {
            LineParser parser(line, std::move(tokens), lineNumber);
            out->statements.push_back(parser.ParseStatement());
        } catch (const SyntaxError& e) {
            errors->push_back({lineNumber, e.text});
        }
        if (end == source.size()) {
            break;
        }
    }
    return errors->empty();
}

}  // namespace sonidrax::host
