#pragma once
// A grid over any dataset: columns are chosen fields with titles and widths, rows are the records
// in the dataset's order, and the current row is the dataset's current record.
//
// The model reads the records by walking the dataset (controls disabled, scroll events held
// back) and puts the cursor back where it was. It never walks a dataset that is being edited or
// that holds values set while browsing: moving would drop them. A walk after a change of the
// records is made once the change is over (from the event loop), so a burst of changes costs one.
#include "widgets/DataSource.h"

#include <QAbstractTableModel>
#include <QTableView>
#include <QTimer>

namespace kvor {

struct TGridColumn {
    QString FieldName;
    QString Title;  // empty: the field name
    int Width = 64; // pixels
    bool operator==(const TGridColumn&) const = default;
};

class TDataSetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataSetTableModel(QObject* parent = nullptr);
    // A model over the dataset through a data source of its own.
    explicit TDataSetTableModel(TDataSet* dataSet, QObject* parent = nullptr);

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const { return m_source ? m_source->DataSet() : nullptr; }

    // No columns chosen: every field, titled by its name.
    const QList<TGridColumn>& Columns() const { return m_columns; }
    void SetColumns(const QList<TGridColumn>& columns);
    void AddColumn(const QString& fieldName, const QString& title = QString(), int width = 64);
    QString ColumnFieldName(int column) const;
    int ColumnWidth(int column) const;

    // The row of the dataset's current record; -1 when there is none.
    int CurrentRow() const { return m_currentRow; }
    // Moves the dataset to the row's record (a click on the row). Failures are shown.
    void SetCurrentRow(int row);
    TBookmark RowBookmark(int row) const;

    // Reads the records now (when the dataset may be walked).
    void Reload();

    // A click on a column title: tells the owner, which may sort by it.
    void TitleClick(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void currentRowChanged(int row);
    void titleClicked(int column, const QString& fieldName);
    void columnsChanged();

private:
    struct Row {
        TBookmark Bookmark;
        QStringList Cells;
        bool operator==(const Row&) const = default;
    };

    void attach();
    void onDataSetChanged();
    void onScrolled();
    void onRecordChanged(kvor::TField* field);
    void onStateChanged(kvor::TDataSetState state);
    void scheduleReload();
    bool canWalk() const;
    QList<TField*> columnFields() const;
    QStringList readCells(const QList<TField*>& fields) const;
    void clearRows();
    void updateCurrentRow(bool force);
    void refreshCurrentRow();

    QPointer<TDataSource> m_source;
    bool m_ownsSource = false;
    QList<QMetaObject::Connection> m_connections;
    QList<TGridColumn> m_columns;
    QList<TGridColumn> m_autoColumns; // every field, when none are chosen
    QList<Row> m_rows;
    QList<bool> m_numeric; // per column: right-aligned
    QHash<TBookmark, int> m_rowOf;
    int m_currentRow = -1;
    bool m_loading = false;
    bool m_moving = false;
    bool m_reloadWanted = false;
    QTimer m_reloadTimer;
};

// A read-only grid showing a TDataSetTableModel: column widths from the model, the selected row
// following the dataset and moving it, title clicks and double clicks passed on.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    TDataSetTableModel* GridModel() const { return m_model; }
    void SetGridModel(TDataSetTableModel* model);

signals:
    void titleClicked(int column, const QString& fieldName);
    void rowDoubleClicked(int row);

private:
    void applyColumnWidths();
    void showCurrentRow(int row);

    QPointer<TDataSetTableModel> m_model;
    QList<QMetaObject::Connection> m_connections;
    bool m_following = false;
};

} // namespace kvor
