#pragma once
// The update run of the main window (Akt_prg): the working window while the check runs, the
// messages of its result, and the hand-off to the installer of a newer build.
#include <QChar>
#include <QString>
#include <optional>

class QWidget;

namespace kvor {

class TMessageBox;

class TUpdateRun {
public:
    enum Mode { Startup = 0, Menu = 1 }; // at start-up only a newer build is reported

    static QString workingText() { return QStringLiteral("Trivan05 - kontrola nové verze"); }
    static QString failedText() { return QStringLiteral("Chyba připojení."); }
    static QString currentText() { return QStringLiteral("Není nová verze."); }
    static QString installQuestion() {
        return QStringLiteral("Nová verze programu Kvor.\rChcete instalovat?");
    }
    static QString installButton() { return QStringLiteral("Instalovat"); }
    static QString postponeButton() { return QStringLiteral("Odložit"); }

    // The owner is the main window: closing it, or a request to end the program, ends the wait.
    TUpdateRun(TMessageBox& dotaz, QWidget* owner);

    // Runs the check and reports it after the mode. True when the user chose to install: the
    // installer has been started and the program has to end. A version file without a second line
    // raises EUpdateError after the working window has closed.
    bool Execute(int mode);

    // The last check's result ('A', 'N', 'E'), empty before one ran or when it raised.
    QChar Result() const { return m_result; }

    // The address the connections are made from; unset: the first IPv4 address of the host name.
    std::optional<QString> LocalAddress;

private:
    bool handOff(const QString& drive);

    TMessageBox& m_dotaz;
    QWidget* m_owner;
    QChar m_result;
};

} // namespace kvor
