#pragma once
// What the fuzz target and the regression test do with a table file of unknown content: read it
// through in both directions, then change it the ways the program can (append with every field
// set, edit, delete, pack, zap). The table store may refuse the file or a value with its own
// error; anything else (a crash, a sanitizer report, another exception) is a fault.
#include "tablestore/DsDbfTable.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace kvor::fuzzing {

// Reads every field of the visible records, forwards and then backwards, within a budget of
// records. Returns how many records were visited forwards.
inline int readAll(TDsDbfTable& t, int& budget) {
    auto readFields = [&t] {
        for (int i = 0; i < t.FieldCount(); ++i) {
            const TField* f = t.Fields(i);
            (void)f->IsNull();
            (void)f->AsString();
        }
    };
    int forward = 0;
    for (t.First(); !t.Eof() && budget-- > 0; t.Next(), ++forward)
        readFields();
    for (t.Last(); !t.Bof() && budget-- > 0; t.Prior())
        readFields();
    return forward;
}

// A value of the field's own type; seed varies it between small, large and empty values.
inline QVariant sampleValue(const TField& f, int seed) {
    if (seed % 5 == 4) return QVariant(); // null
    const bool large = seed % 2 == 1;
    switch (f.DataType()) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
        return large ? QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy, Pšenice ozimá").repeated(6)
                     : QStringLiteral("ř");
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return large ? -12345678901234.5678 : 0.5;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
        return large ? -2147483647 : 7;
    case ftBoolean:
        return large;
    case ftDate:
        return large ? QDate(9999, 12, 31) : QDate(1, 1, 1);
    case ftDateTime:
        return QDateTime(QDate(2012, 3, 15), QTime(10, 30, 5));
    case ftTime:
        return QTime(23, 59, 59);
    default:
        return large ? QByteArray(300, '\xFF') : QByteArray("x");
    }
}

// Sets every writable field, each on its own: a value that one field refuses must not keep the
// others from being tried.
inline void setEveryField(TDsDbfTable& t, int seed) {
    for (int i = 0; i < t.FieldCount(); ++i) {
        TField* f = t.Fields(i);
        if (f->ReadOnly()) continue;
        try {
            f->SetValue(sampleValue(*f, seed + i));
        } catch (const EDatabaseError&) {
            // refused with the table store's own error: fine
        }
    }
}

// Opens the table of `name` in `folder` read-only, then writable and exclusive, and changes it.
inline void exerciseTable(const QString& folder, const QString& name) {
    TDsDatabase db;
    db.SetDatabaseName(folder);
    for (bool showDeleted : {false, true}) {
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(name);
        t.SetReadOnly(true);
        t.SetBufferRecords(3);
        t.SetShowDeleted(showDeleted);
        try {
            t.Open();
            int budget = 5000;
            readAll(t, budget);
            if (t.FieldCount() > 0)
                (void)t.Locate(t.Fields(0)->FieldName(), QStringLiteral("A*"),
                               loPartialKey | loCaseInsensitive);
        } catch (const EDatabaseError&) {
            return; // refused at opening, or a record that cannot be read
        }
    }

    TDsDbfTable t;
    t.SetDatabase(&db);
    t.SetTableName(name);
    t.SetExclusive(true);
    t.SetBufferRecords(2);
    try {
        t.Open();
    } catch (const EDatabaseError&) {
        return;
    }
    auto step = [](auto&& work) {
        try {
            work();
        } catch (const EDatabaseError&) {
            // a refused value or file operation leaves the table usable for the next step
        }
    };
    int budget = 2000;
    for (int seed = 0; seed < 3; ++seed) {
        step([&] {
            t.Append();
            setEveryField(t, seed);
            t.Post();
        });
        step([&] {
            if (t.State() != TDataSetState::dsBrowse) t.Cancel();
        });
    }
    step([&] {
        t.First();
        if (t.Eof()) return;
        t.Edit();
        setEveryField(t, 7);
        t.Post();
    });
    step([&] {
        if (t.State() != TDataSetState::dsBrowse) t.Cancel();
    });
    step([&] {
        t.First();
        if (!t.Eof()) t.Delete();
        t.Last();
        if (!t.Bof()) t.Delete();
    });
    step([&] { t.Pack(); });
    step([&] { readAll(t, budget); });
    step([&] { t.Zap(); });
    step([&] {
        t.Append();
        setEveryField(t, 1);
        t.Post();
    });
    step([&] {
        if (t.State() != TDataSetState::dsBrowse) t.Cancel();
    });
    step([&] { t.Pack(); });
    step([&] { readAll(t, budget); });
    t.Close();
}

} // namespace kvor::fuzzing
