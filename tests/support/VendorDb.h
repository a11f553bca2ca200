#pragma once
// The test vendor database of the vendor_db fixture, and a second, independent connection to it
// for reading back what the code under test sent.
#include "server/ServerLink.h"

#include <QStringList>
#include <QVariant>

#ifndef KVOR_TEST_DB_PORT
#define KVOR_TEST_DB_PORT 33061
#endif

namespace kvor::testing {

inline TServerConfig vendorDbConfig() {
    TServerConfig c = TServerConfig::defaults();
    c.Host = QStringLiteral("127.0.0.1");
    c.Port = KVOR_TEST_DB_PORT;
    return c;
}

// A connection of its own, set up like the client's session; every call raises on failure.
class TVendorDb {
public:
    explicit TVendorDb(const TServerConfig& config = vendorDbConfig()) : m_link(config) {
        if (!m_link.TestSQLjakje()) throw ESqlError(QStringLiteral("vendor database not reachable"), 0);
        m_link.SetUpSession();
    }

    TServerLink& link() { return m_link; }

    void exec(const QString& statement) {
        m_link.ZQuery1.Close();
        m_link.ZQuery1.SQL() = QStringList{statement};
        m_link.ZQuery1.ExecSQL();
    }

    // Every row of a query, each as a list of values.
    QList<QVariantList> rows(const QString& query) {
        TZQuery& q = m_link.ZQuery1;
        q.Close();
        q.SQL() = QStringList{query};
        q.Open();
        QList<QVariantList> out;
        for (q.First(); !q.Eof(); q.Next()) {
            QVariantList row;
            for (int i = 0; i < q.FieldCount(); ++i)
                row << q.Fields(i)->Value();
            out << row;
        }
        q.Close();
        return out;
    }

    // The first column of the first row (null when there is no row).
    QVariant value(const QString& query) {
        QList<QVariantList> r = rows(query);
        return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
    }

    qint64 count(const QString& fromWhere) {
        return value(QStringLiteral("select count(*) ") + fromWhere).toLongLong();
    }

private:
    TServerLink m_link;
};

} // namespace kvor::testing
