#include "mainwindow/frmParameter.h"

#include "base/ParameterCodes.h"
#include "project/Task.h"
#include "util/Caption.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"
#include "util/MsgBox.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace zdr::mainwindow {

using util::ui::Answer;
using util::ui::Buttons;
using util::ui::caption;
using util::ui::CommandLabel;
using util::ui::Icon;

namespace {

constexpr const char* kRenameInfo[] = {
    "- Platzhalter gegeben: [NAME] = Order oder Dateiname|[EXT] = Dateiendung",
    "[NAMETOTAL] = kompletter Datenname inkl. Dateiendung",
    "- Platzhalter dynamisch: [yy] = Jahr|[yyyy] = Jahr|[mm] = Monat|[dd] = Tag|[hh] = Stunde|[nn] = Minute|[ss] = "
    "Sekunde",
    "- Platzhalter Aufzählung: [000|x] ggf. führende Nullen angeben, für x, die Startzahl (erste Zahl, normalerweise "
    "1) angeben",
};

QString fromStd(const std::string& text) { return QString::fromStdString(text); }
std::string toStd(const QString& text) { return text.toStdString(); }

template <class Widget>
Widget* named(Widget* widget, const char* name, const char* tip = nullptr)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (tip)
        widget->setToolTip(QString::fromUtf8(tip));
    return widget;
}

QCheckBox* checkBox(const char* name, const char* text, QWidget* parent)
{
    return named(new QCheckBox(QString::fromUtf8(text), parent), name);
}

void setBit(std::uint32_t& flags, std::uint32_t bit, const QCheckBox* box)
{
    if (box->isChecked())
        flags |= bit;
}

} // namespace

frmParameter::frmParameter(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmParameter"));
    setModal(true);

    lblCaptionValue_ = named(new QLabel(this), "lblCaptionValue");
    lblCaptionValue_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblCaptionValue_->setWordWrap(true);
    lblCaptionValue_->setMargin(6);
    QFont bold = lblCaptionValue_->font();
    bold.setBold(true);
    lblCaptionValue_->setFont(bold);

    auto* store =
        new CommandLabel(QStringLiteral("lblCmdParameterSave"), QStringLiteral("Parameter  übernehmen"), this);
    store->setToolTip(QStringLiteral("Parameter speichern..."));
    auto* remove = new CommandLabel(QStringLiteral("lblCmdParameterDelete"), QStringLiteral("Parameter löschen"), this);
    remove->setToolTip(QStringLiteral("Parameter löschen..."));
    auto* close = new CommandLabel(QStringLiteral("lblCmdClose"), QStringLiteral("&Schließen"), this);
    connect(store, &CommandLabel::command, this, &frmParameter::sb_ParameterStore);
    connect(remove, &CommandLabel::command, this, &frmParameter::sb_ParameterDelete);
    connect(close, &CommandLabel::command, this, &QDialog::reject);
    auto* commands = new QHBoxLayout;
    commands->addWidget(store);
    commands->addWidget(remove);
    commands->addStretch();
    commands->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCaptionValue_);
    layout->addWidget(fraRenameAction_ = buildRenameFrame());
    layout->addWidget(fraNetConnectAction_ = buildNetConnectFrame());
    layout->addStretch();
    layout->addLayout(commands);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { util::ui::openHelpFile(this, util::ui::helpTopic::kParameter); });
    setMinimumWidth(560);
}

