#include "run/frmFileSystem.h"

#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "engine/StatusBits.h"
#include "platform/ErrorCode.h"
#include "platform/Paths.h"
#include "run/OptionBoxes.h"
#include "run/clsProgressBar.h"
#include "util/Caption.h"
#include "util/CommandLabel.h"
#include "util/ElidedLabel.h"
#include "util/HelpFile.h"
#include "util/HelpMenu.h"
#include "util/MsgBox.h"
#include "util/mdlGetFolder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace zdr::run::ui {

using util::ui::caption;
using util::ui::CommandLabel;
namespace status = zdr::engine::status;

namespace {

constexpr int kRefreshMs = 100; // at most ten refreshes a second
constexpr std::int32_t kBlockBytesMax = 32767;
constexpr int kFolderInfoLevelDefault = 2;
constexpr const char* kTagProperty = "Tag";

QString qt(const std::string& text)
{
    // Lines end in CR LF in the program's texts; a label breaks at LF.
    return QString::fromStdString(base::replaceAll(text, "\r\n", "\n"));
}

// A whole number typed into a field, or nothing for anything else.
std::optional<long long> typedNumber(const QString& text)
{
    const std::string t = base::trim(text.toStdString());
    if (t.empty() || t.size() > 12 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return base::numberValue(t);
}

} // namespace

frmFileSystem::frmFileSystem(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmFileSystem"));
    setWindowTitle(QStringLiteral("[Titel]"));
    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, &frmFileSystem::refresh);
    buildControls();
    createBars();
    connect(lblCmdProtocol_, &util::ui::CommandLabel::command, this, &frmFileSystem::commandProtocol);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (!isRunning())
            close();
    });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { util::ui::openHelpFile(this, util::ui::helpTopic::kProgress); });
}

frmFileSystem::~frmFileSystem()
{
    // Released while shown (the program ended by a signal, its caller gone):
    // QWidget's destructor hides the window after this class's members are
    // gone, and the focus leaving a field would run its handler on them and
    // tell a coordinator that is going too.
    blockSignals(true);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        disconnect(edit, nullptr, this, nullptr);
}

// ---- controls ---------------------------------------------------------------

QLabel* frmFileSystem::addLabel(Control control, const char* text, bool shown)
{
    // Paths are shown as they are, never as markup, and shortened where too long.
    auto* label = new util::ui::ElidedLabel(QString::fromUtf8(text), this);
    label->setObjectName(QString::fromLatin1(controlName(control)));
    label->setVisible(shown);
    labels_.insert(static_cast<int>(control), label);
    return label;
}

namespace {

// A label whose text may be longer than the window: it is cut, the window
// keeps its size.
QLabel* fitted(QLabel* label)
{
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setMinimumWidth(1);
    return label;
}

// A label of messages and prompts: as wide as the window, its lines wrap and
// the window grows in height until all of it shows.
QLabel* wrapped(QLabel* label)
{
    fitted(label);
    if (auto* elided = qobject_cast<util::ui::ElidedLabel*>(label))
        elided->setWrapped(true);
    return label;
}

} // namespace

void frmFileSystem::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildHeader());
    layout->addWidget(buildTargetRows());
    layout->addWidget(buildFigures());
    layout->addWidget(buildBars());
    layout->addWidget(buildOptions());
    layout->addStretch();
    layout->addWidget(buildButtons());
    buildHelpMenu();
    resize(560, 0);
}

QWidget* frmFileSystem::buildHeader()
{
    auto* frame = new QWidget(this);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(0, 0, 0, 0);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32, 32));
    imgMain_ = new QLabel(this);
    imgMain_->setObjectName(QStringLiteral("imgMain"));
    imgMain_->setPixmap(style()->standardIcon(QStyle::SP_DialogHelpButton).pixmap(32, 32));
    imgMain_->setCursor(Qt::PointingHandCursor);
    imgMain_->setToolTip(QStringLiteral("Hilfe"));
    imgMain_->installEventFilter(this);

    QLabel* task = addLabel(Control::lblSystemInfoTask, "[Wert]");
    QFont bold = task->font();
    bold.setBold(true);
    task->setFont(bold);
    QLabel* question = wrapped(addLabel(Control::lblSystemInfoQuestion, ""));
    question->setFont(bold);

    grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(caption("lblSystemInfoTaskCaption", "Aufgabe:", this), 0, 1);
    grid->addWidget(fitted(task), 0, 2);
    grid->addWidget(imgMain_, 0, 3, 2, 1, Qt::AlignTop);
    grid->addWidget(question, 1, 1, 1, 2);
    grid->addWidget(fitted(addLabel(Control::lblSystemInfoSource, "")), 2, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    return frame;
}

