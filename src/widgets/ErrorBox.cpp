#include "widgets/ErrorBox.h"

#include "tablestore/DsConsts.h"

#include <QApplication>
#include <QMessageBox>

namespace kvor {

namespace {
TErrorReporter& reporterSlot() {
    static TErrorReporter reporter;
    return reporter;
}
} // namespace

QString errorText(const std::exception& error) {
    if (auto* own = dynamic_cast<const EKvorError*>(&error)) return own->message();
    return QString::fromUtf8(error.what());
}

void showErrorBox(const QString& text, QWidget* parent) {
    if (const TErrorReporter& reporter = reporterSlot()) {
        reporter(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    // Error texts can carry user input (a typed value, a file name): never let it be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool runGuarded(const std::function<void()>& command, QWidget* parent) {
    QString failure;
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        failure = errorText(error);
    } catch (...) {
        failure = QStringLiteral("Neznámá chyba.");
    }
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    showErrorBox(failure, parent);
    return false;
}

void setErrorReporter(TErrorReporter reporter) {
    reporterSlot() = std::move(reporter);
}

const TErrorReporter& errorReporter() {
    return reporterSlot();
}

TErrorReporterScope::TErrorReporterScope(TErrorReporter reporter) : m_previous(reporterSlot()) {
    reporterSlot() = std::move(reporter);
}

TErrorReporterScope::~TErrorReporterScope() {
    reporterSlot() = std::move(m_previous);
}

} // namespace kvor
