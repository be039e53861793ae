#pragma once

#include <QString>

#include <stdexcept>

// A failure of the workbook reader, with the message the user sees.
class XBiffError : public std::runtime_error
{
public:
    explicit XBiffError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