QWidget* frmFileSystem::buildTargetRows()
{
    // The target row of copy runs and the new-folder input of make-directory
    // runs share one place; one of them is shown.
    auto* place = new QWidget(this);
    auto* stack = new QGridLayout(place);
    stack->setContentsMargins(0, 0, 0, 0);

    fraFolderFile_ = new QFrame(this);
    fraFolderFile_->setObjectName(QStringLiteral("fraFolderFile"));
    auto* row = new QHBoxLayout(fraFolderFile_);
    row->setContentsMargins(0, 0, 0, 0);
    QLabel* target = fitted(addLabel(Control::lblSystemInfoTarget, ""));
    target->setAcceptDrops(true);
    target->installEventFilter(this);
    target->setMinimumHeight(target->fontMetrics().height() * 2);
    cmdTarget_ = new QPushButton(QStringLiteral("..."), this);
    cmdTarget_->setObjectName(QStringLiteral("cmdTarget"));
    cmdTarget_->setToolTip(QStringLiteral("Zielverzeichnis auswählen."));
    cmdTarget_->setCursor(Qt::PointingHandCursor);
    cmdTarget_->setEnabled(false);
    connect(cmdTarget_, &QPushButton::clicked, this, &frmFileSystem::chooseTarget);
    row->addWidget(target, 1);
    row->addWidget(cmdTarget_, 0, Qt::AlignTop);

    fraFolder_ = new QFrame(this);
    fraFolder_->setObjectName(QStringLiteral("fraFolder"));
    auto* folder = new QGridLayout(fraFolder_);
    folder->setContentsMargins(0, 0, 0, 0);
    txtNewFolder_ = new QLineEdit(this);
    txtNewFolder_->setObjectName(QStringLiteral("txtNewFolder"));
    connect(txtNewFolder_, &QLineEdit::textChanged, this, &frmFileSystem::newFolderChanged);
    connect(txtNewFolder_, &QLineEdit::returnPressed, this, &frmFileSystem::sb_ActionStart);
    QLabel* error = wrapped(addLabel(Control::lblCreateFolderError, "[Fehler]", false));
    error->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    auto* clipboard = new QCheckBox(this);
    folder->addWidget(fitted(addLabel(Control::lblSystemFolderSource, "")), 0, 0, 1, 2);
    folder->addWidget(caption("Label1", "neues Unterverzeichnis:", this), 1, 0);
    folder->addWidget(txtNewFolder_, 1, 1);
    folder->addWidget(error, 2, 0, 1, 2);
    folder->addWidget(clipboard, 3, 0, 1, 2);
    folder->setColumnStretch(1, 1);
    const OptionBox* clipboardBox = progressOptionBox("chkCreateFolderCopyToClipboard");
    clipboard->setObjectName(QString::fromLatin1(clipboardBox->name));
    clipboard->setText(QString::fromUtf8(clipboardBox->caption));
    connectOption(clipboard, clipboardBox->bit);
    fraFolder_->hide();

    stack->addWidget(fraFolderFile_, 0, 0);
    stack->addWidget(fraFolder_, 0, 0);
    return place;
}

