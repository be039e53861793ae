#pragma once

#include <QString>

#include <stdexcept>

// A failure of the workbook reader, carrying the message shown to the user.
class XBiffError : public std::runtime_error
{
public:
    explicit XBiffError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    QString message() const { return m_message; }

    static QString openFailed() { return QStringLiteral("ﾌｧｲﾙを開くことに失敗しました"); }
    static QString unknownFormat() { return QStringLiteral("未知のフォーマット."); }
    static QString streamReadError() { return QStringLiteral("ストリーム読込みエラー."); }

private:
    QString m_message;
};
