#include "protocol/frmProtocol.h"

#include "protocol/ContextMenuValues.h"
#include "protocol/ProtocolModel.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"
#include "util/MsgBox.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <array>

namespace zdr::protocol::ui {

namespace {

constexpr int kTwipsPerPixel = 15;
// Rows arrive per entry; the list takes them in batches at this pace.
constexpr int kBatchMilliseconds = 100;
constexpr int kRowHeight = 20;

int pixels(int twips) { return twips / kTwipsPerPixel; }

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString viewText(std::string_view text) { return qs(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

struct MenuEntry {
    MenuItem item;
    const char* caption;
};
constexpr std::array<MenuEntry, 6> kMenu{{
    {MenuItem::FolderHeading, "-------------- Verzeichnis--------------"},
    {MenuItem::FolderName, "Unterverzeichnis (\\xxx) ausschliessen"},
    {MenuItem::FolderPath, "Verzeichnis (c:\\...\\xxx) eindeutig ausschliessen"},
    {MenuItem::FileHeading, "-------------- Datei --------------"},
    {MenuItem::FileName, "Datei (\\xxx) ausschliessen"},
    {MenuItem::FilePath, "Datei (c:\\...\\xxx) eindeutig ausschliessen"},
}};

} // namespace

frmProtocol::frmProtocol(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProtocol"));
    setWindowTitle(QStringLiteral("Protokoll ..."));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(1000, 600);

    model_ = new ProtocolModel(document_, this);
    lvwMain_ = new QTableView(this);
    lvwMain_->setObjectName(QStringLiteral("lvwMain"));
    lvwMain_->setModel(model_);
    lvwMain_->setShowGrid(false);
    lvwMain_->setWordWrap(false);
    lvwMain_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwMain_->setContextMenuPolicy(Qt::CustomContextMenu);
    lvwMain_->verticalHeader()->hide();
    lvwMain_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvwMain_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    lvwMain_->horizontalHeader()->setSectionsClickable(true);
    lvwMain_->horizontalHeader()->setHighlightSections(false);

    rtbMain_ = new QPlainTextEdit(this);
    rtbMain_->setObjectName(QStringLiteral("rtbMain"));
    rtbMain_->setReadOnly(true);
    rtbMain_->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtbMain_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rtbMain_->hide();

    fraButtons_ = new QFrame(this);
    fraButtons_->setObjectName(QStringLiteral("fraButtons"));
    auto* strip = new QHBoxLayout(fraButtons_);
    auto* caption = new QLabel(QStringLiteral("Aktion:"), fraButtons_);
    caption->setObjectName(QStringLiteral("lblSystemActionInfoCaption"));
    lblSystemActionInfoValue_ = new QLabel(qs(document_.actionInfo()), fraButtons_);
    lblSystemActionInfoValue_->setObjectName(QStringLiteral("lblSystemActionInfoValue"));
    chkActionContinue_ = new QCheckBox(QStringLiteral("Aktion ausführen"), fraButtons_);
    chkActionContinue_->setObjectName(QStringLiteral("chkActionContinue"));
    chkActionContinue_->hide();
    lblCmdShowError_ = new util::ui::CommandLabel(QStringLiteral("lblCmdShowError"),
                                                  QStringLiteral("nächster &Fehler..."), fraButtons_);
    lblCmdProtocolReLoad_ = new util::ui::CommandLabel(QStringLiteral("lblCmdProtocolReLoad"),
                                                       QStringLiteral("&Protokoll neu laden"), fraButtons_);
    lblCmdProtocolReLoad_->hide();
    lblCmdActionRun_ =
        new util::ui::CommandLabel(QStringLiteral("lblCmdActionRun"), QStringLiteral("Aktion &ausführen"), fraButtons_);
    lblCmdActionRun_->hide();
    lblCmdClose_ = new util::ui::CommandLabel(QStringLiteral("lblCmdClose"), QStringLiteral("&Schließen"), fraButtons_);
    strip->addWidget(caption);
    strip->addWidget(lblSystemActionInfoValue_);
    strip->addStretch(1);
    strip->addWidget(chkActionContinue_);
    strip->addSpacing(16);
    strip->addWidget(lblCmdShowError_);
    strip->addWidget(lblCmdProtocolReLoad_);
    strip->addWidget(lblCmdActionRun_);
    strip->addWidget(lblCmdClose_);

    batch_ = new QTimer(this);
    batch_->setSingleShot(true);
    batch_->setInterval(kBatchMilliseconds);
    connect(batch_, &QTimer::timeout, this, &frmProtocol::flush);

    buildMenu();
    connect(lblCmdClose_, &util::ui::CommandLabel::command, this, &frmProtocol::reject);
    connect(lblCmdProtocolReLoad_, &util::ui::CommandLabel::command, this, &frmProtocol::lblCmdProtocolReLoad_Click);
    connect(lblCmdShowError_, &util::ui::CommandLabel::command, this, &frmProtocol::lblCmdShowError_Click);
    connect(lblCmdActionRun_, &util::ui::CommandLabel::command, this, &frmProtocol::lblCmdActionRun_Click);
    connect(lvwMain_, &QTableView::doubleClicked, this, &frmProtocol::lvwMain_DblClick);
    connect(lvwMain_, &QTableView::customContextMenuRequested, this, &frmProtocol::lvwMain_ContextMenu);
    connect(lvwMain_->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmProtocol::headerClicked);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { menuRow_ = kNoRow; });

    document_.setObserver(this);
    applyColumns();
}

frmProtocol::~frmProtocol()
{
    document_.setObserver(nullptr);
    lvwMain_->setModel(nullptr);
    delete model_; // before the document it observes
}

void frmProtocol::buildMenu()
{
    mnuData_ = new QMenu(QStringLiteral("Daten"), this);
    mnuData_->setObjectName(QStringLiteral("mnuData"));
    for (const MenuEntry& entry : kMenu) {
        QAction* action = mnuData_->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QStringLiteral("mnuDataWork"));
        const int index = static_cast<int>(entry.item);
        action->setProperty("index", index);
        connect(action, &QAction::triggered, this, [this, index] { mnuDataWork_Click(index); });
    }
}

bool frmProtocol::fc_Init(const std::string& mode, bool display) { return document_.fc_Init(mode, display); }

bool frmProtocol::fc_ListItem_Add(const ProtocolEntry& entry)
{
    const bool added = document_.fc_ListItem_Add(entry);
    if (added && !batch_->isActive())
        batch_->start();
    return added;
}

void frmProtocol::fc_ListItem_Err(const ProtocolEntry& entry)
{
    document_.fc_ListItem_Err(entry);
    if (document_.list().pendingCount() > 0 && !batch_->isActive())
        batch_->start();
}

void frmProtocol::sb_EntryGetNext(WorkListStep& step) { document_.sb_EntryGetNext(step); }

void frmProtocol::sb_Protocol_Add(const std::string& text) { document_.sb_Protocol_Add(text); }

void frmProtocol::sb_Protocol_Delete(const std::string& key) { document_.sb_Protocol_Delete(key); }

void frmProtocol::flush()
{
    batch_->stop();
    document_.list().flush();
}

void frmProtocol::sb_ReviewBegin(bool offerRun, std::function<bool()> confirm)
{
    flush();
    document_.list().refreshPartly();
    chkActionContinue_->setChecked(false);
    chkActionContinue_->hide();
    lblCmdActionRun_->setVisible(offerRun);
    // The list is complete: what waits now is the user, not the protocol.
    lblSystemActionInfoValue_->setText(QStringLiteral("wartet auf Prüfung"));
    confirm_ = std::move(confirm);
    setResult(QDialog::Rejected);
}

bool frmProtocol::reviewAccepted() const { return result() == QDialog::Accepted && chkActionContinue_->isChecked(); }

void frmProtocol::sb_ReviewEnd()
{
    lblCmdActionRun_->hide();
    lblSystemActionInfoValue_->setText(qs(document_.actionInfo()));
    confirm_ = {};
}

void frmProtocol::lblCmdActionRun_Click()
{
    if (!lblCmdActionRun_->isVisible() || (confirm_ && !confirm_()))
        return;
    chkActionContinue_->setChecked(true);
    accept();
}

void frmProtocol::reject()
{
    // Backing out of a review never starts the action.
    chkActionContinue_->setChecked(false);
    document_.clearText();
    QDialog::reject();
    if (tag_ == QLatin1String("UNLOAD"))
        deleteLater();
}

void frmProtocol::showEvent(QShowEvent* event)
{
    flush();
    QDialog::showEvent(event);
}

void frmProtocol::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int width = this->width();
    const int height = this->height();
    if (isMinimized() || width < pixels(2000) || height < pixels(2000))
        return;
    const QRect list(pixels(30), pixels(30), width - pixels(60), height - pixels(750));
    lvwMain_->setGeometry(list);
    rtbMain_->setGeometry(list);
    fraButtons_->setGeometry(0, list.bottom() + 1 + pixels(30), width, height - list.bottom() - 1 - pixels(30));
}