QWidget* frmFileSystem::buildFigures()
{
    auto* frame = new QWidget(this);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(0, 0, 0, 0);
    QLabel* folder = fitted(addLabel(Control::lblSystemInfo, ""));
    folder->setMinimumHeight(folder->fontMetrics().lineSpacing() * 3);
    folder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(folder, 0, 0, 1, 4);
    grid->addWidget(wrapped(addLabel(Control::lblSystemInfoObject, "")), 1, 0, 1, 4);

    grid->addWidget(caption("lblCountCaption", "Anzahl:", this), 2, 0);
    grid->addWidget(fitted(addLabel(Control::lblCount, "[Wert]")), 2, 1);
    lblSizeCaption_ = caption("lblSizeCaption", "Größe:", this);
    grid->addWidget(lblSizeCaption_, 3, 0);
    grid->addWidget(fitted(addLabel(Control::lblSize, "[Wert]")), 3, 1);
    grid->addWidget(caption("lblTimeCaption", "Zeit:", this), 4, 0);
    grid->addWidget(fitted(addLabel(Control::lblTime, "[Wert]")), 4, 1, 1, 3);

    // Errors: the count shows "(keine)" under its caption from the start,
    // the size only once an error occurs.
    auto* errors = new QHBoxLayout;
    errors->addWidget(addLabel(Control::lblCountNot, "[Wert]"));
    errors->addWidget(fitted(addLabel(Control::lblSizeNot, "[Wert]", false)), 1);
    grid->addWidget(addLabel(Control::lblSizeNotCaption, "Fehler:"), 2, 2);
    grid->addLayout(errors, 2, 3);
    grid->addWidget(addLabel(Control::lblCountExistsTimeOkCaption, "übersprungen:", false), 3, 2);
    grid->addWidget(fitted(addLabel(Control::lblCountExistsTimeOk, "[Wert]", false)), 3, 3);
    grid->addWidget(addLabel(Control::lblCountToDoCaption, "Auszuführen:", false), 5, 0);
    grid->addWidget(fitted(addLabel(Control::lblCountToDo, "[Wert]", false)), 5, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    // Room for the figures of a large run before the second column begins.
    grid->setColumnMinimumWidth(1,
                                fontMetrics().horizontalAdvance(QStringLiteral("von 999.999,99 MB => 999.999,99 MB")));
    return frame;
}

QWidget* frmFileSystem::buildBars()
{
    auto* frame = new QWidget(this);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    picMain_ = new QWidget(this);
    picMain_->setObjectName(QStringLiteral("picMain"));
    picSub_ = new QWidget(this);
    picSub_->setObjectName(QStringLiteral("picSub"));
    column->addWidget(picMain_, 0, Qt::AlignHCenter);
    column->addWidget(picSub_, 0, Qt::AlignHCenter);
    return frame;
}

QWidget* frmFileSystem::buildOptions()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraOptions"));
    fraOptions_ = frame;
    auto* grid = new QGridLayout(frame);
    auto* numbers = new QHBoxLayout;
    auto numberField = [this, numbers](const NumberField& of, const char* text) {
        auto* field = new QLineEdit(QString::fromLatin1(text), this);
        field->setObjectName(QString::fromLatin1(of.name));
        field->setToolTip(QString::fromUtf8(of.tip));
        field->setMaxLength(9);
        field->setMaximumWidth(70);
        field->setEnabled(false);
        numbers->addWidget(new QLabel(QString::fromUtf8(of.caption), this));
        numbers->addWidget(field);
        return field;
    };
    txtFolderInfoLevel_ = numberField(optionNumberFields()[0], "2");
    txtFileBlockSize_ = numberField(optionNumberFields()[1], "32767");
    int i = 0;
    for (const OptionBox& option : progressOptionBoxes()) {
        if (!option.tip)
            continue; // the clipboard box sits in the new-folder frame
        auto* box = new QCheckBox(QString::fromUtf8(option.caption), this);
        box->setObjectName(QString::fromLatin1(option.name));
        box->setToolTip(QString::fromUtf8(option.tip));
        grid->addWidget(box, i / 3, i % 3);
        ++i;
        connectOption(box, option.bit);
    }
    connect(txtFolderInfoLevel_, &QLineEdit::editingFinished, this, &frmFileSystem::folderInfoLevelLeft);
    connect(txtFileBlockSize_, &QLineEdit::textChanged, this, &frmFileSystem::blockSizeEdited);
    connect(txtFileBlockSize_, &QLineEdit::editingFinished, this, &frmFileSystem::blockSizeLeft);
    numbers->addStretch();
    grid->addLayout(numbers, (i + 2) / 3, 0, 1, 3);
    // The dependent controls follow their boxes from the start.
    for (QCheckBox* box : std::as_const(options_))
        optionToggled(box, 0, box->isChecked());
    return frame;
}

QWidget* frmFileSystem::buildButtons()
{
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraButtons"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(frame);
    lblCmdAction_ = new CommandLabel(QStringLiteral("lblCmdAction"), QStringLiteral("Aktion (a)usführen"), this);
    lblCmdAction_->setToolTip(QStringLiteral("Aktion ausführen ..."));
    lblCmdAction_->setRepeatWhileRunning(true);
    lblCmdProtocol_ = new CommandLabel(QStringLiteral("lblCmdProtocol"), QStringLiteral("&Protokoll"), this);
    lblCmdProtocol_->setToolTip(QStringLiteral("Protokoll anzeigen"));
    lblCmdProtocol_->hide();
    lblCmdClose_ = new CommandLabel(QStringLiteral("lblCmdClose"), QStringLiteral("Schließen"), this);
    connect(lblCmdAction_, &CommandLabel::command, this, &frmFileSystem::commandAction);
    connect(lblCmdClose_, &CommandLabel::command, this, &QWidget::close);
    row->addWidget(lblCmdAction_);
    row->addWidget(lblCmdProtocol_);
    row->addStretch();
    row->addWidget(lblCmdClose_);
    return frame;
}

