#pragma once
// The company identity settings window.
#include <QDialog>
#include <QList>

class QLineEdit;
class QPushButton;

namespace kvor {

class TIniFile;

class TFmozno : public QDialog {
    Q_OBJECT
public:
    explicit TFmozno(QWidget* parent = nullptr);

    // The section of the settings file that holds the identity; each key is a field's name and "_Text".
    static const QString Section;

    // Fills each field from its key; a missing key leaves the field's initial text.
    void LoadFrom(const TIniFile& ini);
    // Replaces the section with the twelve fields exactly as they stand.
    void StoreTo(TIniFile& ini) const;

    QLineEdit* Editpodnik;
    QLineEdit* EditCSO;
    QLineEdit* EditICO;
    QLineEdit* EditDIC;
    QLineEdit* Editnazev;
    QLineEdit* Editsidlo;
    QLineEdit* Editulice;
    QLineEdit* EditPSC;
    QLineEdit* Editposta;
    QLineEdit* EditTelefon;
    QLineEdit* EditFax;
    QLineEdit* EditEmail;
    QPushButton* ButtonOK;

    // The fields in the order in which they are stored.
    QList<QLineEdit*> Fields() const;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace kvor
