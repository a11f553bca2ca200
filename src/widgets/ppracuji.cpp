#include "widgets/ppracuji.h"

#include "platform/WindowTitle.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace kvor {

Tpracuji::Tpracuji(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("pracuji"));
    // A frame without title text and without a close button: the step it stands for cannot be
    // interrupted, and it must not stay behind when the step ends.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QString());
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_label);
}

Tpracuji::~Tpracuji() {
    if (isVisible()) close();
}

QString Tpracuji::Text() const {
    return m_label->text();
}

void Tpracuji::SetText(const QString& text) {
    m_label->setText(messageLines(text));
}

void Tpracuji::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown before the native window is mapped, so the window system never sees another title.
    sys::keepNativeTitleAsGiven(windowHandle());
}

void Tpracuji::ShowOnTop() {
    if (!(windowFlags() & Qt::WindowStaysOnTopHint)) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    repaint();
    QCoreApplication::processEvents();
}

TWorkingWindow::TWorkingWindow(const QString& text, QWidget* parent) : m_window(new Tpracuji(parent)) {
    m_window->SetText(text);
    m_window->ShowOnTop();
}

TWorkingWindow::~TWorkingWindow() {
    delete m_window.data();
}

} // namespace kvor
