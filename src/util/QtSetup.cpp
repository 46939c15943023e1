#include "util/QtSetup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTranslator>

namespace zdr::util::ui {

bool useGermanQtTexts()
{
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

std::string keepDialogHistoryOwn()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/zendor-darorazu");
    // Qt's dialogs write QSettings(UserScope, "QtProject"): the file is
    // "QtProject.conf" in the folder set here.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    return folder.toStdString();
}

} // namespace zdr::util::ui
