#pragma once
// The help menu: documents installed beside the program, handed to the desktop, and the About box.
#include <QString>

class QMenu;
class QWidget;

namespace kvor::help {

// The documents of the menu, opened by bare file name from the program folder (the current folder).
inline const QString kManual = QStringLiteral("zadosti.pdf");
inline const QString kChanges = QStringLiteral("popis.txt");
inline const QString kLicence = QStringLiteral("licence.txt");

// "Verze " and the program version (with a blank, unlike the splash's version line).
QString aboutText(const QString& version);

// Hands the document to the desktop and returns at once; a missing file or no viewer is not reported.
void openHelpDocument(const QString& fileName);

// The About box: the standard message box with the information icon and one button "OK".
void showAbout(QWidget* owner);

// Fills the menu with "Popis programu", "Poslední změny", a separator, "Licenční ujednání" and
// "O programu", in this order, with their actions; owner is the About box's owner.
void fillHelpMenu(QMenu* menu, QWidget* owner);

} // namespace kvor::help
