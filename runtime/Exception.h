#pragma once
// The error type of the program: every failure that reaches the user is one of
// these, carrying the message that the error box shows.

#include <QByteArray>
#include <QString>
#include <exception>

namespace dm {

class Exception : public std::exception
{
public:
    explicit Exception(QString message);
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Kinds that callers may want to tell apart.
class EConvertError : public Exception { using Exception::Exception; };
class EFOpenError : public Exception { using Exception::Exception; };
class EFCreateError : public Exception { using Exception::Exception; };
class EReadError : public Exception { using Exception::Exception; };
class EWriteError : public Exception { using Exception::Exception; };

} // namespace dm
