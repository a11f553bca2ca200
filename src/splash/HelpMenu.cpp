#include "splash/HelpMenu.h"

#include "platform/Desktop.h"
#include "platform/SystemInfo.h"
#include "widgets/MessageBox.h"

#include <QMenu>

namespace kvor::help {

QString aboutText(const QString& version) {
    return QStringLiteral("Verze ") + version;
}

void openHelpDocument(const QString& fileName) {
    (void)desktop::openDocument(fileName);
}

void showAbout(QWidget* owner) {
    TMessageBox box(owner);
    box.Ask(aboutText(sys::programVersion()), TMsgIcon::Information, {QStringLiteral("OK")});
}

void fillHelpMenu(QMenu* menu, QWidget* owner) {
    struct Item {
        const char* name;
        QString text;
        QString document; // empty: the About box
    };
    const Item items[] = {
        {"Popisprogramu1", QStringLiteral("Popis programu"), kManual},
        {"Posledni1", QStringLiteral("Poslední změny"), kChanges},
        {nullptr, QString(), QString()},
        {"Licence1", QStringLiteral("Licenční ujednání"), kLicence},
        {"Oprogramu1", QStringLiteral("O programu"), QString()},
    };
    for (const Item& item : items) {
        if (!item.name) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.text);
        action->setObjectName(QString::fromLatin1(item.name));
        const QString document = item.document;
        if (document.isEmpty())
            QObject::connect(action, &QAction::triggered, owner, [owner] { showAbout(owner); });
        else
            QObject::connect(action, &QAction::triggered, owner, [document] { openHelpDocument(document); });
    }
}

} // namespace kvor::help
