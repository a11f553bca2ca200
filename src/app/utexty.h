#pragma once
// The saved-texts window: the list of one field's saved texts, to pick from and to edit.
#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace kvor {

class TftextUloz : public QDialog {
    Q_OBJECT
public:
    explicit TftextUloz(QWidget* parent = nullptr);

    static constexpr int ClosedHeight = 262; // entry line out of sight
    static constexpr int OpenHeight = 348;   // entry line and its buttons shown

    void SetTexts(const QStringList& texts);
    QStringList Texts() const;
    // The selected row's text; false when no row is selected.
    bool SelectedText(QString* text) const;

    QListWidget* ListBox1;
    QPushButton* ButtonPlus;
    QPushButton* ButtonMinus;
    QPushButton* ButtonOK;
    QLineEdit* Edit1;
    QPushButton* ButtonZapsat;
    QPushButton* ButtonZpet;

    void PlusClick();
    void MinusClick();
    void ZapsatClick();
    void ZpetClick();
    void OKClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kvor
