#pragma once
// The search component of a grid: holds the dataset and the search settings, and opens the search
// window on one field of that dataset.
#include "tablestore/DsDataSet.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QDialog;

namespace kvor {

enum class TSearchKind {
    skNormal,   // typing a value, looked up at "převzít"
    skExtended, // opens with the list of values shown
    skContext,  // opens with the list shown and narrowed by any part of the typed text
};

// One searchable field named in the component's field collection.
struct TFieldItem {
    QString FieldName;
};

class TRaDBSearch : public QObject {
    Q_OBJECT
public:
    explicit TRaDBSearch(QObject* owner = nullptr) : QObject(owner) {}

    // The dataset to search; empty again when that dataset is destroyed.
    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* dataSet) { m_dataSet = dataSet; }
    TSearchKind SearchKind() const { return m_searchKind; }
    void SetSearchKind(TSearchKind kind) { m_searchKind = kind; }
    // The collection saved under the name "Fields": the fields offered; none means every searchable one.
    QList<TFieldItem>& Fields() { return m_fields; }
    const QList<TFieldItem>& Fields() const { return m_fields; }

    // Shows the search window on the field; true when it was closed with "převzít". Without a
    // dataset nothing is shown.
    bool Execute(const QString& fieldName);

    // How the window is shown modally; QDialog::exec unless the owner puts its own modal seam here.
    std::function<int(QDialog&)> ShowModal;

private:
    QPointer<TDataSet> m_dataSet;
    TSearchKind m_searchKind = TSearchKind::skNormal;
    QList<TFieldItem> m_fields;
};

} // namespace kvor
