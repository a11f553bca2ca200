#pragma once
// A program folder of its own for each test, the seams answered, and the main window started in it.
#include "app/AppWindows.h"
#include "app/RequestRecord.h"
#include "app/utexty.h"
#include "app/zahla.h"
#include "platform/Cp1250.h"
#include "platform/SystemInfo.h"
#include "tablestore/DsDbfTable.h"
#include "widgets/ErrorBox.h"
#include "widgets/MessageBox.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>

namespace kvor::testing {

// A port on which nothing listens: every connection attempt is refused at once.
inline constexpr int kDeadPort = 1;

class AppFolder {
public:
    AppFolder() {
        QDir(m_dir.path()).mkpath(QStringLiteral("kvor/data"));
        m_folder = QDir(m_dir.path()).filePath(QStringLiteral("kvor"));
        sys::setProgramFolder(m_folder);
    }
    ~AppFolder() { sys::setProgramFolder(QString()); }

    QString path(const QString& name = QString()) const { return QDir(m_folder).filePath(name); }
    QString dataPath(const QString& name = QString()) const {
        return QDir(path(QStringLiteral("data"))).filePath(name);
    }

    // kvor.ini with the given lines (Windows-1250, CR LF).
    void writeIni(const QStringList& lines) const {
        QFile file(path(QStringLiteral("kvor.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(cp1250::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }
    void writeIdentity(int serverPort, const QString& host = QStringLiteral("127.0.0.1")) const {
        writeIni({QStringLiteral("[TFmozno]"), QStringLiteral("Editpodnik_Text=0815"),
                  QStringLiteral("EditCSO_Text=101"), QStringLiteral("EditICO_Text=12345678"),
                  QStringLiteral("Editnazev_Text=Osiva Haná"), QStringLiteral("[Server]"),
                  QStringLiteral("Host=") + host, QStringLiteral("Port=%1").arg(serverPort)});
    }

    // A table of the request layout holding the given records (field name to value).
    void writeRequests(const QString& file, const QList<QVariantMap>& records) const {
        TDsDatabase db;
        db.SetDatabaseName(dataPath());
        TDsDbfTable table;
        table.SetDatabase(&db);
        table.SetTableName(file);
        table.SetExclusive(true);
        table.FieldDefs() = requestFieldDefs();
        table.CreateTable();
        table.Open();
        for (const QVariantMap& record : records) {
            table.Append();
            for (auto it = record.begin(); it != record.end(); ++it)
                table.FieldByName(it.key())->SetValue(it.value());
            table.Post();
        }
        table.Close();
    }

    // A table with string fields of width 80 and the given rows.
    void writeTable(const QString& file, const QStringList& fields, const QList<QStringList>& rows) const {
        TDsDatabase db;
        db.SetDatabaseName(dataPath());
        TDsDbfTable table;
        table.SetDatabase(&db);
        table.SetTableName(file);
        table.SetExclusive(true);
        TFieldDefs defs;
        for (const QString& f : fields)
            defs << TFieldDef{f, ftString, 80};
        table.FieldDefs() = defs;
        table.CreateTable();
        table.Open();
        for (const QStringList& row : rows) {
            table.Append();
            for (int i = 0; i < fields.size(); ++i)
                table.FieldByName(fields[i])->SetAsString(row.value(i));
            table.Post();
        }
        table.Close();
    }

    // The first record of a request-layout table, read after the program let it go.
    QVariantMap readFirst(const QString& file, int* recordCount = nullptr) const {
        TDsDatabase db;
        db.SetDatabaseName(dataPath());
        TDsDbfTable table;
        table.SetDatabase(&db);
        table.SetTableName(file);
        table.Open();
        if (recordCount) *recordCount = table.RecordCount();
        QVariantMap out;
        table.First();
        if (!table.Eof())
            for (int i = 0; i < table.FieldCount(); ++i)
                out.insert(table.Fields(i)->FieldName(), table.Fields(i)->Value());
        table.Close();
        return out;
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

// Answers every modal question of the program and remembers what was asked.
class Seams {
public:
    Seams()
        : m_box([this](const TMsgBoxQuestion& q) {
              questions << q;
              return boxAnswer ? boxAnswer(q) : 1;
          }),
          m_dialog([this](QDialog& d) {
              dialogs << d.metaObject()->className();
              if (dialogAnswer) return dialogAnswer(d);
              d.accept();
              return int(QDialog::Accepted);
          }),
          m_errors([this](const QString& text) { errors << text; }) {}

    std::function<int(const TMsgBoxQuestion&)> boxAnswer;
    std::function<int(QDialog&)> dialogAnswer;
    QList<TMsgBoxQuestion> questions;
    QStringList dialogs;
    QStringList errors;

    QStringList texts() const {
        QStringList t;
        for (const TMsgBoxQuestion& q : questions)
            t << q.Text;
        return t;
    }

private:
    TMsgBoxAnswerScope m_box;
    DialogAnswerScope m_dialog;
    TErrorReporterScope m_errors;
};

// Types the text key by key into the widget, as a keyboard delivers it: Czech letters arrive as
// text without a key code of their own.
inline void typeKeys(QWidget* widget, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Runs "T" of a field with the saved-texts window answered by act.
inline void savedTexts(TForm1& form, const char* field, const std::function<int(TftextUloz&)>& act,
                       Seams& seams) {
    seams.dialogAnswer = [&](QDialog& d) {
        auto* window = qobject_cast<TftextUloz*>(&d);
        return window ? act(*window) : 0;
    };
    auto* button = form.findChild<QToolButton*>(QStringLiteral("ButtonT") + QString::fromLatin1(field));
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QStringLiteral("Otevře seznam, lze editovat"));
    button->click();
    seams.dialogAnswer = {}; // act is the caller's and ends with the call
}

// The main window through window creation and its first showing.
inline std::unique_ptr<TForm1> startForm(int minimumStartupMs = 0) {
    auto form = std::make_unique<TForm1>();
    form->SetMinimumStartupTime(minimumStartupMs);
    form->show();
    if (!QTest::qWaitFor([&] { return form->Ready(); }, 30000)) return nullptr;
    return form;
}

} // namespace kvor::testing