void frmProtocol::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        util::ui::openHelpFile(this, util::ui::helpTopic::kProtocol);
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmProtocol::lblCmdProtocolReLoad_Click()
{
    QString text;
    emit ReLoad(text);
    document_.sb_Protocol_ReLoaded(text.toStdString());
}

// The text protocol has no rows: the search goes from one line that tells of
// a failure (an entry not handled, skipped or left) to the next, and wraps.
void frmProtocol::sb_NextErrorLine()
{
    static const QRegularExpression failure(QString::fromUtf8(
        "  ----  (Fehler|nicht (kopiert|gelöscht|gesetzt|umbenannt)|(Datei|Verzeichnis) (übersprungen|nicht))"
        "|^Fehler beim Kopieren von: '"));
    QTextDocument* text = rtbMain_->document();
    QTextCursor hit = text->find(failure, rtbMain_->textCursor());
    if (hit.isNull())
        hit = text->find(failure, 0);
    if (hit.isNull())
        return;
    hit.movePosition(QTextCursor::StartOfBlock);
    hit.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    rtbMain_->setTextCursor(hit);
    rtbMain_->ensureCursorVisible();
}

void frmProtocol::lblCmdShowError_Click()
{
    if (!document_.listShown()) {
        sb_NextErrorLine();
        return;
    }
    const std::size_t position = document_.fc_NextError();
    if (position == kNoPosition)
        return;
    const QModelIndex found = model_->index(static_cast<int>(position), 0);
    lvwMain_->setCurrentIndex(found);
    lvwMain_->scrollTo(found);
}

