#pragma once

#include "common/Prompter.h"

// Writes "tayori-cli: SUBJECT: message" and a line end to standard error, the way command
// line tools name what went wrong; without a subject "tayori-cli: message".
void ReportError(const QString& subject, const QString& message);

// The prompter of a command-line run: notices and errors go to standard error, named after
// `subject` (the list file), questions are answered "Cancel" and dialogs are cancelled, since
// nobody is there to answer them.
class ConsolePrompter : public Prompter
{
public:
    explicit ConsolePrompter(const QString& subject = QString()) : m_subject(subject) {}
    void setSubject(const QString& subject) { m_subject = subject; }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = QString()) override;
    QString openFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString()) override;
    QString saveFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString(),
                         const QString& defaultName = QString()) override;

private:
    QString m_subject;
};
