#pragma once
// A failure of the application shell that the command guard shows to the user as it stands.
#include <QByteArray>
#include <QString>
#include <exception>

namespace kvor {

class EAppError : public std::exception {
public:
    explicit EAppError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace kvor
