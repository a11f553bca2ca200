#include "widgets/DataSource.h"

#include "platform/EmptyDate.h"

namespace kvor {

QString fieldDisplayText(const TField* field) {
    return field ? valueDisplayText(field->DataType(), field->Value()) : QString();
}

QString valueDisplayText(TFieldType type, const QVariant& value) {
    if (!value.isValid()) return QString();
    switch (type) {
    case ftDate:
        if (isEmptyDate(value.toDate())) return QString();
        break;
    case ftDateTime:
    case ftTimeStamp:
        if (isEmptyDate(value.toDateTime()) && value.toDateTime().time() == QTime(0, 0)) return QString();
        break;
    default:
        break;
    }
    return variantToText(value);
}

TDataSource::TDataSource(TDataSet* dataSet, QObject* parent) : QObject(parent) {
    SetDataSet(dataSet);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (m_dataSet == dataSet) return;
    if (m_dataSet) {
        disconnect(m_connection);
        disconnect(m_destroyed);
    }
    m_dataSet = dataSet;
    if (m_dataSet) {
        m_connection = connect(m_dataSet, &TDataSet::dataEvent, this, &TDataSource::onDataEvent);
        // A dataset that goes before its controls leaves them empty, not dangling.
        m_destroyed = connect(m_dataSet, &QObject::destroyed, this, [this] {
            emit stateChanged(TDataSetState::dsInactive);
            emit dataSetChanged();
        });
    }
    emit stateChanged(State());
    emit dataSetChanged();
}

TDataSetState TDataSource::State() const {
    return m_dataSet ? m_dataSet->State() : TDataSetState::dsInactive;
}

bool TDataSource::Active() const {
    return m_dataSet && m_dataSet->Active();
}

bool TDataSource::Editing() const {
    TDataSetState state = State();
    return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

TField* TDataSource::Field(const QString& name) const {
    if (!Active() || name.isEmpty()) return nullptr;
    return m_dataSet->FindField(name);
}

bool TDataSource::Edit() {
    if (Editing()) return true;
    if (!m_autoEdit || State() != TDataSetState::dsBrowse) return false;
    m_dataSet->Edit();
    return Editing();
}

void TDataSource::onDataEvent(TDataEvent event, TField* field) {
    switch (event) {
    case TDataEvent::FieldChange:
        emit recordChanged(field);
        break;
    case TDataEvent::RecordChange:
        emit recordChanged(nullptr);
        break;
    case TDataEvent::DataSetChange:
        emit dataSetChanged();
        break;
    case TDataEvent::DataSetScroll:
        emit scrolled();
        break;
    case TDataEvent::UpdateState:
        emit stateChanged(State());
        break;
    }
}

// ---------------------------------------------------------------------------------------------

TFieldDataLink::TFieldDataLink(QObject* parent) : QObject(parent) {}

void TFieldDataLink::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (m_source) {
        m_connections << connect(m_source, &TDataSource::dataSetChanged, this,
                                 &TFieldDataLink::forwardRefresh)
                      << connect(m_source, &TDataSource::scrolled, this, &TFieldDataLink::forwardRefresh)
                      << connect(m_source, &TDataSource::recordChanged, this,
                                 &TFieldDataLink::onRecordChanged)
                      << connect(m_source, &TDataSource::stateChanged, this, &TFieldDataLink::stateChanged)
                      << connect(m_source, &QObject::destroyed, this, [this] {
                             m_connections.clear();
                             emit stateChanged();
                             emit refresh();
                         });
    }
    emit stateChanged();
    emit refresh();
}

void TFieldDataLink::SetFieldName(const QString& name) {
    if (m_fieldName == name) return;
    m_fieldName = name;
    emit stateChanged();
    emit refresh();
}

TField* TFieldDataLink::Field() const {
    return m_source ? m_source->Field(m_fieldName) : nullptr;
}

bool TFieldDataLink::Editing() const {
    return m_source && m_source->Editing();
}

bool TFieldDataLink::CanModify() const {
    TField* field = Field();
    if (!field || field->ReadOnly()) return false;
    if (m_source->Editing()) return true;
    return m_source->AutoEdit() && m_source->State() == TDataSetState::dsBrowse &&
           field->DataSet()->CanModify();
}

bool TFieldDataLink::Edit() {
    if (!m_source) return false;
    ++m_writing;
    struct Done {
        int& count;
        ~Done() { --count; }
    } done{m_writing};
    return m_source->Edit() && Field();
}

bool TFieldDataLink::Write(const QVariant& value) {
    if (!Edit()) return false;
    TField* field = Field();
    ++m_writing;
    struct Done {
        int& count;
        ~Done() { --count; }
    } done{m_writing};
    field->SetValue(value);
    return true;
}

void TFieldDataLink::onRecordChanged(TField* field) {
    if (field && field->FieldName().compare(m_fieldName, Qt::CaseInsensitive) != 0) return;
    forwardRefresh();
}

void TFieldDataLink::forwardRefresh() {
    if (m_writing > 0) return;
    emit refresh();
}

} // namespace kvor
