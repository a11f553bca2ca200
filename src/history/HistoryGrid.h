#pragma once
// The grid of a history window. It reads the listing query's stored result in place: a row is
// fetched from the result only when the view paints it, so a listing of tens of thousands of
// requests shows at once and takes no second copy. The view's current row and the query's
// current record follow each other, so the bound detail fields show the row the user picked.
#include "history/HistoryKinds.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

namespace kvor {

class TDataSource;
class TField;
class TZQuery;

class THistoryGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    THistoryGridModel(TZQuery* query, QList<THistoryColumn> columns, QObject* parent = nullptr);

    TZQuery* Query() const { return m_query; }
    const QList<THistoryColumn>& Columns() const { return m_columns; }
    // The row of the query's current record; -1 when it has none.
    int CurrentRow() const;
    // Makes the row's record the query's current one.
    void SetCurrentRow(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void currentRowChanged(int row);

private:
    void reset();

    QPointer<TZQuery> m_query;
    TDataSource* m_source;
    QList<THistoryColumn> m_columns;
    QList<const TField*> m_fields; // per column; nullptr when the result has no such column
    int m_rows = 0;
    bool m_moving = false;
};

class THistoryGrid : public QTableView {
    Q_OBJECT
public:
    explicit THistoryGrid(THistoryGridModel* model, QWidget* parent = nullptr);
    THistoryGridModel* GridModel() const { return m_model; }

private:
    void showCurrentRow(int row);

    THistoryGridModel* m_model;
    bool m_following = false;
};

} // namespace kvor
