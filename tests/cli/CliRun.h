#pragma once

#include <QProcess>
#include <QStringList>

// Runs tayori-cli with `args` and keeps what it wrote.
struct CliRun
{
    int exitCode = -1;
    QString out;
    QString errors;

    // Standard output as lines, without the empty one after the last line end.
    QStringList lines() const
    {
        QStringList result = out.split(u'\n');
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }
};

inline CliRun RunCli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(TAYORI_BINARY_DIR "/src/cli/tayori-cli"), args);
    CliRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}
