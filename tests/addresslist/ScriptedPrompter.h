#pragma once

#include "common/Prompter.h"

#include <QStringList>

// Answers the program's questions from a script and records what the user would have seen.
class ScriptedPrompter : public Prompter
{
public:
    QStringList messages;
    QStringList errors;
    QStringList fileNames;    // answers of the open and save dialogs, in order ("" cancels)
    QStringList filters;      // the filters the dialogs were opened with
    QStringList defaultNames; // the names the save dialogs proposed

    void showMessage(const QString& text) override { messages << text; }
    void showError(const QString& text) override { errors << text; }
    bool confirm(const QString&, const QString&) override { return true; }
    QString openFileName(const QString& filter, const QString&, const QString&) override
    {
        filters << filter;
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    QString saveFileName(const QString& filter, const QString&, const QString&,
                         const QString& defaultName) override
    {
        filters << filter;
        defaultNames << defaultName;
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
};
