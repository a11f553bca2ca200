#include "tablestore/DsDbParser.h"

#include "platform/CzechLocale.h"
#include "platform/EmptyDate.h"
#include "tablestore/DsDbfApi.h"
#include "tablestore/Wildcard.h"

#include <cmath>
#include <limits>
#include <vector>

namespace kvor {

// ---------------------------------------------------------------------------------------------
// Values

TExprValue TExprValue::string(const QString& text) {
    TExprValue v;
    v.kind = String;
    v.text = text.size() > kExprMaxString ? text.left(kExprMaxString) : text;
    return v;
}

TExprValue TExprValue::ofInteger(qint32 value) {
    TExprValue v;
    v.kind = Integer;
    v.integer = value;
    return v;
}

TExprValue TExprValue::ofFloat(double value) {
    TExprValue v;
    v.kind = Float;
    v.number = value;
    return v;
}

TExprValue TExprValue::ofBoolean(bool value) {
    TExprValue v;
    v.kind = Boolean;
    v.boolean = value;
    return v;
}

TExprValue TExprValue::ofDays(Kind kind, double days) {
    TExprValue v;
    v.kind = kind;
    v.number = days;
    return v;
}

namespace {

double daysOf(const QDate& d) {
    return double(emptyDateDays(d));
}
double daysOf(const QTime& t) {
    return t.msecsSinceStartOfDay() / 86400000.0;
}
double daysOf(const QDateTime& dt) {
    return daysOf(dt.date()) + daysOf(dt.time());
}

// An integer result that stays an integer only while it fits 32 bits.
TExprValue integerOrFloat(qint64 value) {
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return TExprValue::ofFloat(double(value));
    return TExprValue::ofInteger(qint32(value));
}

// ---------------------------------------------------------------------------------------------
// Tokens

enum class Tok {
    End,
    String,
    Integer,
    Float,
    Name,
    True,
    False,
    Null,
    And,
    Or,
    Xor,
    Not,
    LParen,
    RParen,
    Comma,
    Eq,
    Ne,
    Gt,
    Lt,
    Ge,
    Le,
    Plus,
    Minus,
    Star,
    Slash,
    Bad
};

struct Token {
    Token(Tok k = Tok::End) : kind(k) {}
    Tok kind;
    QString text;
    qint32 integer = 0;
    double number = 0;
};

bool nameStart(QChar c) {
    return c.isLetter() || c == u'_' || c == u'$';
}
bool namePart(QChar c) {
    return nameStart(c) || c.isDigit();
}
bool digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

class Lexer {
public:
    explicit Lexer(const QString& text) : m_text(text) {}

    Token next() {
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == u'\'') return stringLiteral();
            if (digit(c)) return number(false);
            if (c == u'-' && m_pos + 1 < m_text.size() && digit(m_text[m_pos + 1]) && signMayStart())
                return number(true);
            if (nameStart(c)) return name();
            if (Tok op = operatorAt(); op != Tok::End) return {op};
            // Anything else is no part of a token and is passed over.
            ++m_pos;
        }
        return {Tok::End};
    }

private:
    // A sign belongs to a number only at the very start or right after '<', '=' or '>'.
    bool signMayStart() const {
        if (m_pos == 0) return true;
        const QChar before = m_text[m_pos - 1];
        return before == u'<' || before == u'=' || before == u'>';
    }

    Token stringLiteral() {
        const qsizetype from = ++m_pos;
        const qsizetype close = m_text.indexOf(u'\'', from);
        const qsizetype to = close < 0 ? m_text.size() : close;
        m_pos = close < 0 ? m_text.size() : close + 1;
        Token t{Tok::String};
        t.text = m_text.mid(from, to - from).left(kExprMaxString);
        return t;
    }

