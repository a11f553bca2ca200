#pragma once
// The search window of a grid: find a record of a dataset by one field's value, typed or picked
// from the list of that field's values in the dataset's order.
#include "tablestore/DsDataSet.h"
#include "tablestore/search/RaDBSearch.h"

#include <QDialog>
#include <QList>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kvor {

class TSearchForm2 : public QDialog {
    Q_OBJECT
public:
    // Remembers the dataset's current record, offers the given fields (every searchable one when
    // none are given), selects the initial field and sets the modes the search kind asks for.
    TSearchForm2(TDataSet* dataSet, const QStringList& fieldNames, const QString& initialField,
                 TSearchKind kind, QWidget* owner);
    ~TSearchForm2() override;

    // Sizes of the three panels.
    static constexpr int kTopHeight = 60;
    static constexpr int kMiddleHeight = 165;
    static constexpr int kBottomHeight = 39;
    static constexpr int kMiddleBorder = 1;
    static constexpr int kClientWidth = 435;

    bool ListMode() const;
    bool SubstringMode() const;
    // The height of one line of the value list.
    int LineHeight() const;

    QComboBox* cbFields = nullptr;
    QLineEdit* edtemplate = nullptr;
    QListWidget* lbfindvalues = nullptr;
    QPushButton* btok = nullptr;
    QPushButton* btcancel = nullptr;
    QCheckBox* ckExtendedSearch = nullptr;
    QCheckBox* ckContext = nullptr;

public slots:
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // A stored value of the list: the field's text and the index of its record's bookmark.
    struct Value {
        QString Text;
        int Record;
    };

    void buildWindow(QWidget* owner);
    void chooseField();
    void fillValues();
    void filterList();
    void templateEdited(const QString& text);
    void lineChanged(int row);
    void listModeSwitched();
    void applyLayout();
    void selectLine(int row);
    void substringModeSwitched();
    void updateDefaultButton();
    void setTemplateQuietly(const QString& text);
    bool acceptsCharacter(QChar c) const;
    bool lookUp();

    QPointer<TDataSet> m_dataSet;
    TBookmark m_startRecord;
    TField* m_field = nullptr;
    QList<TField*> m_fields;
    QList<TBookmark> m_records;
    QList<Value> m_values;
    QWidget* m_top = nullptr;
    QWidget* m_middle = nullptr;
    QWidget* m_bottom = nullptr;
};

} // namespace kvor
