#include "app/WidgetPrompter.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

QString WidgetPrompter::caption(const QString& caption) const
{
    return caption.isEmpty() ? QCoreApplication::applicationName() : caption;
}

void WidgetPrompter::showMessage(const QString& text)
{
    QMessageBox::information(m_parent, caption(QString()), text);
}

void WidgetPrompter::showError(const QString& text)
{
    QMessageBox::critical(m_parent, caption(QString()), text);
}

std::optional<QString> WidgetPrompter::askText(const QString& caption, const QString& prompt,
                                               const QString& preset)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, this->caption(caption), prompt,
                                                 QLineEdit::Normal, preset, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

bool WidgetPrompter::confirm(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, caption(title), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QString WidgetPrompter::openFileName(const QString& filter, const QString& defaultSuffix,
                                     const QString& title)
{
    return runFileDialog(false, filter, defaultSuffix, title);
}

QString WidgetPrompter::saveFileName(const QString& filter, const QString& defaultSuffix,
                                     const QString& title, const QString& defaultName)
{
    return runFileDialog(true, filter, defaultSuffix, title, defaultName);
}

QString WidgetPrompter::runFileDialog(bool save, const QString& filter,
                                      const QString& defaultSuffix, const QString& title,
                                      const QString& defaultName)
{
    QFileDialog dialog(m_parent, title, m_lastFolder);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The captions already name their patterns; the any-case forms would only clutter them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix);
    if (!defaultName.isEmpty())
        dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    QString path = dialog.selectedFiles().constFirst();
    // A name typed without an extension takes the chosen filter's, so that the file opens
    // again by its name.
    if (save && QFileInfo(path).suffix().isEmpty()) {
        // The dialog names the chosen filter by its caption alone (details hidden).
        const QStringList parts = filter.split(u'|');
        const QString chosen = dialog.selectedNameFilter();
        QString pattern;
        for (qsizetype i = 0; i + 1 < parts.size() && pattern.isEmpty(); i += 2)
            if (chosen == parts[i] || chosen.startsWith(parts[i] + QStringLiteral(" (")))
                pattern = parts[i + 1].section(u';', 0, 0).trimmed();
        const QString suffix =
            pattern.startsWith(QStringLiteral("*.")) ? pattern.mid(2) : QString();
        if (!suffix.isEmpty() && !suffix.contains(u'*') && !suffix.contains(u'?'))
            path += u'.' + suffix.toLower();
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

QStringList WidgetPrompter::nameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns << anyCasePattern(pattern.trimmed());
        result << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

QString WidgetPrompter::anyCasePattern(const QString& pattern)
{
    // "*.*" means every file, also one without an extension.
    if (pattern == u"*.*")
        return QStringLiteral("*");
    QString result;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower != upper)
            result += u'[' + lower + upper + u']';
        else
            result += c;
    }
    return result;
}