    Token number(bool negative) {
        const qsizetype from = m_pos;
        if (negative) ++m_pos;
        bool point = false;
        while (m_pos < m_text.size() && (digit(m_text[m_pos]) || (!point && m_text[m_pos] == u'.'))) {
            if (m_text[m_pos] == u'.') point = true;
            ++m_pos;
        }
        const QString text = m_text.mid(from, m_pos - from);
        Token t;
        bool ok = false;
        if (!point) {
            t.integer = text.toInt(&ok);
            if (ok) {
                t.kind = Tok::Integer;
                return t;
            }
        }
        // A whole number beyond 32 bits is read as a float rather than wrapped around.
        t.number = text.toDouble(&ok);
        t.kind = ok ? Tok::Float : Tok::Bad;
        return t;
    }

    Token name() {
        const qsizetype from = m_pos;
        while (m_pos < m_text.size() && namePart(m_text[m_pos]))
            ++m_pos;
        Token t{Tok::Name};
        t.text = m_text.mid(from, m_pos - from);
        static const std::pair<const char*, Tok> words[] = {
            {"TRUE", Tok::True}, {"FALSE", Tok::False}, {"NULL", Tok::Null}, {"AND", Tok::And},
            {"OR", Tok::Or},     {"XOR", Tok::Xor},     {"NOT", Tok::Not}};
        for (const auto& [word, kind] : words)
            if (t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) t.kind = kind;
        return t;
    }