void frmFileSystem::buildHelpMenu()
{
    mnuHelp_ = new QMenu(QStringLiteral("Hilfe"), this);
    mnuHelp_->setObjectName(QStringLiteral("mnuHelp"));
    util::ui::fillHelpMenu(mnuHelp_, this);
}

void frmFileSystem::createBars()
{
    // 5400 x 200 twips at (1, 1) in each canvas.
    clsProgressBar::Settings settings;
    settings.left = 1;
    settings.top = 1;
    settings.width = 5400;
    settings.height = 200;
    settings.flags = clsProgressBar::kFlagVisible;
    settings.font = QFont(QStringLiteral("Arial"), 7);
    settings.showPercentage = true;
    settings.backColour = 0xC0FFFF;
    settings.barColour = 0x800000;
    settings.alignment = clsProgressBar::kAlignCenter;
    settings.moreTextFlags = clsProgressBar::kEndEllipsis;
    settings.borderStyle = 6;
    settings.units = 1;
    QWidget* canvases[] = {picMain_, picSub_};
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        settings.canvas = canvases[i];
        bars_[i] = new clsProgressBar(this);
        bars_[i]->sb_Init(settings);
        const QRect r = bars_[i]->pixelRect();
        canvases[i]->setFixedSize(r.right() + 1 + r.left(), r.bottom() + 1 + r.top());
    }
}

// ---- options ----------------------------------------------------------------

void frmFileSystem::connectOption(QCheckBox* box, std::uint32_t bit)
{
    options_.insert(bit, box);
    connect(box, &QCheckBox::toggled, this, [this, box, bit](bool on) { optionToggled(box, bit, on); });
}

void frmFileSystem::optionToggled(QCheckBox* box, std::uint32_t bit, bool on)
{
    if (reverting_)
        return;
    const QString name = box->objectName();
    auto enable = [this](std::uint32_t dependent, bool enabled) {
        if (QCheckBox* other = options_.value(dependent))
            other->setEnabled(enabled);
    };
    if (name == QLatin1String("chkCopyCreateProtocol") && !on) {
        // The review before the action needs the protocol: the click is refused.
        QCheckBox* ask = options_.value(status::kAskBeforeAction);
        if (ask && ask->isChecked()) {
            reverting_ = true;
            box->setChecked(true);
            reverting_ = false;
            return;
        }
    }
    if (bit != 0)
        emit FolderCopyStatusChange(bit, on);

    if (name == QLatin1String("chkCopyWithInfo")) {
        enable(status::kNoFileInfo, on);
        enable(status::kInfoOnlyCount, on);
        enable(status::kAskBeforeAction, on);
    } else if (name == QLatin1String("chkCopyOnlyDiffrentFiles")) {
        enable(status::kOnlyNewer, on);
    } else if (name == QLatin1String("chkInfoAboutFolderEntries")) {
        txtFolderInfoLevel_->setEnabled(on);
    } else if (name == QLatin1String("chkCopyBlockBytes")) {
        txtFileBlockSize_->setEnabled(on);
        if (bit != 0)
            emit FileBlockBytesChange(static_cast<std::int32_t>(typedNumber(txtFileBlockSize_->text()).value_or(0)));
    } else if (name == QLatin1String("chkCopyInfoAskBeforeAction") && bit != 0) {
        QCheckBox* protocolBox = options_.value(status::kCreateProtocol);
        if (on && !protocolBox->isChecked()) {
            box->setProperty(kTagProperty, QStringLiteral("PROTOCOL"));
            protocolBox->setChecked(true);
        } else if (!on && box->property(kTagProperty).toString() == QLatin1String("PROTOCOL")) {
            box->setProperty(kTagProperty, QString());
            protocolBox->setChecked(false);
        }
    }
}

QCheckBox* frmFileSystem::optionBox(std::uint32_t bit) const { return options_.value(bit); }

void frmFileSystem::setFolderInfoLevel(int level) { txtFolderInfoLevel_->setText(QString::number(level)); }

void frmFileSystem::setFileBlockSize(std::int32_t bytes) { txtFileBlockSize_->setText(QString::number(bytes)); }

