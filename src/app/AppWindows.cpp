#include "app/AppWindows.h"

#include "widgets/Fonts.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kvor {

namespace {
DialogAnswerer& dialogAnswerer() {
    static DialogAnswerer answerer;
    return answerer;
}
} // namespace

int execDialog(QDialog& dialog) {
    if (DialogAnswerer& answerer = dialogAnswerer()) {
        dialog.show();
        QCoreApplication::processEvents();
        const int result = answerer(dialog);
        dialog.hide();
        return result;
    }
    return dialog.exec();
}

void setDialogAnswerer(DialogAnswerer answerer) {
    dialogAnswerer() = std::move(answerer);
}

DialogAnswerScope::DialogAnswerScope(DialogAnswerer answerer) : m_previous(dialogAnswerer()) {
    dialogAnswerer() = std::move(answerer);
}

DialogAnswerScope::~DialogAnswerScope() {
    dialogAnswerer() = std::move(m_previous);
}

BusyCursor::BusyCursor() : m_active(true) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    restore();
}

void BusyCursor::restore() {
    if (!m_active) return;
    m_active = false;
    QGuiApplication::restoreOverrideCursor();
}

void centerOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Kvor Pro"));
    installFontSubstitutes();
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 8));
}

} // namespace kvor
