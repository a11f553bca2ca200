#pragma once
// The base of the program's own failures: a message for the user, in Czech or in the fixed text of
// its result code, shown as it stands by the command guard. what() gives the same text in UTF-8.
#include <QByteArray>
#include <QString>
#include <exception>

namespace kvor {

class EKvorError : public std::exception {
public:
    explicit EKvorError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace kvor
