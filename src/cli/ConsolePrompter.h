#pragma once

#include "common/Prompter.h"

// The prompter of a command-line run: notices and errors go to standard error, questions are
// answered "Cancel" and dialogs are cancelled, since nobody is there to answer them.
class ConsolePrompter : public Prompter
{
public:
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = QString()) override;
    QString openFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString()) override;
    QString saveFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString(),
                         const QString& defaultName = QString()) override;
};
