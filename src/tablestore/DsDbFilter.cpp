#include "tablestore/DsDbFilter.h"

namespace kvor {

int TDsDbFilter::FieldIndex(const QString& name) const {
    const TField* field = m_dataSet->FindField(name);
    return field ? field->Index() : -1;
}

TFieldType TDsDbFilter::FieldType(int index) const {
    return m_dataSet->Fields(index)->DataType();
}

QVariant TDsDbFilter::FieldValue(int index) const {
    return m_dataSet->Fields(index)->Value();
}

} // namespace kvor
