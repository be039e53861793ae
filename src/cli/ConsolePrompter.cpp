#include "cli/ConsolePrompter.h"

#include <cstdio>

namespace {
void toStandardError(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}
} // namespace

void ConsolePrompter::showMessage(const QString& text)
{
    toStandardError(text);
}

void ConsolePrompter::showError(const QString& text)
{
    toStandardError(text);
}

bool ConsolePrompter::confirm(const QString& text, const QString&)
{
    toStandardError(text);
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