void frmFileSystem::blockSizeEdited()
{
    const auto value = typedNumber(txtFileBlockSize_->text());
    if (value && *value > kBlockBytesMax)
        txtFileBlockSize_->setText(QString::number(kBlockBytesMax));
}

void frmFileSystem::blockSizeLeft()
{
    // A block of no bytes cannot copy anything: an empty or zero field gets
    // the largest block back.
    const auto value = typedNumber(txtFileBlockSize_->text());
    if (!value || *value < 1 || *value > kBlockBytesMax)
        txtFileBlockSize_->setText(QString::number(kBlockBytesMax));
    QCheckBox* blockBytes = options_.value(status::kBlockBytes);
    if (blockBytes && blockBytes->isChecked())
        emit FileBlockBytesChange(static_cast<std::int32_t>(*typedNumber(txtFileBlockSize_->text())));
}

void frmFileSystem::folderInfoLevelLeft()
{
    auto value = typedNumber(txtFolderInfoLevel_->text());
    if (!value || *value <= 0)
        value = kFolderInfoLevelDefault;
    value = std::min<long long>(*value, 255); // the level is a byte
    txtFolderInfoLevel_->setText(QString::number(*value));
    emit FolderInfoLevelChanged(static_cast<std::uint8_t>(*value));
}

// ---- target and new folder --------------------------------------------------

void frmFileSystem::setMakeDirectoryMode(bool on)
{
    fraFolder_->setVisible(on);
    fraFolderFile_->setVisible(!on);
    fraOptions_->setVisible(!on);
    adjustSize();
}

void frmFileSystem::setTargetSelectable(bool on) { cmdTarget_->setEnabled(on); }

void frmFileSystem::hideSize()
{
    lblSizeCaption_->hide();
    labels_.value(static_cast<int>(Control::lblSize))->hide();
}

bool frmFileSystem::targetChangeAllowed() const
{
    // Changing the target while files are being copied would split the copy
    // between two folders.
    return cmdTarget_->isEnabled() && !isRunning();
}

void frmFileSystem::takeTarget(const std::string& folder)
{
    const std::string target = platform::withoutTrailingSeparator(folder);
    targetStart_ = target;
    setText(Control::lblSystemInfoTarget, "Ziel: " + target);
    sb_ShowNow();
    emit FolderTargetChanged(target);
}

void frmFileSystem::chooseTarget()
{
    if (!targetChangeAllowed())
        return;
    const std::string folder =
        util::ui::fc_BrowseForFolder(util::ui::kFolderRootDrives, "Bitte wählen Sie das Zielverzeichnis aus ...", this,
                                     util::ui::kBrowseFileSystemOnly, targetStart_);
    if (!folder.empty())
        takeTarget(folder);
}

void frmFileSystem::dropOnTarget(const QList<QUrl>& urls)
{
    if (urls.size() > 1) {
        util::ui::msgBox(this, "Bitte nur ein Zielverzeichnis angeben!", util::ui::Buttons::Ok,
                         util::ui::Icon::Information, "Aktion abgebrochen ...");
        return;
    }
    if (urls.isEmpty())
        return;
    const QUrl& url = urls.front();
    if (!url.isLocalFile()) {
        util::ui::msgBox(this,
                         "Fehler bei: '" + url.toDisplayString().toStdString() + "'" + base::kCrLf + base::kCrLf
                             + base::fc_GetApiErrorText(platform::error::kInvalidName),
                         util::ui::Buttons::Ok, util::ui::Icon::Critical, "Fehler ...");
        return;
    }
    const std::string path = url.toLocalFile().toStdString();
    if (platform::isDirectory(path))
        takeTarget(path);
}

void frmFileSystem::newFolderChanged()
{
    const QString text = txtNewFolder_->text();
    if (txtNewFolder_->property(kTagProperty).toString() == text)
        return;
    txtNewFolder_->setProperty(kTagProperty, text);
    emit FolderTargetChanged(text.toStdString());
}

// ---- commands, closing ------------------------------------------------------

bool frmFileSystem::isRunning() const
{
    return lblCmdAction_->tag() == QLatin1String("RUN") || (runningQuery_ && runningQuery_());
}

void frmFileSystem::sb_ActionStart() { lblCmdAction_->click(); }

