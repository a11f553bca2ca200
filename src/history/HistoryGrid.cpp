#include "history/HistoryGrid.h"

#include "server/ZQuery.h"
#include "widgets/DataSource.h"
#include "widgets/ErrorBox.h"

#include <QHeaderView>

namespace kvor {

THistoryGridModel::THistoryGridModel(TZQuery* query, QList<THistoryColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_query(query), m_source(new TDataSource(query, this)),
      m_columns(std::move(columns)) {
    // Opening and closing re-create the result and its fields; other changes only move the record.
    connect(m_source, &TDataSource::stateChanged, this, [this](TDataSetState) { reset(); });
    auto followRecord = [this] {
        if (!m_moving) emit currentRowChanged(CurrentRow());
    };
    connect(m_source, &TDataSource::dataSetChanged, this, followRecord);
    connect(m_source, &TDataSource::scrolled, this, followRecord);
    reset();
}

void THistoryGridModel::reset() {
    beginResetModel();
    m_fields.clear();
    m_rows = 0;
    if (m_query && m_query->Active()) {
        for (const THistoryColumn& column : m_columns)
            m_fields << m_query->FindField(column.Field);
        m_rows = m_query->RecordCount();
    }
    endResetModel();
    emit currentRowChanged(CurrentRow());
}

int THistoryGridModel::CurrentRow() const {
    if (!m_query || !m_query->Active() || m_query->IsEmpty()) return -1;
    return m_query->RecNo() - 1;
}

void THistoryGridModel::SetCurrentRow(int row) {
    if (!m_query || !m_query->Active() || row < 0 || row >= m_rows) return;
    const int distance = row - CurrentRow();
    if (distance == 0) return;
    m_moving = true;
    runGuarded([&] { m_query->MoveBy(distance); });
    m_moving = false;
}

int THistoryGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int THistoryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant THistoryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_fields.size()) return {};
    const TField* field = m_fields[index.column()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return field ? valueDisplayText(field->DataType(), m_query->ValueAt(index.row(), *field)) : QString();
    case Qt::TextAlignmentRole: {
        Qt::Alignment align = m_columns[index.column()].ValueAlign;
        if (!align)
            align = field && (isIntegerType(field->DataType()) || isFloatType(field->DataType()))
                        ? Qt::AlignRight
                        : Qt::AlignLeft;
        return int(align | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant THistoryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) return {};
    const THistoryColumn& column = m_columns[section];
    if (role == Qt::DisplayRole) return column.Title.isEmpty() ? column.Field : column.Title;
    if (role == Qt::TextAlignmentRole) return int(column.TitleAlign | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags THistoryGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---------------------------------------------------------------------------------------------

THistoryGrid::THistoryGrid(THistoryGridModel* model, QWidget* parent) : QTableView(parent), m_model(model) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Every row is one line high: the view need not measure rows it does not show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    // The narrow columns (request type, unit) are narrower than the style's least section.
    horizontalHeader()->setMinimumSectionSize(8);
    setModel(model);
    for (int i = 0; i < model->Columns().size(); ++i)
        setColumnWidth(i, model->Columns()[i].Width);
    connect(model, &THistoryGridModel::currentRowChanged, this, &THistoryGrid::showCurrentRow);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_following && current.isValid()) m_model->SetCurrentRow(current.row());
            });
    showCurrentRow(model->CurrentRow());
}

void THistoryGrid::showCurrentRow(int row) {
    m_following = true;
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
    } else {
        const QModelIndex index = m_model->index(row, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(index,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_following = false;
}

} // namespace kvor
