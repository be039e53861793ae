#pragma once

#include <QString>

#include <optional>

// Every question and notice to the user goes through one Prompter: the application gives the
// real one (message boxes and file dialogs), tests give a scripted one.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // Information box with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // The application's error box for a failure that ended a command.
    virtual void showError(const QString& text) = 0;
    // OK/Cancel question; true for OK. An empty caption means the application title.
    virtual bool confirm(const QString& text, const QString& caption = QString()) = 0;
    // Open and save dialogs. `filter` is in the "Caption|*.A;*.B|Caption|*.C" form; the
    // patterns match in any letter case. An empty result means the user cancelled. The save
    // dialog asks before replacing an existing file and starts with `defaultName` as the
    // proposed file name.
    virtual QString openFileName(const QString& filter, const QString& defaultSuffix,
                                 const QString& title = QString()) = 0;
    virtual QString saveFileName(const QString& filter, const QString& defaultSuffix,
                                 const QString& title = QString(),
                                 const QString& defaultName = QString()) = 0;
    // The folder the next open or save dialog starts in.
    virtual void setStartFolder(const QString& folder) { Q_UNUSED(folder); }
    // One line of text, the answer starting as `preset`; nothing when the user cancels.
    virtual std::optional<QString> askText(const QString& caption, const QString& prompt,
                                           const QString& preset)
    {
        Q_UNUSED(caption);
        Q_UNUSED(prompt);
        Q_UNUSED(preset);
        return std::nullopt;
    }
};
