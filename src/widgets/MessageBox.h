#pragma once
// The message box of the program (the main window's `dotaz`, and one of the same kind in other
// windows): a modal window titled "Trivan05" with one text, an icon and one to three buttons,
// answering with the number of the pressed button.
//
//     dotaz.Ask("Opravdu vymazat vše na této žádosti?", TMsgIcon::Question, {"OK", "Zpět"}) == 1
//
// Every use sets the text, the buttons and the icon anew, so Ask takes them all. A carriage
// return in the text starts a new line.
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QPushButton;

namespace kvor {

enum class TMsgIcon { Warning, Stop, Information, Question };

// What a use of the box asks; the answerer seam receives it.
struct TMsgBoxQuestion {
    QString Caption;
    QString Text; // as given, carriage returns included
    TMsgIcon Icon = TMsgIcon::Information;
    QStringList Buttons;
};

class TMessageBox {
public:
    static constexpr int kMaxButtons = 3;
    // Closing the window by its frame answers like the second button.
    static constexpr int kClosedResult = 2;

    explicit TMessageBox(QWidget* owner = nullptr);

    QWidget* Owner() const { return m_owner; }
    void SetOwner(QWidget* owner) { m_owner = owner; }

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }
    TMsgIcon Icon() const { return m_icon; }
    void SetIcon(TMsgIcon icon) { m_icon = icon; }
    const QStringList& Buttons() const { return m_buttons; }
    // One to three captions, left to right; more than three raise std::invalid_argument, none gives "OK".
    void SetButtons(const QStringList& captions);

    // Shows the box modally and returns the number of the pressed button (1 to 3), or 2 when it
    // was closed by its frame or by Escape.
    int Execute();
    int Ask(const QString& text, TMsgIcon icon, const QStringList& buttons);

    // Tests answer the box: while an answerer is set, Execute calls it instead of showing a window
    // and returns its answer.
    using Answerer = std::function<int(const TMsgBoxQuestion&)>;
    static void SetAnswerer(Answerer answerer);
    static const Answerer& answerer();

private:
    QPointer<QWidget> m_owner;
    QString m_caption = QStringLiteral("Trivan05");
    QString m_text;
    TMsgIcon m_icon = TMsgIcon::Information;
    QStringList m_buttons{QStringLiteral("OK")};
};

// Sets an answerer for the lifetime of the scope and puts the previous one back afterwards.
class TMsgBoxAnswerScope {
public:
    explicit TMsgBoxAnswerScope(TMessageBox::Answerer answerer);
    ~TMsgBoxAnswerScope();
    TMsgBoxAnswerScope(const TMsgBoxAnswerScope&) = delete;
    TMsgBoxAnswerScope& operator=(const TMsgBoxAnswerScope&) = delete;

private:
    TMessageBox::Answerer m_previous;
};

// The window itself; TMessageBox creates one per use.
class TMessageBoxWindow : public QDialog {
    Q_OBJECT
public:
    explicit TMessageBoxWindow(const TMsgBoxQuestion& question, QWidget* parent = nullptr);

    int ButtonCount() const { return int(m_buttons.size()); }
    QPushButton* Button(int number) const; // 1-based
    QString ShownText() const;

    void reject() override; // Escape and the frame's close button

protected:
    void showEvent(QShowEvent* event) override;

private:
    QList<QPushButton*> m_buttons;
    QLabel* m_textLabel = nullptr;
};

// Text as shown: every carriage return (alone or before a line feed) starts a new line.
QString messageLines(const QString& text);

} // namespace kvor
