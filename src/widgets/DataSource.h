#pragma once
// The binding between a dataset and the controls that show it. A TDataSource observes one
// TDataSet and passes its notifications on; each bound control keeps a TFieldDataLink that picks
// out its field, re-reads it when it changes and turns the user's first change into Edit plus a
// field assignment.
//
// Values that a rule writes while the dataset is browsing (a dBase table allows it) arrive as
// field changes and are shown at once; the state is left alone.
#include "tablestore/DsDataSet.h"

#include <QObject>
#include <QPointer>

namespace kvor {

// A field's value as bound controls and grids show it: null and the empty date as an empty text.
QString fieldDisplayText(const TField* field);
// The same for a value of a field of that type that is not the current record's.
QString valueDisplayText(TFieldType type, const QVariant& value);

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(TDataSet* dataSet = nullptr, QObject* parent = nullptr);

    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* dataSet);

    // Whether a user's change may start editing by itself (on by default). Off, controls change
    // fields only while the dataset is already being edited.
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }

    TDataSetState State() const;
    bool Active() const;
    bool Editing() const; // edit or insert

    // The field of that name in the open dataset; nullptr when closed or there is none.
    TField* Field(const QString& name) const;

    // A user is about to change a field: put the dataset into editing (AutoEdit), which runs its
    // AfterEdit. True when the dataset is now being edited; false when it is not and may not be.
    // Failures of the dataset (a read-only table) are raised.
    bool Edit();

signals:
    // The records or the whole current record changed (open, close, post, cancel, move, reload):
    // every bound control re-reads its field.
    void dataSetChanged();
    // One field of the current record changed (field given), or all of them (nullptr).
    void recordChanged(kvor::TField* field);
    void scrolled();
    void stateChanged(kvor::TDataSetState state);

private:
    void onDataEvent(kvor::TDataEvent event, kvor::TField* field);

    QPointer<TDataSet> m_dataSet;
    QMetaObject::Connection m_connection;
    QMetaObject::Connection m_destroyed;
    bool m_autoEdit = true;
};

// One control's view of one field.
class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit TFieldDataLink(QObject* parent = nullptr);

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    const QString& FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& name);

    // Looked up anew each time: a dataset re-creates its fields whenever it opens.
    TField* Field() const;
    bool Editing() const;
    // Whether a user's change could be taken: a field that is not read-only in a dataset that is
    // being edited, or that AutoEdit may put into editing.
    bool CanModify() const;

    // For the user's change: starts editing. Refreshes caused by it are not sent back to this
    // control, whose text already holds the change.
    bool Edit();
    // Edit plus the assignment; false when the dataset is not and may not be edited. Raises what
    // the dataset raises (EConvertError for a bad value).
    bool Write(const QVariant& value);

signals:
    // The field's value is to be shown again.
    void refresh();
    // The dataset opened, closed or changed state: whether the control is editable may differ.
    void stateChanged();

private:
    void onRecordChanged(kvor::TField* field);
    void forwardRefresh();

    QPointer<TDataSource> m_source;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_connections;
    int m_writing = 0;
};

} // namespace kvor
