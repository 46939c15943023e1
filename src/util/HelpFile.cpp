#include "util/HelpFile.h"

#include "base/ProgramInfo.h"
#include "platform/Paths.h"
#include "util/MsgBox.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <array>
#include <filesystem>

namespace zdr::util::ui {

namespace {

HelpOpener& opener()
{
    static HelpOpener instance;
    return instance;
}

std::string& folderOverride()
{
    static std::string folder;
    return folder;
}

} // namespace

std::span<const char* const> helpTopics()
{
    static constexpr std::array<const char*, 5> topics = {
        helpTopic::kMainWindow, helpTopic::kParameter, helpTopic::kProgress, helpTopic::kProtocol, helpTopic::kAbout};
    return topics;
}

std::string helpFilePath()
{
    if (!folderOverride().empty())
        return platform::joinPath(folderOverride(), base::kHelpFileName);
    const std::string beside = platform::joinPath(platform::programFolder(), base::kHelpFileName);
    if (platform::pathExists(beside))
        return beside; // the build's bin folder
    // Installed, the guide is architecture-independent and lives under share/.
    const std::filesystem::path shared =
        std::filesystem::path(platform::programFolder()) / ZDR_HELP_FROM_PROGRAM / "index.html";
    return platform::pathExists(shared.string()) ? shared.lexically_normal().string() : beside;
}

namespace {

// Whether a file of the guide can reach a browser: xdg-open, and a program
// for web pages that it would start. Without one xdg-open fails after the
// program has let go of it, and F1 would seem to do nothing.
bool browserAvailable()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (query.waitForFinished(3000) && !query.readAllStandardOutput().trimmed().isEmpty())
        return true;
    for (const char* browser : {"x-www-browser", "sensible-browser", "firefox", "firefox-esr", "chromium",
                                "google-chrome", "epiphany", "konqueror", "falkon", "midori"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty())
            return true;
    return false;
}

} // namespace

void openHelpFile(QWidget* owner, const char* topic)
{
    const std::string path = helpFilePath();
    if (!platform::pathExists(path)) {
        msgBox(owner, "Die Hilfedatei '" + path + "' wurde nicht gefunden.", Buttons::Ok, Icon::Information);
        return;
    }
    bool opened = false;
    if (opener()) {
        opened = opener()(topic ? path + "#" + topic : path);
    } else if (!browserAvailable()) {
        msgBox(owner, "Es ist kein Browser eingerichtet, der die Hilfe zeigen kann. Die Hilfe liegt in:\r\n" + path,
               Buttons::Ok, Icon::Information);
        return;
    } else {
        QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        if (topic)
            url.setFragment(QString::fromUtf8(topic));
        opened = QDesktopServices::openUrl(url);
    }
    if (!opened)
        msgBox(owner, "Die Hilfedatei '" + path + "' konnte nicht geöffnet werden.", Buttons::Ok, Icon::Information);
}

void openWebPage(const std::string& address)
{
    if (opener())
        opener()(address);
    else
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void setHelpOpener(HelpOpener opener_) { opener() = std::move(opener_); }

void setHelpFolder(std::string folder) { folderOverride() = std::move(folder); }

} // namespace zdr::util::ui
