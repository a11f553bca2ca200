#pragma once
// The working window: a small always-on-top window with one centred line of text, shown while a
// long step runs on the user-interface thread.
//
//     TWorkingWindow working(QStringLiteral("Aktualizace číselníků ..."), this);
//     longStep();   // the window closes and is destroyed when `working` goes out of scope
#include <QDialog>
#include <QPointer>

class QLabel;

namespace kvor {

class Tpracuji : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 243;
    static constexpr int kClientHeight = 88;

    explicit Tpracuji(QWidget* parent = nullptr);
    ~Tpracuji() override;

    QLabel* Label1() const { return m_label; }
    QString Text() const;
    void SetText(const QString& text); // a carriage return starts a new line

    // Stays on top, shows without being modal, comes to the front and lets pending window
    // messages run once, so that it is drawn before the caller's long step begins.
    void ShowOnTop();

protected:
    // The window has no title text: the window system gets an empty title, not the program's name.
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_label;
};

// Owns a working window for the length of a step: creates it with the text, shows it on top, and
// closes and destroys it at the end of the scope (unless its parent window went first).
class TWorkingWindow {
public:
    explicit TWorkingWindow(const QString& text, QWidget* parent = nullptr);
    ~TWorkingWindow();
    TWorkingWindow(const TWorkingWindow&) = delete;
    TWorkingWindow& operator=(const TWorkingWindow&) = delete;

    Tpracuji* window() const { return m_window; }
    Tpracuji* operator->() const { return m_window; }

private:
    QPointer<Tpracuji> m_window;
};

} // namespace kvor
