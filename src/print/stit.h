#pragma once
// The label dialog TFstit: how many labels to print (1 to 6) and on which of the four positions
// of the sheet the first one goes. The four radio buttons stand like the labels on the sheet.
// The count and the window position are remembered in section "TFstit" of the settings file.
#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kvor {

class TFstit : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 306;
    static constexpr int kClientHeight = 247;

    // iniFile: the settings file; the count and position of the last use are restored from it.
    explicit TFstit(const QString& iniFile, QWidget* parent = nullptr);

    int labelCount() const;
    // 1 top left, 2 bottom left, 3 top right, 4 bottom right: the order the sheet is filled in.
    int startSlot() const;

    QLabel* Label1 = nullptr;
    QSpinBox* suiSpinEdit1 = nullptr;
    QGroupBox* suiRadioGroup1 = nullptr;
    QRadioButton* suiRadioButton1 = nullptr;
    QRadioButton* suiRadioButton2 = nullptr;
    QRadioButton* suiRadioButton3 = nullptr;
    QRadioButton* suiRadioButton4 = nullptr;
    QPushButton* suiButton1 = nullptr; // "Tisk"
    QPushButton* suiButton2 = nullptr; // "Zpět"

    // Writes the count and the position whichever way the dialog closes.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_iniFile;
    bool m_placed = false;
};

} // namespace kvor
