#pragma once
// A program folder after one ordinary run of the program against the vendor database: code lists
// rebuilt and their change time stored, a saved request, a slot table of three labels and an
// export queue with two copies waiting. Each fault case starts from a copy of it.
#include "app/AppFixture.h"

#include "support/DbfRead.h"
#include "support/VendorDb.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMap>

namespace kvor::testing {

inline const QString kSavedRequest = QStringLiteral("123456783312345670");

inline QStringList tableFiles() {
    return {QStringLiteral("zadost.dbf"), QStringLiteral("zadost2.dbf"), QStringLiteral("zadostex.dbf"),
            QStringLiteral("cenik.dbf"), QStringLiteral("zadostad.dbf")};
}

// The values of one column of a table as dbfread read it.
inline QStringList column(const DbfReadResult& read, const QString& name) {
    QStringList out;
    const int i = int(read.names.indexOf(name));
    for (const QJsonValue& row : read.rows)
        out << (i >= 0 ? row.toArray().at(i).toVariant().toString() : QStringLiteral("<no %1>").arg(name));
    return out;
}

inline QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class RunFolder {
public:
    // Runs the program once in a folder of its own; call from initTestCase (it verifies).
    void make() {
        m_folder = std::make_unique<AppFolder>();
        AppFolder& t = *m_folder;
        t.writeIdentity(KVOR_TEST_DB_PORT);
        const QVariantMap request{{QStringLiteral("ZADOST_O"), QStringLiteral("U")},
                                  {QStringLiteral("ROK"), QStringLiteral("2012")},
                                  {QStringLiteral("PARTIECELA"), QStringLiteral("12-0815-00042-01")},
                                  {QStringLiteral("DRUH"), QStringLiteral("1")},
                                  {QStringLiteral("NAZ_DRU"), QStringLiteral("Pšenice ozimá")},
                                  {QStringLiteral("id"), 1234567.0},
                                  {QStringLiteral("id_trivan"), kSavedRequest}};
        t.writeRequests(QStringLiteral("zadost.dbf"), {request});
        t.writeRequests(QStringLiteral("zadost2.dbf"), {request, request, request});
        t.writeRequests(QStringLiteral("zadostex.dbf"),
                        {{{QStringLiteral("id_trivan"), QStringLiteral("123456783300000001")}},
                         {{QStringLiteral("id_trivan"), QStringLiteral("123456783300000002")}}});
        {
            Seams seams;
            auto form = startForm();
            QVERIFY(form);
            QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
            QVERIFY(form->Online());
        }
        for (const QString& name : tableFiles()) {
            const DbfReadResult read = dbfread(t.dataPath(name));
            QVERIFY2(read.ok, qPrintable(read.error));
            QVERIFY2(!read.rows.isEmpty(), qPrintable(name));
            tables.insert(name, read);
        }
        const DbfReadResult& offices = tables[QStringLiteral("zadostad.dbf")];
        const QStringList icos = column(offices, QStringLiteral("ico"));
        for (int i = 0; i < icos.size() && partnerOffice.isEmpty(); ++i)
            if (!icos[i].trimmed().isEmpty()) partnerOffice = column(offices, QStringLiteral("adresa"))[i];
        QVERIFY(!partnerOffice.isEmpty());
    }
    void reset() { m_folder.reset(); }

    // Copies the tables and kvor.ini into another program folder (its data folder must exist).
    void copyTo(const AppFolder& folder) const {
        for (const QString& name : QDir(m_folder->dataPath()).entryList(QDir::Files))
            QVERIFY(QFile::copy(m_folder->dataPath(name), folder.dataPath(name)));
        QVERIFY(
            QFile::copy(m_folder->path(QStringLiteral("kvor.ini")), folder.path(QStringLiteral("kvor.ini"))));
    }
    // What dbfread read from each table after the run.
    QMap<QString, DbfReadResult> tables;
    // An office of the address list with an ICO: printing to it queues an export.
    QString partnerOffice;

private:
    std::unique_ptr<AppFolder> m_folder;
};

} // namespace kvor::testing
