#pragma once
// What every window of the program shares: how modal windows are shown (one seam that tests
// answer), the busy cursor, centring.
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace kvor {

// Shows a modal window and returns its result. When an answerer is set (tests), the window is shown
// without a modal loop and the answerer acts on it instead of the user; its return value is the result.
using DialogAnswerer = std::function<int(QDialog& dialog)>;
int execDialog(QDialog& dialog);
void setDialogAnswerer(DialogAnswerer answerer);

// Sets an answerer for the lifetime of the scope and puts the previous one back afterwards.
class DialogAnswerScope {
public:
    explicit DialogAnswerScope(DialogAnswerer answerer);
    ~DialogAnswerScope();
    DialogAnswerScope(const DialogAnswerScope&) = delete;
    DialogAnswerScope& operator=(const DialogAnswerScope&) = delete;

private:
    DialogAnswerer m_previous;
};

// The busy cursor for the lifetime of the object.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void restore();

private:
    bool m_active;
};

void centerOnScreen(QWidget* window);

// The application's name, font substitutes and default font; the program calls it once the
// application object exists, and so do the tests that look at its windows. The name is not a
// display name: the window system would then add it to every title, and each window's title is
// exactly the text it sets.
void setUpApplication();

} // namespace kvor
