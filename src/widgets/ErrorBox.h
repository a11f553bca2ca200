#pragma once
// The standard error box and the guard that every user command runs through: no exception may
// cross the Qt event loop, so a failure ends the command, restores the cursor and shows its text.
#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace kvor {

// The text of a failure as the user sees it (a database error's message, or what()).
QString errorText(const std::exception& error);

// Shows the text in the standard error box (modal, stop icon, one button).
void showErrorBox(const QString& text, QWidget* parent = nullptr);

// Runs a command; a failure restores every override cursor, shows its text in the error box
// and returns false.
bool runGuarded(const std::function<void()>& command, QWidget* parent = nullptr);

// Tests take the error box's place: while a reporter is set, showErrorBox calls it instead of
// opening a window.
using TErrorReporter = std::function<void(const QString& text)>;
void setErrorReporter(TErrorReporter reporter);
const TErrorReporter& errorReporter();

// Sets a reporter for the lifetime of the scope and puts the previous one back afterwards.
class TErrorReporterScope {
public:
    explicit TErrorReporterScope(TErrorReporter reporter);
    ~TErrorReporterScope();
    TErrorReporterScope(const TErrorReporterScope&) = delete;
    TErrorReporterScope& operator=(const TErrorReporterScope&) = delete;

private:
    TErrorReporter m_previous;
};

} // namespace kvor