    Tok operatorAt() {
        const QChar c = m_text[m_pos];
        const QChar n = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : QChar();
        auto take = [this](int length, Tok kind) {
            m_pos += length;
            return kind;
        };
        switch (c.unicode()) {
        case '(':
            return take(1, Tok::LParen);
        case ')':
            return take(1, Tok::RParen);
        case ',':
            return take(1, Tok::Comma);
        case '=':
            return take(1, Tok::Eq);
        case '+':
            return take(1, Tok::Plus);
        case '-':
            return take(1, Tok::Minus);
        case '*':
            return take(1, Tok::Star);
        case '/':
            return take(1, Tok::Slash);
        case '<':
            if (n == u'>') return take(2, Tok::Ne);
            if (n == u'=') return take(2, Tok::Le);
            return take(1, Tok::Lt);
        case '>':
            if (n == u'=') return take(2, Tok::Ge);
            return take(1, Tok::Gt);
        case '!':
            // '!' means nothing on its own; taken as a fault rather than passed over, so that
            // "A ! B" is not silently read as "A B".
            if (n == u'=') return take(2, Tok::Ne);
            return take(1, Tok::Bad);
        default:
            return Tok::End;
        }
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

// ---------------------------------------------------------------------------------------------
// Functions

enum class Fn {
    Trunc,
    Round,
    Frac,
    StrToInt,
    StrToFloat,
    IntToStr,
    FloatToStr,
    Upper,
    Lower,
    Field,
    Pos,
    PosStr,
    PosText,
    Copy,
    Trim
};

struct FunctionDef {
    const char* name;
    Fn id;
    int arguments;
};

const FunctionDef kFunctions[] = {
    {"TRUNC", Fn::Trunc, 1},
    {"ROUND", Fn::Round, 1},
    {"FRAC", Fn::Frac, 1},
    {"STRTOINT", Fn::StrToInt, 1},
    {"STRTOFLOAT", Fn::StrToFloat, 1},
    {"INTTOSTR", Fn::IntToStr, 1},
    {"FLOATTOSTR", Fn::FloatToStr, 1},
    {"UPPER", Fn::Upper, 1},
    {"LOWER", Fn::Lower, 1},
    {"FIELD", Fn::Field, 1},
    {"POS", Fn::Pos, 2},
    {"POSSTR", Fn::PosStr, 2},
    {"POSTEXT", Fn::PosText, 2},
    {"COPY", Fn::Copy, 3},
    {"TRIM", Fn::Trim, 1},
};

const FunctionDef* findFunction(const QString& name) {
    for (const FunctionDef& f : kFunctions)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The tree

struct TDsExpression::Node {
    enum Kind { Literal, FieldRef, Function, Binary, Not } kind = Literal;
    TExprValue value; // Literal
    int field = -1;   // FieldRef
    Fn function = Fn::Trunc;
    Tok op = Tok::End; // Binary
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using NodePtr = std::unique_ptr<TDsExpression::Node>;

bool lowLevel(Tok t) {
    switch (t) {
    case Tok::Eq:
    case Tok::Ne:
    case Tok::Gt:
    case Tok::Lt:
    case Tok::Ge:
    case Tok::Le:
    case Tok::And:
    case Tok::Or:
    case Tok::Xor:
    case Tok::Plus:
    case Tok::Minus:
        return true;
    default:
        return false;
    }
}

// Recursive descent over the two levels of binary operators. Nesting is bounded so that a text of
// thousands of '(' cannot exhaust the stack.
class Parser {
public:
    using FieldLookup = std::function<int(const QString&)>;
    Parser(const QString& text, FieldLookup lookup) : m_lexer(text), m_lookup(std::move(lookup)) {
        advance();
    }

    NodePtr parseAll() {
        NodePtr root = expression();
        if (!root || m_token.kind != Tok::End) return nullptr;
        return root;
    }

private:
    static constexpr int kMaxDepth = 200;

    void advance() { m_token = m_lexer.next(); }

    NodePtr binary(Tok op, NodePtr left, NodePtr right) {
        auto n = std::make_unique<TDsExpression::Node>();
        n->kind = TDsExpression::Node::Binary;
        n->op = op;
        n->children.push_back(std::move(left));
        n->children.push_back(std::move(right));
        return n;
    }

    NodePtr expression() {
        if (++m_depth > kMaxDepth) return nullptr;
        NodePtr left = term();
        while (left && lowLevel(m_token.kind)) {
            Tok op = m_token.kind;
            advance();
            NodePtr right = term();
            if (!right) return nullptr;
            left = binary(op, std::move(left), std::move(right));
        }
        --m_depth;
        return left;
    }

    NodePtr term() {
        NodePtr left = primary();
        while (left && (m_token.kind == Tok::Star || m_token.kind == Tok::Slash)) {
            Tok op = m_token.kind;
            advance();
            NodePtr right = primary();
            if (!right) return nullptr;
            left = binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr literal(TExprValue value) {
        auto n = std::make_unique<TDsExpression::Node>();
        n->value = std::move(value);
        advance();
        return n;
    }

    NodePtr primary() {
        switch (m_token.kind) {
        case Tok::String:
            return literal(TExprValue::string(m_token.text));
        case Tok::Integer:
            return literal(TExprValue::ofInteger(m_token.integer));
        case Tok::Float:
            return literal(TExprValue::ofFloat(m_token.number));
        case Tok::True:
            return literal(TExprValue::ofBoolean(true));
        case Tok::False:
            return literal(TExprValue::ofBoolean(false));
        case Tok::Null:
            return literal(TExprValue::null());
        case Tok::Not: {
            if (++m_depth > kMaxDepth) return nullptr;
            advance();
            NodePtr operand = primary();
            --m_depth;
            if (!operand) return nullptr;
            auto n = std::make_unique<TDsExpression::Node>();
            n->kind = TDsExpression::Node::Not;
            n->children.push_back(std::move(operand));
            return n;
        }
        case Tok::LParen: {
            advance();
            NodePtr inner = expression();
            if (!inner || m_token.kind != Tok::RParen) return nullptr;
            advance();
            return inner;
        }
        case Tok::Name:
            return name();
        default:
            return nullptr;
        }
    }

    NodePtr name() {
        const QString text = m_token.text;
        advance();
        auto n = std::make_unique<TDsExpression::Node>();
        if (int index = m_lookup(text); index >= 0) {
            n->kind = TDsExpression::Node::FieldRef;
            n->field = index;
            return n;
        }
        const FunctionDef* f = findFunction(text);
        if (!f || m_token.kind != Tok::LParen) return nullptr;
        advance();
        n->kind = TDsExpression::Node::Function;
        n->function = f->id;
        for (int i = 0; i < f->arguments; ++i) {
            if (i > 0) {
                if (m_token.kind != Tok::Comma) return nullptr;
                advance();
            }
            NodePtr argument = expression();
            if (!argument) return nullptr;
            n->children.push_back(std::move(argument));
        }
        if (m_token.kind != Tok::RParen) return nullptr;
        advance();
        return n;
    }

    Lexer m_lexer;
    FieldLookup m_lookup;
    Token m_token;
    int m_depth = 0;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Evaluation

struct TExprEvaluator {
    const TDsExpression& e;

    TExprValue eval(const TDsExpression::Node& n) const {
        switch (n.kind) {
        case TDsExpression::Node::Literal:
            return n.value;
        case TDsExpression::Node::FieldRef:
            return field(n.field);
        case TDsExpression::Node::Function:
            return function(n);
        case TDsExpression::Node::Binary: {
            const TExprValue l = eval(*n.children[0]), r = eval(*n.children[1]);
            TExprValue v = binary(n.op, l, r);
            v.fromRecord = l.fromRecord || r.fromRecord;
            return v;
        }
        case TDsExpression::Node::Not:
            return TExprValue::none();
        }
        return TExprValue::none();
    }

    // A value read from the record could not be converted: no value, except in the check when a
    // filter is set, where it stands for a value of the kind asked for.
    TExprValue dataFault(TExprValue::Kind kind, const TExprValue& source) const {
        if (!e.m_checking || !source.fromRecord) return TExprValue::none();
        TExprValue v = TExprValue::ofDays(kind, 0);
        v.fromRecord = true;
        return v;
    }

    TExprValue field(int index) const {
        TExprValue v = fieldValue(index);
        v.fromRecord = true;
        return v;
    }

    TExprValue fieldValue(int index) const {
        const TFieldType type = e.FieldType(index);
        const QVariant v = e.FieldValue(index);
        const bool empty = !v.isValid() || v.isNull();
        switch (type) {
        case ftString:
        case ftFixedChar:
        case ftWideString:
        case ftGuid:
            return TExprValue::string(empty ? QString() : v.toString());
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            return TExprValue::ofInteger(empty ? 0 : qint32(v.toInt()));
        case ftLargeint:
            return integerOrFloat(empty ? 0 : v.toLongLong());
        case ftBoolean:
            return TExprValue::ofBoolean(!empty && v.toBool());
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftFMTBcd:
            return TExprValue::ofFloat(empty ? 0.0 : v.toDouble());
        case ftDate:
            return TExprValue::ofDays(TExprValue::Date, empty ? 0.0 : daysOf(v.toDate()));
        case ftTime:
            return TExprValue::ofDays(TExprValue::Time, empty ? 0.0 : daysOf(v.toTime()));
        case ftDateTime:
        case ftTimeStamp:
            return TExprValue::ofDays(TExprValue::DateTime, empty ? 0.0 : daysOf(v.toDateTime()));
        default:
            return TExprValue::none();
        }
    }

    TExprValue fieldByName(const QString& name) const {
        const int index = e.FieldIndex(name);
        return index < 0 ? TExprValue::none() : field(index);
    }

    // Text read as a float with '.' as the decimal point.
    TExprValue textAsNumber(const TExprValue& text) const {
        bool ok = false;
        const double d = text.text.trimmed().toDouble(&ok);
        if (!ok) return dataFault(TExprValue::Float, text);
        return TExprValue::ofFloat(d);
    }

    // Text read by the Czech settings as a value of the moment's kind.
    TExprValue textAsMoment(TExprValue::Kind kind, const TExprValue& source) const {
        const QString& text = source.text;
        std::optional<double> days;
        if (kind == TExprValue::Date) {
            if (auto d = czech::parseDate(text)) days = daysOf(*d);
        } else if (kind == TExprValue::Time) {
            if (auto t = czech::parseTime(text)) days = daysOf(*t);
        } else if (auto dt = czech::parseDateTime(text)) {
            days = daysOf(*dt);
        }
        if (!days) return dataFault(kind, source);
        return TExprValue::ofDays(kind, *days);
    }

    static TExprValue compared(Tok op, int c) {
        switch (op) {
        case Tok::Eq:
            return TExprValue::ofBoolean(c == 0);
        case Tok::Ne:
            return TExprValue::ofBoolean(c != 0);
        case Tok::Gt:
            return TExprValue::ofBoolean(c > 0);
        case Tok::Lt:
            return TExprValue::ofBoolean(c < 0);
        case Tok::Ge:
            return TExprValue::ofBoolean(c >= 0);
        case Tok::Le:
            return TExprValue::ofBoolean(c <= 0);
        default:
            return TExprValue::none();
        }
    }

    template <typename T> static int order(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

    QString folded(const QString& s) const { return e.CaseInsensitive ? czech::upper(s) : s; }

    TExprValue strings(Tok op, const TExprValue& l, const TExprValue& r) const {
        switch (op) {
        case Tok::Eq:
            if (e.WholeValue) return TExprValue::ofBoolean(folded(l.text) == folded(r.text));
            return TExprValue::ofBoolean(matchesPattern(folded(l.text), folded(r.text)));
        case Tok::Plus:
            return TExprValue::string(l.text + r.text);
        default:
            return compared(op, czech::compare(l.text, r.text, e.CaseInsensitive));
        }
    }

    TExprValue numbers(Tok op, const TExprValue& l, const TExprValue& r) const {
        const bool integers = l.kind == TExprValue::Integer && r.kind == TExprValue::Integer;
        switch (op) {
        case Tok::Plus:
            return integers ? integerOrFloat(qint64(l.integer) + r.integer)
                            : TExprValue::ofFloat(l.asDouble() + r.asDouble());
        case Tok::Minus:
            return integers ? integerOrFloat(qint64(l.integer) - r.integer)
                            : TExprValue::ofFloat(l.asDouble() - r.asDouble());
        case Tok::Star:
            return integers ? integerOrFloat(qint64(l.integer) * r.integer)
                            : TExprValue::ofFloat(l.asDouble() * r.asDouble());
        case Tok::Slash:
            // Division by zero has no value rather than an infinity that every comparison misreads.
            if (r.asDouble() == 0.0) return dataFault(TExprValue::Float, r);
            return TExprValue::ofFloat(l.asDouble() / r.asDouble());
        default:
            if (integers) return compared(op, order(l.integer, r.integer));
            if (std::isnan(l.asDouble()) || std::isnan(r.asDouble())) return TExprValue::none();
            return compared(op, order(l.asDouble(), r.asDouble()));
        }
    }

    static TExprValue booleans(Tok op, const TExprValue& l, const TExprValue& r) {
        switch (op) {
        case Tok::And:
            return TExprValue::ofBoolean(l.boolean && r.boolean);
        case Tok::Or:
            return TExprValue::ofBoolean(l.boolean || r.boolean);
        case Tok::Xor:
            return TExprValue::ofBoolean(l.boolean != r.boolean);
        default:
            return compared(op, order(int(l.boolean), int(r.boolean)));
        }
    }

    static TExprValue moments(Tok op, const TExprValue& l, const TExprValue& r) {
        const TExprValue::Kind kind =
            l.kind == TExprValue::DateTime || r.kind == TExprValue::DateTime ? TExprValue::DateTime : l.kind;
        switch (op) {
        case Tok::Plus:
        case Tok::Minus: {
            double days = op == Tok::Plus ? l.number + r.number : l.number - r.number;
            // A time is a part of one day.
            if (kind == TExprValue::Time) days -= std::floor(days);
            return TExprValue::ofDays(kind, days);
        }
        default:
            return compared(op, order(l.number, r.number));
        }
    }

    TExprValue binary(Tok op, const TExprValue& l, const TExprValue& r) const {
        using K = TExprValue;
        if (l.kind == K::None || r.kind == K::None) return K::none();
        if (l.kind == K::Null) {
            if (op == Tok::Eq) return K::ofBoolean(r.kind == K::Null);
            if (op == Tok::Ne) return K::ofBoolean(r.kind != K::Null);
            return K::none();
        }
        if (r.kind == K::Null) {
            if (l.kind == K::String && op == Tok::Eq) return K::ofBoolean(l.text.isEmpty());
            if (l.kind == K::String && op == Tok::Ne) return K::ofBoolean(!l.text.isEmpty());
            if (l.kind != K::String && op == Tok::Ne) return K::ofBoolean(true);
            return K::none();
        }
        if (l.kind == K::String && r.kind == K::String) return strings(op, l, r);
        if (l.kind == K::String && r.isNumber()) return binary(op, textAsNumber(l), r);
        if (l.isNumber() && r.kind == K::String) return binary(op, l, textAsNumber(r));
        if (l.isNumber() && r.isNumber()) return numbers(op, l, r);
        if (op == Tok::And || op == Tok::Or || op == Tok::Xor)
            return l.kind == K::Boolean && r.kind == K::Boolean ? booleans(op, l, r) : K::none();
        if (l.kind == K::Boolean && r.kind == K::Boolean) return booleans(op, l, r);
        if (l.isMoment() && r.kind == K::String) return binary(op, l, textAsMoment(l.kind, r));
        const bool pairOk = (l.kind == K::Date && r.kind == K::Date) ||
                            ((l.kind == K::Date || l.kind == K::DateTime) && r.kind == K::DateTime) ||
                            (l.kind == K::Time && r.kind == K::Time);
        if (!pairOk || op == Tok::Star || op == Tok::Slash) return K::none();
        return moments(op, l, r);
    }

    static bool isAt(const TExprValue& v, TExprValue::Kind kind) { return v.kind == kind; }

    TExprValue function(const TDsExpression::Node& n) const {
        std::vector<TExprValue> a;
        bool fromRecord = false;
        for (const auto& child : n.children) {
            a.push_back(eval(*child));
            fromRecord = fromRecord || a.back().fromRecord;
        }
        TExprValue v = call(n.function, a, fromRecord);
        v.fromRecord = v.fromRecord || fromRecord;
        return v;
    }

    TExprValue call(Fn function, const std::vector<TExprValue>& a, bool fromRecord) const {
        using K = TExprValue;
        for (const TExprValue& v : a)
            if (v.kind == K::None) return K::none();
        const bool placeholder = e.m_checking && fromRecord;
        auto position = [](const QString& needle, const QString& hay) {
            return K::ofInteger(needle.isEmpty() ? 0 : qint32(hay.indexOf(needle) + 1));
        };
        switch (function) {
        case Fn::Trunc:
            return a[0].isNumber() ? K::ofFloat(std::trunc(a[0].asDouble())) : K::none();
        case Fn::Round:
            // Halves go to the even neighbour (the default rounding mode of the processor).
            return a[0].isNumber() ? K::ofFloat(std::nearbyint(a[0].asDouble())) : K::none();
        case Fn::Frac:
            // An integer has no fraction.
            if (isAt(a[0], K::Integer)) return K::ofFloat(0.0);
            return isAt(a[0], K::Float) ? K::ofFloat(a[0].number - std::trunc(a[0].number)) : K::none();
        case Fn::StrToInt: {
            if (!isAt(a[0], K::String)) return K::none();
            bool ok = false;
            const qint32 v = a[0].text.trimmed().toInt(&ok);
            if (!ok) return placeholder ? K::ofInteger(0) : K::none();
            return K::ofInteger(v);
        }
        case Fn::StrToFloat: {
            if (!isAt(a[0], K::String)) return K::none();
            if (auto d = czech::parseFloat(a[0].text)) return K::ofFloat(*d);
            return placeholder ? K::ofFloat(0) : K::none();
        }
        case Fn::IntToStr:
            return isAt(a[0], K::Integer) ? K::string(QString::number(a[0].integer)) : K::none();
        case Fn::FloatToStr:
            return isAt(a[0], K::Float) ? K::string(czech::formatFloat(a[0].number)) : K::none();
        case Fn::Upper:
            return isAt(a[0], K::String) ? K::string(czech::upper(a[0].text)) : K::none();
        case Fn::Lower:
            return isAt(a[0], K::String) ? K::string(czech::lower(a[0].text)) : K::none();
        case Fn::Field:
            return isAt(a[0], K::String) ? fieldByName(a[0].text) : K::none();
        case Fn::Pos:
        case Fn::PosStr:
            if (!isAt(a[0], K::String) || !isAt(a[1], K::String)) return K::none();
            return position(a[0].text, a[1].text);
        case Fn::PosText:
            if (!isAt(a[0], K::String) || !isAt(a[1], K::String)) return K::none();
            return position(czech::upper(a[0].text), czech::upper(a[1].text));
        case Fn::Copy: {
            if (!isAt(a[0], K::String) || !isAt(a[1], K::Integer) || !isAt(a[2], K::Integer))
                return K::none();
            // Positions count from 1; a start before the text starts at its beginning.
            const qint64 from = std::max<qint64>(a[1].integer, 1) - 1;
            const qint64 count = a[2].integer;
            if (count <= 0 || from >= a[0].text.size()) return K::string(QString());
            return K::string(a[0].text.mid(from, std::min<qint64>(count, a[0].text.size() - from)));
        }
        case Fn::Trim: {
            if (!isAt(a[0], K::String)) return K::none();
            const QString& s = a[0].text;
            qsizetype from = 0, to = s.size();
            while (from < to && s[from].unicode() <= ' ')
                ++from;
            while (to > from && s[to - 1].unicode() <= ' ')
                --to;
            return K::string(s.mid(from, to - from));
        }
        }
        return K::none();
    }
};

// ---------------------------------------------------------------------------------------------
// TDsExpression

TDsExpression::TDsExpression() = default;
TDsExpression::~TDsExpression() = default;

bool TDsExpression::Parse(const QString& text) {
    Parser parser(text, [this](const QString& name) { return FieldIndex(name); });
    m_root = parser.parseAll();
    return m_root != nullptr;
}

TExprValue TDsExpression::Evaluate() const {
    if (!m_root) return TExprValue::none();
    return TExprEvaluator{*this}.eval(*m_root);
}

bool TDsExpression::Passes() const {
    const TExprValue v = Evaluate();
    return v.kind == TExprValue::Boolean && v.boolean;
}

bool TDsExpression::Check(const QString& text) {
    if (!Parse(text)) return false;
    struct Checking {
        bool& flag;
        ~Checking() { flag = false; }
    } checking{m_checking};
    m_checking = true;
    if (Evaluate().kind != TExprValue::None) return true;
    m_root.reset();
    return false;
}

// ---------------------------------------------------------------------------------------------
// TDsDbParser

int TDsDbParser::FieldIndex(const QString& name) const {
    const auto& fields = m_file->Fields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TFieldType TDsDbParser::FieldType(int index) const {
    return dbfFieldType(m_file->Fields().at(index).Type);
}

QVariant TDsDbParser::FieldValue(int index) const {
    if (!m_record) return QVariant();
    return m_file->ReadField(m_record, index);
}

TExprValue TDsDbParser::EvaluateRecord(const char* record) const {
    m_record = record;
    TExprValue v = Evaluate();
    m_record = nullptr;
    return v;
}

bool TDsDbParser::PassesRecord(const char* record) const {
    const TExprValue v = EvaluateRecord(record);
    return v.kind == TExprValue::Boolean && v.boolean;
}

} // namespace kvor