void frmProtocol::lvwMain_DblClick()
{
    const QModelIndex current = lvwMain_->currentIndex();
    if (!current.isValid() || !lvwMain_->selectionModel()->isSelected(current))
        return;
    const std::string message(document_.list().messageTag(model_->rowId(current)));
    util::ui::msgBox(this, "Meldung: \r\n\r\n" + message, util::ui::Buttons::Ok, util::ui::Icon::Information,
                     "Meldung ...");
}

void frmProtocol::lvwMain_ContextMenu(const QPoint& position)
{
    const QModelIndex at = lvwMain_->indexAt(position);
    if (!at.isValid())
        return;
    menuRow_ = model_->rowId(at);
    const RowIcon icon = document_.list().icon(menuRow_);
    for (QAction* action : mnuData_->actions())
        action->setEnabled(menuItemEnabled(static_cast<MenuItem>(action->property("index").toInt()), icon));
    mnuData_->popup(lvwMain_->viewport()->mapToGlobal(position));
}

void frmProtocol::mnuDataWork_Click(int index)
{
    if (menuRow_ == kNoRow)
        return;
    if (const auto except = fc_ExceptValue(document_.list(), menuRow_, static_cast<MenuItem>(index)))
        emit ExceptData(except->kind, qs(except->value));
}

// A click sorts by the column, a second click turns the order, a third
// returns to the order of the work list.
void frmProtocol::headerClicked(int column)
{
    ProtocolList& list = document_.list();
    const bool same = static_cast<int>(list.viewColumn()) == column;
    if (same && !list.viewAscending())
        model_->sort(static_cast<int>(Column::Sort), Qt::AscendingOrder);
    else
        model_->sort(column, same ? Qt::DescendingOrder : Qt::AscendingOrder);
    applyColumns();
}

void frmProtocol::applyColumns()
{
    const ProtocolList& list = document_.list();
    QHeaderView* header = lvwMain_->horizontalHeader();
    for (int column = 0; column < kColumnCount; ++column) {
        const int width = columnWidthTwips(document_.columns(), static_cast<Column>(column));
        lvwMain_->setColumnHidden(column, width == 0);
        if (width > 0)
            lvwMain_->setColumnWidth(column, pixels(width));
    }
    const bool byWork = list.viewColumn() == Column::Sort && list.viewAscending();
    header->setSortIndicatorShown(!byWork);
    if (!byWork)
        header->setSortIndicator(static_cast<int>(list.viewColumn()),
                                 list.viewAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    lvwMain_->setSelectionBehavior(document_.display() ? QAbstractItemView::SelectRows
                                                       : QAbstractItemView::SelectItems);
    model_->captionsChanged();
}

void frmProtocol::layoutChanged()
{
    applyColumns();
    lvwMain_->setVisible(document_.listShown());
    rtbMain_->setVisible(!document_.listShown());
    lblCmdProtocolReLoad_->setVisible(document_.reloadShown());
    lblCmdShowError_->setVisible(document_.errorSearchShown());
}

void frmProtocol::textReplaced() { rtbMain_->setPlainText(viewText(document_.text())); }

void frmProtocol::textAppended(std::string_view line)
{
    QTextCursor end(rtbMain_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QLatin1Char('\n') + viewText(line));
}

void frmProtocol::actionInfoChanged() { lblSystemActionInfoValue_->setText(qs(document_.actionInfo())); }

} // namespace zdr::protocol::ui
