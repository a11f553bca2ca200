#pragma once
// A field definition in one call, for the tests that build tables field by field.
#include "tablestore/DsDataSet.h"

namespace fieldtest {

inline kvor::TFieldDef def(const QString& name, kvor::TFieldType type, int size = 0, bool readOnly = false) {
    kvor::TFieldDef d;
    d.Name = name;
    d.DataType = type;
    d.Size = size;
    d.ReadOnly = readOnly;
    return d;
}

} // namespace fieldtest
