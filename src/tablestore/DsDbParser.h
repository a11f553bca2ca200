#pragma once
// The filter expression language of the table store, and its binding to a dBase file.
//
// An expression is parsed once into a tree and evaluated once per record into a typed value;
// a record passes when the value is the Boolean true. Anything invalid (a type pair without a
// rule, a text that is no number, NOT) gives "no value", which rejects the record and never
// raises. TDsExpression is the language; a binding says how a field name is found and read.
#include "tablestore/DsDataSet.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <memory>

namespace kvor {

class TDbfFile;

// A value of the language.
struct TExprValue {
    enum Kind { None, Null, String, Integer, Float, Boolean, Date, Time, DateTime };
    Kind kind = None;
    QString text;       // String
    qint32 integer = 0; // Integer
    double number = 0;  // Float; Date, Time and DateTime as days since 30 December 1899
    bool boolean = false;
    // Whether the value depends on the record (a field, or a result computed from one).
    bool fromRecord = false;

    static TExprValue none() { return {}; }
    static TExprValue null() {
        TExprValue v;
        v.kind = Null;
        return v;
    }
    static TExprValue string(const QString& text);
    static TExprValue ofInteger(qint32 value);
    static TExprValue ofFloat(double value);
    static TExprValue ofBoolean(bool value);
    static TExprValue ofDays(Kind kind, double days); // Date, Time or DateTime
    bool isNumber() const { return kind == Integer || kind == Float; }
    bool isMoment() const { return kind == Date || kind == Time || kind == DateTime; }
    double asDouble() const { return kind == Integer ? double(integer) : number; }
};

// Longest text a string value holds; longer text is cut.
inline constexpr int kExprMaxString = 255;

class TDsExpression {
public:
    struct Node;

    TDsExpression();
    virtual ~TDsExpression();
    TDsExpression(const TDsExpression&) = delete;
    TDsExpression& operator=(const TDsExpression&) = delete;

    // Case-insensitive comparisons; whole-value '=' for strings instead of the pattern match.
    bool CaseInsensitive = false;
    bool WholeValue = false;

    // Parses the text; false (and no expression) when it is not one of the language.
    bool Parse(const QString& text);
    bool Parsed() const { return m_root != nullptr; }
    TExprValue Evaluate() const;
    // Whether the current record passes: the value is the Boolean true.
    bool Passes() const;
    // Parses the text and evaluates it once as the check when a filter is set: false when it gives
    // no value. Data read from the record cannot fail the check (a text field that holds no number
    // now may hold one in the next record); only the expression's own types can.
    bool Check(const QString& text);

protected:
    // The index of the field of that name (without regard to case), or -1.
    virtual int FieldIndex(const QString& name) const = 0;
    virtual TFieldType FieldType(int index) const = 0;
    // The field's value in the record under evaluation; an invalid QVariant for an empty field.
    virtual QVariant FieldValue(int index) const = 0;

private:
    friend struct TExprEvaluator;
    std::unique_ptr<Node> m_root;
    mutable bool m_checking = false;
};

// The expression bound to a dBase file: fields among the file's descriptors, read from the record
// bytes. The file must stay open for as long as the expression is used.
class TDsDbParser : public TDsExpression {
public:
    explicit TDsDbParser(const TDbfFile* file) : m_file(file) {}
    // Evaluates on the record's bytes (nullptr: every field empty).
    bool PassesRecord(const char* record) const;
    TExprValue EvaluateRecord(const char* record) const;

protected:
    int FieldIndex(const QString& name) const override;
    TFieldType FieldType(int index) const override;
    QVariant FieldValue(int index) const override;

private:
    const TDbfFile* m_file;
    mutable const char* m_record = nullptr;
};

} // namespace kvor
