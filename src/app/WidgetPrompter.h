#pragma once

#include "common/Prompter.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

// The application's Prompter: message boxes and file dialogs over a parent window.
class WidgetPrompter : public Prompter
{
public:
    explicit WidgetPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text, const QString& caption = QString()) override;
    QString openFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString()) override;
    QString saveFileName(const QString& filter, const QString& defaultSuffix,
                         const QString& title = QString(),
                         const QString& defaultName = QString()) override;
    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& preset) override;
    void setStartFolder(const QString& folder) override { m_lastFolder = folder; }

    // "Caption|*.A;*.B|Caption|*.C" into the dialog's name filters, each pattern matching in
    // any letter case: "*.XLS" becomes "*.[xX][lL][sS]", and "*.*" every file.
    static QStringList nameFilters(const QString& filter);
    static QString anyCasePattern(const QString& pattern);

private:
    QString caption(const QString& caption) const;
    QString runFileDialog(bool save, const QString& filter, const QString& defaultSuffix,
                          const QString& title, const QString& defaultName = QString());

    QPointer<QWidget> m_parent;
    QString m_lastFolder;
};
