#include "cli/ConsolePrompter.h"

#include <cstdio>

void ReportError(const QString& subject, const QString& message)
{
    QString line = QStringLiteral("tayori-cli: ");
    if (!subject.isEmpty())
        line += subject + QStringLiteral(": ");
    // One line per report: a message of several lines continues on the same one.
    line += QString(message).replace(u'\n', u' ') + u'\n';
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void ConsolePrompter::showMessage(const QString& text)
{
    ReportError(m_subject, text);
}

void ConsolePrompter::showError(const QString& text)
{
    ReportError(m_subject, text);
}

bool ConsolePrompter::confirm(const QString& text, const QString&)
{
    ReportError(m_subject, text);
    return false;
}

QString ConsolePrompter::openFileName(const QString&, const QString&, const QString&)
{
    return QString();
}

QString ConsolePrompter::saveFileName(const QString&, const QString&, const QString&,
                                      const QString&)
{
    return QString();
}
