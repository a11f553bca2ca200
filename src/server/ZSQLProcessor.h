#pragma once
// The script runner (component ZSQLProcessor1): a text of several statements separated by ";",
// executed one after another, in order, on the same connection, so that user variables set by one
// statement are seen by the next. The first failing statement stops the script with its error.
#include "server/ZConnection.h"

#include <QString>
#include <QStringList>

namespace kvor {

class TZSQLProcessor : public QObject {
    Q_OBJECT
public:
    explicit TZSQLProcessor(QObject* parent = nullptr);

    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    TZConnection* Connection() const { return m_connection; }
    void SetConnection(TZConnection* connection) { m_connection = connection; }

    const QString& Script() const { return m_script; }
    void SetScript(const QString& script) { m_script = script; }
    // Loads the script from a Windows-1250 text file. Raises EDatabaseError when it cannot be read.
    void LoadFromFile(const QString& path);

    // Runs every statement of the script; raises ESqlError at the first failure. The statements
    // before it stay executed (the caller decides whether to roll back).
    void Execute();
    // How many statements the last Execute ran to completion.
    int ExecutedCount() const { return m_executed; }

    // Splits a script at every ";" that stands outside quoted text ('...', "...", `...`, with
    // doubled quotes and backslash escapes inside) and outside comments (-- , #, /* */).
    // Statements are trimmed; empty ones are left out.
    static QStringList SplitStatements(QStringView script);

private:
    TZConnection* m_connection = nullptr;
    QString m_script;
    int m_executed = 0;
};

} // namespace kvor
