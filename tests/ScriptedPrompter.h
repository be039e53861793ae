#pragma once

#include "common/Prompter.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// A Prompter for tests: answers come from queues filled beforehand, and every text shown is
// recorded. A question with no queued answer is answered Cancel (or an empty file name) and
// noted in `unanswered`, so a test can tell an unexpected question from an expected one.
class ScriptedPrompter : public Prompter
{
public:
    struct Question
    {
        QString text;
        QString caption;
    };
    struct FileQuestion
    {
        QString filter;
        QString defaultSuffix;
        QString title;
        QString defaultName; // save dialogs: the proposed file name
    };

    QQueue<bool> confirmAnswers;
    QQueue<QString> openAnswers;
    QQueue<QString> saveAnswers;
    QQueue<QString> textAnswers; // askText; an empty queue cancels

    QStringList messages;
    QStringList errors;
    QList<Question> questions;
    QList<FileQuestion> openQuestions;
    QList<FileQuestion> saveQuestions;
    QList<Question> textQuestions; // askText: prompt and caption
    QStringList textPresets;
    QStringList unanswered;
    QStringList startFolders; // setStartFolder, in order

    void showMessage(const QString& text) override { messages << text; }
    void showError(const QString& text) override { errors << text; }

    bool confirm(const QString& text, const QString& caption = QString()) override
    {
        questions << Question{text, caption};
        if (confirmAnswers.isEmpty()) {
            unanswered << text;
            return false;
        }
        return confirmAnswers.dequeue();
    }

    QString openFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString()) override
    {
        openQuestions << FileQuestion{filter, defaultSuffix, title, QString()};
        return next(openAnswers, QStringLiteral("open file"));
    }

    QString saveFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString(),
                         const QString& defaultName = QString()) override
    {
        saveQuestions << FileQuestion{filter, defaultSuffix, title, defaultName};
        return next(saveAnswers, QStringLiteral("save file"));
    }

    void setStartFolder(const QString& folder) override { startFolders << folder; }

    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& preset) override
    {
        textQuestions << Question{prompt, caption};
        textPresets << preset;
        if (textAnswers.isEmpty())
            return std::nullopt;
        return textAnswers.dequeue();
    }

    // The first line of each question ("1～3 を印刷します" without the printer and paper).
    QStringList questionFirstLines() const
    {
        QStringList lines;
        for (const Question& q : questions)
            lines << q.text.section(u'\n', 0, 0);
        return lines;
    }

    QStringList questionTexts() const
    {
        QStringList texts;
        for (const Question& q : questions)
            texts << q.text;
        return texts;
    }

private:
    QString next(QQueue<QString>& answers, const QString& what)
    {
        if (answers.isEmpty()) {
            unanswered << what;
            return QString();
        }
        return answers.dequeue();
    }
};
