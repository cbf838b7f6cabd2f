#include "ui/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QStringList translationFolders() {
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.filePath(QStringLiteral("translations")),
            program.filePath(QStringLiteral("../share/ksr-utility/translations"))};
}

namespace {
// "de-DE" -> "de_DE", then "de": the names the .qm files carry.
QStringList fileNamesFor(const QString& uiLanguage) {
    QString name = uiLanguage;
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    QStringList names{name};
    // Chinese in Simplified script, however the system spells it.
    if (name.startsWith(QLatin1String("zh")) &&
        (name.contains(QLatin1String("Hans")) || name.endsWith(QLatin1String("_CN")) ||
         name.endsWith(QLatin1String("_SG")) || name == QLatin1String("zh")))
        names << QStringLiteral("zh_CN");
    while (name.contains(QLatin1Char('_'))) {
        name.truncate(name.lastIndexOf(QLatin1Char('_')));
        names << name;
    }
    return names;
}

struct Found {
    QString name;
    QString folder;
};

Found findTranslation(const QString& uiLanguage) {
    for (const QString& name : fileNamesFor(uiLanguage)) {
        for (const QString& folder : translationFolders()) {
            if (QFileInfo::exists(folder + QStringLiteral("/ksr-utility_") + name +
                                  QStringLiteral(".qm")))
                return {name, folder};
        }
    }
    return {};
}

void install(const QString& file, const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(file, folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
} // namespace

QString installTranslations() {
    for (const QString& uiLanguage : QLocale::system().uiLanguages()) {
        if (uiLanguage == QLatin1String("C") || uiLanguage.startsWith(QLatin1String("en")))
            return QStringLiteral("en");
        const Found found = findTranslation(uiLanguage);
        if (found.name.isEmpty())
            continue;
        install(QStringLiteral("ksr-utility_") + found.name, found.folder);
        install(QStringLiteral("qtbase_") + found.name,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        return found.name;
    }
    return QStringLiteral("en");
}
