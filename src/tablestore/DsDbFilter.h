#pragma once
// The filter expression bound to a dataset's own fields: found by name among them and read through
// them, so it follows whatever record the dataset shows its fields (the memory table points them
// at the record under test while it filters).
#include "tablestore/DsDbParser.h"

namespace kvor {

class TDsDbFilter : public TDsExpression {
public:
    explicit TDsDbFilter(const TDataSet* dataSet) : m_dataSet(dataSet) {}

protected:
    int FieldIndex(const QString& name) const override;
    TFieldType FieldType(int index) const override;
    QVariant FieldValue(int index) const override;

private:
    const TDataSet* m_dataSet;
};

} // namespace kvor
