#pragma once
// The main window's link to the vendor database: the one connection with its query and script
// runner, and the online status that every connection attempt sets.
#include "server/ZConnection.h"
#include "server/ZQuery.h"
#include "server/ZSQLProcessor.h"

#include <QStringList>

namespace kvor {

class TServerLink {
public:
    explicit TServerLink(const TServerConfig& config = TServerConfig::defaults());
    TServerLink(const TServerLink&) = delete;
    TServerLink& operator=(const TServerLink&) = delete;

    TZConnection ZConnection1;
    TZQuery ZQuery1;
    TZSQLProcessor ZSQLProcessor1;

    // The connection attempt made before every server operation: closes the connection, opens it
    // anew and records the outcome as the online status. Never raises; returns the status.
    bool TestSQLjakje();
    bool Online() const { return m_online; }

    // Sends the session set-up on the query, one statement after the other.
    void SetUpSession();

    // Runs a script through its transient file: the lines are written to path (CR LF, Windows-1250),
    // the script runner loads the file and executes it. When a statement fails, the open
    // transaction is rolled back explicitly and the server's error is raised; the file stays.
    void RunScript(const QStringList& lines, const QString& path);

private:
    bool m_online = false;
};

// Writes lines as a Windows-1250 text file with CR LF line ends. Raises EDatabaseError.
void writeScriptFile(const QString& path, const QStringList& lines);

} // namespace kvor
