#pragma once
// A small read-only table for the report tests: field definitions and rows given up front.
#include "tablestore/DsDataSet.h"

#include <QStringList>

namespace kvor::test {

class TTestTable : public TDataSet {
public:
    // Every field is a string unless its name says otherwise: "name:F" float, "name:D" date.
    explicit TTestTable(const QStringList& fields, QList<QVariantList> rows = {}) : m_rows(std::move(rows)) {
        for (int i = 0; i < fields.size(); ++i) {
            const QStringList parts = fields[i].split(u':');
            TFieldDef def;
            def.Name = parts[0];
            def.DataType = ftString;
            def.Size = 40;
            if (parts.size() > 1 && parts[1] == u"F") def.DataType = ftFloat, def.Size = 0;
            if (parts.size() > 1 && parts[1] == u"D") def.DataType = ftDate, def.Size = 0;
            def.FieldNo = i + 1;
            m_defs.append(def);
        }
    }

    void setRows(QList<QVariantList> rows) { m_rows = std::move(rows); }

    int RecNo() const override { return m_cur + 1; }
    int RecordCount() const override { return int(m_rows.size()); }
    TBookmark GetBookmark() const override { return m_cur < 0 ? TBookmark() : TBookmark::number(m_cur); }
    bool CanModify() const override { return false; }
    QVariant GetFieldValue(const TField& field) const override {
        if (m_cur < 0 || m_cur >= m_rows.size()) return {};
        const QVariantList& row = m_rows[m_cur];
        return field.Index() < row.size() ? row[field.Index()] : QVariant();
    }

protected:
    void InternalOpen() override {
        FieldDefs() = m_defs;
        m_cur = -1;
    }
    void InternalClose() override { m_cur = -1; }
    bool InternalFirst() override { return move(0); }
    bool InternalLast() override { return move(int(m_rows.size()) - 1); }
    bool InternalNext() override { return move(m_cur + 1); }
    bool InternalPrior() override { return move(m_cur - 1); }
    bool InternalGotoBookmark(const TBookmark& b) override { return move(b.toInt()); }
    bool InternalHasRecord() const override { return m_cur >= 0 && m_cur < m_rows.size(); }
    void InternalInitRecord(bool) override {}
    void InternalEdit() override {}
    void InternalPost() override {}
    void InternalCancel() override {}
    void InternalDelete() override {}
    void SetFieldValueInternal(const TField&, const QVariant&) override {}

private:
    bool move(int to) {
        if (to < 0 || to >= m_rows.size()) return false;
        m_cur = to;
        return true;
    }

    TFieldDefs m_defs;
    QList<QVariantList> m_rows;
    int m_cur = -1;
};

} // namespace kvor::test
