#pragma once
// The crop certification numbers 4 to 10 of the current request, in a small modal window.
#include <QDialog>
#include <QList>

class QPushButton;

namespace kvor {

class TDataSource;
class TDBEdit;

class TFporost2 : public QDialog {
    Q_OBJECT
public:
    // The fields edit the request that the data source shows; a change puts it into editing.
    explicit TFporost2(TDataSource* request, QWidget* parent = nullptr);

    QList<TDBEdit*> Fields; // ROZ_P4 .. ROZ_P10
    QPushButton* ButtonOK;
};

} // namespace kvor
