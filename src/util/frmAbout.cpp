#include "util/frmAbout.h"

#include "base/NumberFormat.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"
#include "util/MsgBox.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>

namespace zdr::util::ui {

namespace {

// System information programs of the common desktops, the first found wins.
constexpr const char* kSysInfoTools[] = {"hardinfo2", "hardinfo", "kinfocenter", "lshw-gtk", "xfce4-about"};

constexpr const char* kDisclaimer =
    "Hinweis: Dieses Programm ist urheberrechtlich geschützt und wird ohne Gewähr bereitgestellt. Für Datenverluste "
    "und Folgeschäden aus seiner Verwendung wird nicht gehaftet, soweit das Gesetz dies zulässt. Bitte prüfen Sie "
    "ein Projekt, bevor Sie es ausführen, und sichern Sie wichtige Daten, bevor Sie Dateien kopieren oder löschen.";

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* textLabel(const char* name, const char* designText, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(designText), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText); // the lines' leading blanks are part of them
    label->setWordWrap(true);
    return label;
}

CommandLabel* commandLabel(const char* name, const QString& caption, const char* tip, QWidget* parent)
{
    auto* label = new CommandLabel(QString::fromLatin1(name), caption, parent);
    label->setToolTip(QString::fromUtf8(tip));
    return label;
}

} // namespace

std::string versionNumberText(const base::Version& version)
{
    return base::formatNumber(version.major, "00") + "." + base::formatNumber(version.minor, "00") + "."
        + base::formatNumber(version.revision, "0000");
}

std::string findSystemInfoTool()
{
    for (const char* name : kSysInfoTools) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path.toStdString();
    }
    return {};
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Programm - Informationen"));

    auto* icon = picIcon_ = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QLabel* title = lblTitle_ = textLabel("lblTitle", "Anwendungstitel", this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    title->setFont(big);
    QLabel* description = lblDescription_ = textLabel("lblDescription", "Anwendungsbeschreibung", this);
    QLabel* disclaimer = lblDisclaimer_ = textLabel("lblDisclaimer", "", this);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* web = commandLabel("lblCmdZendorInternet", q(base::kProductWebPage),
                             "Internetseite der Firma Zendor GmbH öffnen.", this);
    auto* sysInfo = commandLabel("lblCmdSysInfo", QStringLiteral("&Systeminfo"),
                                 "Systeminformationen des Betriebssystems anzeigen.", this);
    auto* close = commandLabel("lblCmdClose", QStringLiteral("&Schließen"), "Fenster schlißen.", this);
    // A failed start of the browser is not worth a message.
    connect(web, &CommandLabel::command, this, [] { QDesktopServices::openUrl(QUrl(q(base::kProductWebPage))); });
    connect(sysInfo, &CommandLabel::command, this, &frmAbout::StartSysInfo);
    connect(close, &CommandLabel::command, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 3, 1);
    grid->addWidget(title, 0, 1);
    lblVersion_ = textLabel("lblVersion", "", this);
    grid->addWidget(lblVersion_, 1, 1);
    grid->addWidget(description, 2, 1);
    grid->addWidget(line, 3, 0, 1, 2);
    grid->addWidget(disclaimer, 4, 0, 1, 2);
    auto* commands = new QHBoxLayout;
    commands->addWidget(web);
    commands->addStretch(1);
    commands->addWidget(sysInfo);
    commands->addWidget(close);
    grid->addLayout(commands, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 380);
}

void frmAbout::sb_Form_Init(QWidget* caller)
{
    if (caller && !caller->windowIcon().isNull())
        setWindowIcon(caller->windowIcon());
    lblTitle_->setText(QStringLiteral("      Programm: ") + q(base::kProgramTitle));
    lblVersion_->setText(QStringLiteral("         Version: ") + q(versionNumberText(base::programVersion())));
    lblDescription_->setText(q(base::kProgramDescription));
    lblDisclaimer_->setText(QString::fromUtf8(kDisclaimer));
    const QIcon icon = windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : windowIcon();
    picIcon_->setPixmap(icon.pixmap(48, 48));

    sysInfoTool_ = findSystemInfoTool();
}

// Without a program the command stays pressable and says why nothing opens.
void frmAbout::StartSysInfo()
{
    if (sysInfoTool_.empty())
        sysInfoTool_ = findSystemInfoTool(); // installed since the box opened
    if (sysInfoTool_.empty() || !QProcess::startDetached(QString::fromStdString(sysInfoTool_), {}))
        msgBox(this, "Systeminformationsprogramm zur Zeit nicht verfügbar.");
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        openHelpFile(this, helpTopic::kAbout);
        return;
    }
    QDialog::keyPressEvent(event);
}

void showAbout(QWidget* owner)
{
    frmAbout about(owner);
    about.sb_Form_Init(owner);
    about.exec();
}

} // namespace zdr::util::ui