QGroupBox* frmParameter::buildRenameFrame()
{
    auto* frame = named(new QGroupBox(this), "fraRenameAction");
    chkRenameStatusSource_ = checkBox("chkRenameStatusSource", "Quelldaten umbenennen", frame);
    chkRenameStatusTarget_ = checkBox("chkRenameStatusTarget", "Zieldaten umbenennen", frame);
    chkRenameStatusFolder_ = checkBox("chkRenameStatusFolder", "Verzeichnisse umbenennen", frame);
    chkRenameStatusFiles_ = checkBox("chkRenameStatusFiles", "Dateien umbenennen", frame);
    chkRenameStatusFirstLevel_ = checkBox("chkRenameStatusFirstLevel", "nur auf erster Ebene umbenennen", frame);
    txtRenameCode_ = named(new QLineEdit(frame), "txtRenameCode",
                           "Neuer Name der Daten, mit Platzhaltern (z.B.: done [NAMETOTAL]).");
    auto* info = named(new QPlainTextEdit(frame), "txtRenameInfo");
    info->setReadOnly(true);
    QStringList lines;
    for (const char* line : kRenameInfo)
        lines << QString::fromUtf8(line);
    info->setPlainText(lines.join(QLatin1Char('\n')));
    info->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    info->setMaximumHeight(info->fontMetrics().lineSpacing() * 7);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(chkRenameStatusSource_, 0, 0);
    grid->addWidget(chkRenameStatusFolder_, 0, 1);
    grid->addWidget(chkRenameStatusTarget_, 1, 0);
    grid->addWidget(chkRenameStatusFiles_, 1, 1);
    grid->addWidget(chkRenameStatusFirstLevel_, 2, 0, 1, 2);
    auto* pattern = new QHBoxLayout;
    pattern->addWidget(caption("lblRenameCode", "Umbenennung in:", frame));
    pattern->addWidget(txtRenameCode_, 1);
    grid->addLayout(pattern, 3, 0, 1, 2);
    grid->addWidget(info, 4, 0, 1, 2);
    return frame;
}

QGroupBox* frmParameter::buildNetConnectFrame()
{
    auto* frame = named(new QGroupBox(this), "fraNetConnectAction");
    chkNetConnectStatusDelNetAfterAction_ = checkBox(
        "chkNetConnectStatusDelNetAfterAction", "Netzlaufwerk nach Herstellung und Aktion wieder entfernen", frame);
    txtNetConnectDriveLetter_ = named(new QLineEdit(frame), "txtNetConnectDriveLetter",
                                      "Lokaler Laufwerksbuchstabe mit Doppelpunkt (z.B.: Z:).");
    txtNetConnectDriveNet_ =
        named(new QLineEdit(frame), "txtNetConnectDriveNet", "Netzwerkfreigabe (z.B.: \\\\Server\\Freigabe).");
    txtNetConnectDriveUser_ = named(new QLineEdit(frame), "txtNetConnectDriveUser", "Benutzer für die Verbindung.");
    txtNetConnectDrivePwd_ = named(new QLineEdit(frame), "txtNetConnectDrivePwd", "Kennwort des Benutzers.");
    txtNetConnectDrivePwd_->setEchoMode(QLineEdit::Password);
    auto* note =
        caption("lblNetConnectInfo",
                "- Wenn eine Laufwerksverbindung besteht, so wird sie verwendet, ansonsten wird versucht dieses "
                "Laufwerk mit der Netzwerkfreigabe zu verbinden.",
                frame);
    note->setWordWrap(true);

    auto* form = new QFormLayout(frame);
    form->addRow(chkNetConnectStatusDelNetAfterAction_);
    form->addRow(caption("lblNetConnectDriveLetter", "Laufwerk (lokal):", frame), txtNetConnectDriveLetter_);
    form->addRow(caption("lblNetConnectDriveNet", "Netzwerkfreigabe (remote):", frame), txtNetConnectDriveNet_);
    form->addRow(caption("lblNetConnectDriveUser", "verbinden als Benutzer:", frame), txtNetConnectDriveUser_);
    form->addRow(caption("lblNetConnectDrivePwd", "Benutzer - Kennwort:", frame), txtNetConnectDrivePwd_);
    form->addRow(note);
    return frame;
}

bool frmParameter::fc_Init(const QString& mode, const QString& code, const QString& text, const QString& folder)
{
    if (mode == QLatin1String("RENAME"))
        mode_ = Mode::Rename;
    else if (mode == QLatin1String("NETCONNECT,SOURCE"))
        mode_ = Mode::NetSource;
    else if (mode == QLatin1String("NETCONNECT,TARGET"))
        mode_ = Mode::NetTarget;
    else
        return false;
    code_ = code;
    text_ = text;
    saved_ = false;
    fraRenameAction_->setVisible(mode_ == Mode::Rename);
    fraNetConnectAction_->setVisible(mode_ != Mode::Rename);
    if (mode_ == Mode::Rename)
        showRename();
    else
        showNetConnect(folder);
    adjustSize();
    return true;
}

