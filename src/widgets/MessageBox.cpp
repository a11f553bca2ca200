#include "widgets/MessageBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <stdexcept>

namespace kvor {

namespace {

TMessageBox::Answerer& answererSlot() {
    static TMessageBox::Answerer answerer;
    return answerer;
}

QStyle::StandardPixmap iconPixmap(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::Warning:
        return QStyle::SP_MessageBoxWarning;
    case TMsgIcon::Stop:
        return QStyle::SP_MessageBoxCritical;
    case TMsgIcon::Question:
        return QStyle::SP_MessageBoxQuestion;
    case TMsgIcon::Information:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

QString messageLines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

// ---------------------------------------------------------------------------------------------

TMessageBox::TMessageBox(QWidget* owner) : m_owner(owner) {}

void TMessageBox::SetButtons(const QStringList& captions) {
    if (captions.size() > kMaxButtons) throw std::invalid_argument("TMessageBox: more than three buttons");
    m_buttons = captions.isEmpty() ? QStringList{QStringLiteral("OK")} : captions;
}

int TMessageBox::Execute() {
    TMsgBoxQuestion question{m_caption, m_text, m_icon, m_buttons};
    if (const Answerer& answer = answererSlot()) return answer(question);
    TMessageBoxWindow window(question, m_owner);
    return window.exec();
}

int TMessageBox::Ask(const QString& text, TMsgIcon icon, const QStringList& buttons) {
    SetButtons(buttons);
    m_text = text;
    m_icon = icon;
    return Execute();
}

void TMessageBox::SetAnswerer(Answerer answerer) {
    answererSlot() = std::move(answerer);
}

const TMessageBox::Answerer& TMessageBox::answerer() {
    return answererSlot();
}

TMsgBoxAnswerScope::TMsgBoxAnswerScope(TMessageBox::Answerer answerer) : m_previous(answererSlot()) {
    answererSlot() = std::move(answerer);
}

TMsgBoxAnswerScope::~TMsgBoxAnswerScope() {
    answererSlot() = std::move(m_previous);
}

// ---------------------------------------------------------------------------------------------

TMessageBoxWindow::TMessageBoxWindow(const TMsgBoxQuestion& question, QWidget* parent) : QDialog(parent) {
    setWindowTitle(question.Caption);
    setModal(true);
    // A message box has nothing to resize and no help button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Icon"));
    int extent = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconPixmap(question.Icon), nullptr, this).pixmap(extent, extent));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_textLabel = new QLabel(messageLines(question.Text), this);
    m_textLabel->setObjectName(QStringLiteral("Text"));
    // The text may quote what the user typed; it is never markup.
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setTextInteractionFlags(Qt::NoTextInteraction);

    auto* message = new QHBoxLayout;
    message->setSpacing(16);
    message->addWidget(icon, 0, Qt::AlignTop);
    message->addWidget(m_textLabel, 1, Qt::AlignVCenter);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QStringList captions = question.Buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : question.Buttons;
    for (int i = 0; i < captions.size() && i < TMessageBox::kMaxButtons; ++i) {
        auto* button = new QPushButton(captions[i], this);
        int number = i + 1;
        button->setObjectName(QStringLiteral("Button%1").arg(number));
        button->setCursor(Qt::PointingHandCursor);
        button->setMinimumWidth(75);
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, number] { done(number); });
        row->addWidget(button);
        m_buttons << button;
    }
    row->addStretch(1);
    m_buttons.first()->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(16);
    layout->addLayout(message);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* TMessageBoxWindow::Button(int number) const {
    return number >= 1 && number <= m_buttons.size() ? m_buttons[number - 1] : nullptr;
}

QString TMessageBoxWindow::ShownText() const {
    return m_textLabel->text();
}

void TMessageBoxWindow::reject() {
    done(TMessageBox::kClosedResult);
}

void TMessageBoxWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, whatever window owns it.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_buttons.first()->setFocus(Qt::OtherFocusReason);
}

} // namespace kvor
