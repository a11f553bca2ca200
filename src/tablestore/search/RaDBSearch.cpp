#include "tablestore/search/RaDBSearch.h"

#include "tablestore/search/SearchForm2.h"

#include <QWidget>

namespace kvor {

namespace {
// The nearest widget among the owners, whose window the search window belongs to.
QWidget* ownerWidget(QObject* owner) {
    for (QObject* o = owner; o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o)) return w;
    return nullptr;
}
} // namespace

bool TRaDBSearch::Execute(const QString& fieldName) {
    if (!m_dataSet) return false;
    QStringList names;
    for (const TFieldItem& item : m_fields)
        if (m_dataSet->FindField(item.FieldName)) names << item.FieldName;
    TSearchForm2 form(m_dataSet, names, fieldName, m_searchKind, ownerWidget(parent()));
    const int result = ShowModal ? ShowModal(form) : form.exec();
    return result == QDialog::Accepted;
}

} // namespace kvor
