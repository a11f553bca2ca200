#include "DbfTool.h"

#include "Csv.h"
#include "platform/Cp1250.h"
#include "tablestore/DsDbfTable.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace kvor::dbftool {

namespace {

const char* const kUsage = "použití:\n"
                           "  kvor-dbf info SOUBOR\n"
                           "  kvor-dbf dump SOUBOR [--filter VÝRAZ [--case-insensitive] [--whole]]\n"
                           "  kvor-dbf create SOUBOR --fields \"NAZEV:C:20,NC:N:19:4,DAT:D\" [--csv VSTUP]";

// A table of the file's folder, opened or created through the table store.
struct Table {
    TDsDatabase Database;
    TDsDbfTable Dbf;

    explicit Table(const QString& file) {
        QFileInfo info(file);
        Database.SetName(QStringLiteral("kvor-dbf"));
        Database.SetDatabaseName(info.absolutePath());
        Dbf.SetName(info.completeBaseName());
        Dbf.SetDatabase(&Database);
        Dbf.SetTableName(info.fileName());
    }
};

std::unique_ptr<Table> openForReading(const QString& file) {
    auto table = std::make_unique<Table>(file);
    table->Dbf.SetReadOnly(true);
    table->Dbf.Open();
    return table;
}

QString cellOf(const TField& field, const TDbfField& descriptor) {
    QVariant v = field.Value();
    if (!v.isValid()) return QString();
    switch (descriptor.Type) {
    case 'N':
    case 'F':
        return QString::number(v.toDouble(), 'f', descriptor.Decimals);
    case 'D':
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case 'Y':
        return QString::number(v.toDouble(), 'f', 4);
    case 'O':
        return QString::number(v.toDouble(), 'g', 17);
    case 'L':
        return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    case '@':
        return v.toDateTime().toString(Qt::ISODateWithMs);
    default:
        if (v.typeId() == QMetaType::QByteArray) return cp1250::decode(v.toByteArray());
        return v.toString();
    }
}

TFieldDef parseFieldDefinition(const QString& definition) {
    QStringList parts = definition.trimmed().split(u':');
    auto bad = [&definition](const QString& why) {
        return ToolError(QStringLiteral("Definice pole '%1': %2").arg(definition, why));
    };
    if (parts.size() < 2 || parts[0].isEmpty() || parts[1].size() != 1)
        throw bad(QStringLiteral("čekám JMÉNO:TYP[:DÉLKA[:DESETINY]]"));
    auto number = [&](int i, int fallback) {
        if (parts.size() <= i) return fallback;
        bool ok = false;
        int n = parts[i].toInt(&ok);
        if (!ok || n < 0) throw bad(QStringLiteral("'%1' není nezáporné celé číslo").arg(parts[i]));
        return n;
    };
    if (parts.size() > 4) throw bad(QStringLiteral("příliš mnoho částí"));
    TFieldDef def;
    def.Name = parts[0];
    const QChar letter = parts[1].at(0).toUpper();
    if (letter == u'C') {
        if (parts.size() < 3) throw bad(QStringLiteral("pole C potřebuje délku"));
        def.DataType = ftString;
        def.Size = number(2, 0);
    } else if (letter == u'N') {
        int length = number(2, 19), decimals = number(3, parts.size() < 3 ? 4 : 0);
        if (length == 19 && decimals == 4) {
            def.DataType = ftFloat;
        } else if ((length - decimals >= 2 && length <= 20 && decimals <= 18) ||
                   (length == 1 && decimals == 0)) {
            // The table store creates N fields of other widths from BCD definitions.
            def.DataType = ftBCD;
            def.Precision = length;
            def.Size = decimals;
        } else {
            throw bad(QStringLiteral("pole N %1.%2 tabulky neumějí vytvořit").arg(length).arg(decimals));
        }
    } else if (letter == u'D') {
        if (number(2, 8) != 8) throw bad(QStringLiteral("pole D má délku 8"));
        def.DataType = ftDate;
    } else if (letter == u'L') {
        if (number(2, 1) != 1) throw bad(QStringLiteral("pole L má délku 1"));
        def.DataType = ftBoolean;
    } else {
        throw bad(QStringLiteral("typ %1 nelze vytvořit (jen C, N, D, L)").arg(parts[1]));
    }
    return def;
}

QVariant valueOf(const QString& cell, const TDbfField& descriptor, int line, const QString& fieldName) {
    if (cell.isEmpty()) return QVariant();
    auto bad = [&](const char* what) {
        return ToolError(QStringLiteral("Řádek %1, pole %2: '%3' není %4")
                             .arg(line)
                             .arg(fieldName, cell, QString::fromUtf8(what)));
    };
    switch (descriptor.Type) {
    case 'N':
    case 'F': {
        bool ok = false;
        double d = cell.trimmed().toDouble(&ok); // '.' as the decimal point, whatever the locale
        if (!ok) throw bad("číslo");
        return d;
    }
    case 'D': {
        QDate d = QDate::fromString(cell.trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid()) throw bad("datum RRRR-MM-DD");
        return d;
    }
    case 'L': {
        QString t = cell.trimmed().toUpper();
        if (t == u"T" || t == u"Y" || t == u"TRUE" || t == u"1") return true;
        if (t == u"F" || t == u"N" || t == u"FALSE" || t == u"0") return false;
        throw bad("logická hodnota");
    }
    default:
        return cell;
    }
}

QString readTextFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw ToolError(QStringLiteral("Soubor %1 nelze otevřít").arg(path));
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

} // namespace

