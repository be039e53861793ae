#pragma once

class QCoreApplication;
class QTranslator;

namespace QtTranslations {

// Qt's own texts (file, print and message dialogs, their buttons) in the user's language:
// qtbase_<locale> from Qt's translations folder (Debian qt6-translations-l10n), Japanese when
// Qt has none for the locale, since the program itself speaks Japanese. Nothing when neither
// could be loaded; else the installed translator, owned by `app`.
QTranslator* install(QCoreApplication& app);

} // namespace QtTranslations