void frmParameter::showRename()
{
    lblCaptionValue_->setText(QStringLiteral("Definieren von 'Umbenennen von Daten' nach der Hauptaktion."));
    setWindowTitle(QStringLiteral("Parameter 'Umbenennen' definieren..."));
    // A damaged code is shown as far as it reads; storing rebuilds it.
    const std::string text = code_.isEmpty() ? std::string(base::kRenameCodeInitial) : toStd(code_);
    const base::RenameCode code = base::parseRenameCode(text).code;
    renameHead_ = fromStd(code.head);
    chkRenameStatusSource_->setChecked(code.flags & base::renameFlag::kSource);
    chkRenameStatusTarget_->setChecked(code.flags & base::renameFlag::kTarget);
    chkRenameStatusFolder_->setChecked(code.flags & base::renameFlag::kFolders);
    chkRenameStatusFiles_->setChecked(code.flags & base::renameFlag::kFiles);
    chkRenameStatusFirstLevel_->setChecked(code.flags & base::renameFlag::kFirstLevel);
    txtRenameCode_->setText(fromStd(code.pattern));
}

void frmParameter::showNetConnect(const QString& folder)
{
    const bool source = mode_ == Mode::NetSource;
    lblCaptionValue_->setText(source ? QStringLiteral("Netzlaufwerk Quelle verbinden und ggf. wieder trennen")
                                     : QStringLiteral("Netzlaufwerk Ziel verbinden und ggf. wieder trennen"));
    setWindowTitle(source ? QStringLiteral("Parameter 'Netzlaufwerk Quelle verbinden' definieren...")
                          : QStringLiteral("Parameter 'Netzlaufwerk Ziel verbinden' definieren..."));
    const std::string text = code_.isEmpty() ? base::netConnectProposal(toStd(folder)) : toStd(code_);
    const base::NetConnectCode code = base::parseNetConnectCode(text).code;
    chkNetConnectStatusDelNetAfterAction_->setChecked(code.disconnectAfterAction());
    txtNetConnectDriveLetter_->setText(fromStd(code.localName));
    txtNetConnectDriveNet_->setText(fromStd(code.remoteName));
    txtNetConnectDriveUser_->setText(fromStd(code.user));
    txtNetConnectDrivePwd_->setText(fromStd(code.password));
}

void frmParameter::sb_ParameterStore()
{
    if (mode_ == Mode::Rename) {
        base::RenameCode code{toStd(renameHead_), 0, toStd(txtRenameCode_->text())};
        setBit(code.flags, base::renameFlag::kSource, chkRenameStatusSource_);
        setBit(code.flags, base::renameFlag::kTarget, chkRenameStatusTarget_);
        setBit(code.flags, base::renameFlag::kFolders, chkRenameStatusFolder_);
        setBit(code.flags, base::renameFlag::kFiles, chkRenameStatusFiles_);
        setBit(code.flags, base::renameFlag::kFirstLevel, chkRenameStatusFirstLevel_);
        const std::vector<std::string> problems = base::renameProblems(code.flags, code.pattern);
        if (!problems.empty()) {
            util::ui::msgBox(this, base::renameProblemMessage(problems), Buttons::Ok, Icon::Exclamation,
                             "Fehlerhafte Einstellung");
            return;
        }
        code_ = fromStd(base::buildRenameCode(code));
        text_ = fromStd(base::renameText(code));
    } else {
        base::NetConnectCode code{
            chkNetConnectStatusDelNetAfterAction_->isChecked() ? base::netFlag::kDisconnectAfterAction : 0,
            toStd(txtNetConnectDriveLetter_->text()), toStd(txtNetConnectDriveNet_->text()),
            toStd(txtNetConnectDriveUser_->text()), toStd(txtNetConnectDrivePwd_->text())};
        const std::vector<std::string> problems = base::netConnectProblems(code);
        if (!problems.empty()) {
            util::ui::msgBox(this, base::netConnectProblemMessage(problems), Buttons::Ok, Icon::Exclamation,
                             "Fehlerhafte Einstellung");
            return;
        }
        code_ = fromStd(base::buildNetConnectCode(code));
        text_.clear();
    }
    saved_ = true;
    accept();
}

void frmParameter::sb_ParameterDelete()
{
    if (util::ui::msgBox(this, "Möchten Sie den Parameter entfernen?", Buttons::YesNo, Icon::Question,
                         "Parameter löschen ...")
        != Answer::Yes)
        return;
    code_.clear();
    text_ = QString::fromUtf8(project::kRenameNone);
    saved_ = true;
    accept();
}

} // namespace zdr::mainwindow
