#pragma once
// Qt's own texts (the standard dialogs' titles, labels and buttons, the text
// boxes' context menus) in Japanese, like the rest of the interface, in every
// locale.

#include <QStringList>

class QCoreApplication;

namespace honura {

// Where Qt's Japanese translation is looked for, in order: Qt's translations
// folder (on Linux the distribution's file, which its updates keep current),
// then the copy a build may embed in the program (":/i18n/qtbase_ja.qm").
QStringList qtTranslationFiles();

// Installs the first of files that loads. Returns false, and leaves Qt's
// English texts, where none does.
bool loadQtTranslation(QCoreApplication& app, const QStringList& files = qtTranslationFiles());

} // namespace honura
