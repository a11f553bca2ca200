#include "server/ServerLink.h"

#include "platform/Cp1250.h"

#include <QFile>

namespace kvor {

TServerLink::TServerLink(const TServerConfig& config) {
    ZConnection1.SetName(QStringLiteral("ZConnection1"));
    ZConnection1.SetConfig(config);
    ZQuery1.SetName(QStringLiteral("ZQuery1"));
    ZQuery1.SetConnection(&ZConnection1);
    ZSQLProcessor1.SetName(QStringLiteral("ZSQLProcessor1"));
    ZSQLProcessor1.SetConnection(&ZConnection1);
}

bool TServerLink::TestSQLjakje() {
    ZQuery1.Close();
    ZConnection1.Disconnect();
    m_online = true;
    try {
        ZConnection1.Connect();
    } catch (const std::exception&) {
        m_online = false;
    }
    if (!ZConnection1.Connected()) m_online = false;
    return m_online;
}

void TServerLink::SetUpSession() {
    ZQuery1.Close();
    ZQuery1.SQL() = QStringList{QStringLiteral("set @@session.sql_mode=\"\"")};
    ZQuery1.ExecSQL();
    ZQuery1.SQL() = QStringList{QStringLiteral("SET names cp1250;")};
    ZQuery1.ExecSQL();
    ZQuery1.SQL().clear();
}

void TServerLink::RunScript(const QStringList& lines, const QString& path) {
    writeScriptFile(path, lines);
    ZSQLProcessor1.LoadFromFile(path);
    try {
        ZSQLProcessor1.Execute();
    } catch (...) {
        // Without this the failed transaction would stay open on the connection that the history
        // windows go on using, until the next connection attempt.
        ZConnection1.RollbackQuietly();
        throw;
    }
}

void writeScriptFile(const QString& path, const QStringList& lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EDatabaseError(QStringLiteral("Soubor %1 nelze vytvořit").arg(path));
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += cp1250::encode(line) + "\r\n";
    if (f.write(bytes) != bytes.size() || !f.flush())
        throw EDatabaseError(QStringLiteral("Soubor %1 nelze zapsat").arg(path));
}

} // namespace kvor
