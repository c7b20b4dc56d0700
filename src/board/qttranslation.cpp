#include "board/qttranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace honura {

QStringList qtTranslationFiles()
{
    const QString name = QStringLiteral("qtbase_ja.qm");
    return {QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(name),
            QStringLiteral(":/i18n/") + name};
}

bool loadQtTranslation(QCoreApplication& app, const QStringList& files)
{
    for (const QString& file : files) {
        auto* t = new QTranslator(&app);
        if (t->load(file)) {
            QCoreApplication::installTranslator(t);
            return true;
        }
        delete t;
    }
    return false;
}

} // namespace honura