void frmFileSystem::commandAction()
{
    // A click during the run re-enters here (the cancel question).
    ++actionDepth_;
    QPointer<frmFileSystem> self(this);
    emit ActionStart(false);
    if (!self)
        return;
    --actionDepth_;
    if (actionDepth_ == 0 && closeWhenIdle_) {
        closeWhenIdle_ = false;
        // The label's command ends first; then the window may go.
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void frmFileSystem::sb_Unload()
{
    if (isRunning())
        closeWhenIdle_ = true;
    else
        close();
}

void frmFileSystem::closeEvent(QCloseEvent* event)
{
    if (isRunning()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (unloaded_)
        return;
    unloaded_ = true;
    std::int32_t none = 0;
    ProgressBarAction(BarAction::Term, WhichBar::Both, none);
    protocolMade_ = true;
    delete lkl_frmProtocol_.data();
    emit Unload();
}

bool frmFileSystem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgMain_ && event->type() == QEvent::MouseButtonRelease) {
        mnuHelp_->popup(QCursor::pos());
        return true;
    }
    if (watched == labels_.value(static_cast<int>(Control::lblSystemInfoTarget))) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls() && targetChangeAllowed())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (targetChangeAllowed() && drop->mimeData()->hasUrls()) {
                drop->acceptProposedAction();
                dropOnTarget(drop->mimeData()->urls());
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- bars and figures -------------------------------------------------------

void frmFileSystem::sb_RepaintProgressBars()
{
    for (clsProgressBar* bar : bars_)
        if (bar)
            bar->Paint();
}

void frmFileSystem::ProgressBarAction(BarAction action, WhichBar bar, std::int32_t& value)
{
    for (int i = 0; i < 2; ++i) {
        if (bar != WhichBar::Both && (bar == WhichBar::Main) != (i == 0))
            continue;
        clsProgressBar* b = bars_[static_cast<std::size_t>(i)];
        if (!b)
            continue;
        if (action == BarAction::Value) {
            pendingBar_[static_cast<std::size_t>(i)] = value;
            scheduleRefresh();
            continue;
        }
        // The other actions change the bar's state at once and drop a value
        // that waits for the refresh.
        pendingBar_[static_cast<std::size_t>(i)] = -1;
        switch (action) {
        case BarAction::Init:
            b->setVisible(true);
            b->ReInit();
            break;
        case BarAction::Hide:
            b->setValuePercentage(value);
            b->setVisible(false);
            break;
        case BarAction::Term:
            delete b;
            bars_[static_cast<std::size_t>(i)] = nullptr;
            break;
        case BarAction::Value: break;
        }
    }
}

void frmFileSystem::setText(Control control, const std::string& text)
{
    pending_.insert(static_cast<int>(control), qt(text));
    scheduleRefresh();
}

std::string frmFileSystem::text(Control control) const
{
    const auto key = static_cast<int>(control);
    if (pending_.contains(key))
        return pending_.value(key).toStdString();
    if (control == Control::Caption)
        return windowTitle().toStdString();
    const QLabel* label = labels_.value(key);
    return label ? base::replaceAll(label->text().toStdString(), "\n", "\r\n") : std::string();
}

void frmFileSystem::apply(const ViewUpdate& update)
{
    for (const auto& [control, text] : update.texts)
        setText(control, text);
    for (const auto& [control, visible] : update.shown)
        if (QLabel* label = labels_.value(static_cast<int>(control)))
            label->setVisible(visible);
    for (const BarCommand& command : update.bars) {
        std::int32_t value = command.value;
        ProgressBarAction(command.action, command.bar, value);
    }
    if (update.unloadWindow)
        sb_Unload();
}

void frmFileSystem::scheduleRefresh()
{
    if (!lastRefresh_.isValid() || lastRefresh_.elapsed() >= kRefreshMs) {
        refresh();
        return;
    }
    if (!refreshTimer_.isActive())
        refreshTimer_.start(static_cast<int>(kRefreshMs - lastRefresh_.elapsed()));
}

void frmFileSystem::sb_ShowNow() { refresh(); }

void frmFileSystem::refresh()
{
    refreshTimer_.stop();
    lastRefresh_.start();
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it) {
        if (it.key() == static_cast<int>(Control::Caption))
            setWindowTitle(it.value());
        else if (QLabel* label = labels_.value(it.key()))
            label->setText(it.value());
    }
    pending_.clear();
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        if (pendingBar_[i] >= 0 && bars_[i])
            bars_[i]->setValuePercentage(pendingBar_[i]);
        pendingBar_[i] = -1;
    }
    followProtocol(); // at the same rate as the figures
}

} // namespace zdr::run::ui