void info(const QString& file, QTextStream& out) {
    auto table = openForReading(file);
    const TDbfFile& f = *table->Dbf.File();
    out << "version: 0x" << QString::number(f.Version(), 16).rightJustified(2, u'0').toUpper() << '\n';
    out << "family: " << dbfFamilyName(f.Family()) << '\n';
    out << "records: " << f.RecordCount() << '\n';
    out << "header length: " << f.HeaderLength() << '\n';
    out << "record length: " << f.RecordLength() << '\n';
    out << "fields: " << f.Fields().size() << '\n';
    for (const TDbfField& field : f.Fields())
        out << field.Name << ' ' << QChar(QLatin1Char(field.Type)) << ' ' << field.Length << ' '
            << field.Decimals << '\n';
}

void dump(const QString& file, QTextStream& out, const QString& filter, int filterOptions) {
    auto table = openForReading(file);
    TDsDbfTable& t = table->Dbf;
    if (!filter.isEmpty()) {
        t.SetFilterOptions(filterOptions);
        t.SetFilter(filter);
        t.SetFiltered(true);
    }
    const QList<TDbfField>& descriptors = t.File()->Fields();
    out << csv::formatRow(t.FieldNames()) << '\n';
    QStringList cells;
    for (t.First(); !t.Eof(); t.Next()) {
        cells.clear();
        for (int i = 0; i < t.FieldCount(); ++i) {
            const TField* field = t.Fields(i);
            cells << cellOf(*field, descriptors.at(field->Def().FieldNo - 1));
        }
        out << csv::formatRow(cells) << '\n';
    }
}

int create(const QString& file, const QString& fieldList, const QString& csvText) {
    TFieldDefs defs;
    for (const QString& definition : fieldList.split(u',', Qt::SkipEmptyParts))
        defs << parseFieldDefinition(definition);
    if (defs.isEmpty()) throw ToolError(QStringLiteral("Chybí definice polí (--fields)"));

    QList<QStringList> rows = csv::parse(csvText);
    Table table(file);
    TDsDbfTable& t = table.Dbf;
    t.SetFieldDefs(defs);
    t.SetExclusive(true);
    t.CreateTable();
    if (rows.isEmpty()) return 0;

    t.Open();
    const QStringList header = rows.takeFirst();
    QList<TField*> columns;
    for (const QString& name : header) {
        TField* field = t.FindField(name.trimmed());
        if (!field) throw ToolError(QStringLiteral("Sloupec %1 není polem tabulky").arg(name));
        columns << field;
    }
    const QList<TDbfField>& descriptors = t.File()->Fields();
    int appended = 0, line = 1;
    for (const QStringList& row : rows) {
        ++line;
        if (row.size() == 1 && row[0].isEmpty()) continue; // a blank line
        if (row.size() != columns.size())
            throw ToolError(QStringLiteral("Řádek %1 má %2 buněk, záhlaví %3")
                                .arg(line)
                                .arg(row.size())
                                .arg(columns.size()));
        t.Append();
        for (int i = 0; i < columns.size(); ++i) {
            TField* field = columns[i];
            field->SetValue(
                valueOf(row[i], descriptors.at(field->Def().FieldNo - 1), line, field->FieldName()));
        }
        t.Post();
        ++appended;
    }
    t.Close();
    return appended;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        if (arguments.size() < 2) throw ToolError(QString::fromUtf8(kUsage));
        const QString command = arguments[0], file = arguments[1];
        if (command == u"info" && arguments.size() == 2) {
            info(file, out);
        } else if (command == u"dump") {
            QString filter;
            int options = 0;
            for (int i = 2; i < arguments.size(); ++i) {
                if (arguments[i] == u"--filter" && i + 1 < arguments.size())
                    filter = arguments[++i];
                else if (arguments[i] == u"--case-insensitive")
                    options |= foCaseInsensitive;
                else if (arguments[i] == u"--whole")
                    options |= foNoPartialCompare;
                else
                    throw ToolError(QString::fromUtf8(kUsage));
            }
            dump(file, out, filter, options);
        } else if (command == u"create") {
            QString fields, csvPath;
            bool haveFields = false;
            for (int i = 2; i < arguments.size(); ++i) {
                if (arguments[i] == u"--fields" && i + 1 < arguments.size()) {
                    fields = arguments[++i];
                    haveFields = true;
                } else if (arguments[i] == u"--csv" && i + 1 < arguments.size()) {
                    csvPath = arguments[++i];
                } else {
                    throw ToolError(QString::fromUtf8(kUsage));
                }
            }
            if (!haveFields) throw ToolError(QString::fromUtf8(kUsage));
            create(file, fields, csvPath.isEmpty() ? QString() : readTextFile(csvPath));
        } else {
            throw ToolError(QString::fromUtf8(kUsage));
        }
        out.flush();
        return 0;
    } catch (const EDatabaseError& e) {
        out.flush();
        err << e.message() << '\n';
    } catch (const std::exception& e) {
        out.flush();
        err << QString::fromUtf8(e.what()) << '\n';
    }
    err.flush();
    return 1;
}

} // namespace kvor::dbftool
