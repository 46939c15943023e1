#include "engine/StatusBits.h"
#include "protocol/ProtocolEntries.h"
#include "protocol/frmProtocol.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedUi.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace zdr::run::ui {
namespace {

namespace status = engine::status;
using protocol::test::fileEntry;
using protocol::test::folderEntry;
using protocol::test::step;
using test::ScriptedUi;

struct ProtocolFetches {
    int count = 0;
    std::string text = "\r\nText-Protokoll"; // the engine's protocol so far
    explicit ProtocolFetches(frmFileSystem& w)
    {
        QObject::connect(&w, &frmFileSystem::ActionProtocolGet, [this](std::string& out) {
            ++count;
            out = text;
        });
    }
};

TEST(frmFileSystemProtocol, FirstEntryOfAPassShowsTheButton)
{
    frmFileSystem w;
    ProtocolFetches fetches(w);
    w.show();
    EXPECT_TRUE(w.lblCmdProtocol()->isHidden());
    EXPECT_TRUE(w.fc_Protocol_ListItem_Add(folderEntry("/a"), false));
    EXPECT_EQ(w.protocolWindow()->Task(), "LISTVIEW") << "the list is prepared before the first row";
    EXPECT_TRUE(w.lblCmdProtocol()->isVisible());
    EXPECT_FALSE(w.protocolWindow()->isVisible());
    EXPECT_FALSE(w.fc_Protocol_ListItem_Add(folderEntry("/a"), false)) << "the same row again";

    // With "Protokoll autom. anzeig." the first entry of a pass also opens
    // the protocol; later entries do not.
    w.optionBox(status::kProtocolShowAuto)->setChecked(true);
    w.lblCmdProtocol()->hide(); // a new pass
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "x.txt"), false);
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "y.txt"), false);
    EXPECT_EQ(fetches.count, 1);
    EXPECT_TRUE(w.protocolWindow()->isVisible());
    EXPECT_TRUE(w.protocolWindow()->chkActionContinue()->isHidden());
    EXPECT_EQ(w.protocolWindow()->Task(), "TEXT") << "the button shows the text protocol";
    EXPECT_EQ(w.protocolWindow()->document().text(), "Text-Protokoll");

    // The shown protocol keeps up with the run, at the figures' pace.
    fetches.text += "\r\n  b.txt  ----  ok";
    w.setText(Control::lblCount, "2");
    w.sb_ShowNow();
    EXPECT_EQ(w.protocolWindow()->document().text(), "Text-Protokoll\r\n  b.txt  ----  ok");
    auto* view = w.protocolWindow()->findChild<QPlainTextEdit*>("rtbMain");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->toPlainText(), "Text-Protokoll\n  b.txt  ----  ok");
    // Closed, it is left alone.
    w.protocolWindow()->hide();
    fetches.text += "\r\n  c.txt  ----  ok";
    const int fetched = fetches.count;
    w.setText(Control::lblCount, "3");
    w.sb_ShowNow();
    EXPECT_EQ(fetches.count, fetched);
}

TEST(frmFileSystemProtocol, TheWorkListIsTheProtocolList)
{
    frmFileSystem w;
    w.fc_Protocol_Init("LISTVIEW", true);
    w.fc_Protocol_ListItem_Add(folderEntry("/a"), false);
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "x.txt"), false);
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "x.txt"), true); // failed
    w.sb_Protocol_Delete("/a");

    protocol::WorkListStep s = step("NEXT", "COPY", 0);
    std::vector<std::string> names;
    for (w.sb_Protocol_EntryGetNext(s); s.index > 0; w.sb_Protocol_EntryGetNext(s))
        names.push_back(s.type + ":" + s.source);
    EXPECT_EQ(names, std::vector<std::string>{"FILE:x.txt"});

    w.sb_Protocol_SetBack();
    EXPECT_EQ(w.protocolWindow()->Task(), "");
    w.fc_Protocol_ListItem_Add(fileEntry("/b", "z.txt"), false);
    EXPECT_EQ(w.protocolWindow()->Task(), "LISTVIEW") << "set back: the next entry prepares the list anew";
}

// How the user leaves the modal review.
enum class Leave { Escape, CloseBox, CloseButton, RunButton };

// Leaves the review when it opens (after ticking "Aktion ausführen", which
// alone must never start anything); notes whether the run button was offered.
void answerReview(Leave leave, bool* runOffered)
{
    QTimer::singleShot(0, [leave, runOffered] {
        auto* review = qobject_cast<protocol::ui::frmProtocol*>(QApplication::activeModalWidget());
        ASSERT_TRUE(review);
        *runOffered = review->lblCmdActionRun()->isVisible();
        review->chkActionContinue()->setChecked(true);
        switch (leave) {
        case Leave::Escape: QTest::keyClick(review, Qt::Key_Escape); break;
        case Leave::CloseBox: review->close(); break;
        case Leave::CloseButton: review->findChild<util::ui::CommandLabel*>("lblCmdClose")->click(); break;
        case Leave::RunButton:
            review->lblCmdActionRun()->click();
            if (review->isVisible()) // the question said no: the user backs out
                review->reject();
            break;
        }
    });
}

// Escape, the close box and "Schließen" back out of the review; only its
// run button starts the action, and a delete or an attribute change asks
// once more, naming what it will do.
TEST(frmFileSystemProtocol, ReviewBeforeTheAction)
{
    ScriptedUi ui;
    frmFileSystem w;
    w.show();
    w.fc_Protocol_ListItem_Add(folderEntry("/a"), false);
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "x.txt"), false);
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "y.txt"), false);
    struct Case {
        Leave leave;
        const char* action;
        util::ui::Answer answer; // to the question, where one comes
        bool folderEntries;
        bool goesOn;
        const char* question;
    };
    const Case cases[] = {
        {Leave::Escape, "DELETE", util::ui::Answer::Yes, false, false, ""},
        {Leave::CloseBox, "DELETE", util::ui::Answer::Yes, false, false, ""},
        {Leave::CloseButton, "COPY", util::ui::Answer::Yes, false, false, ""},
        {Leave::RunButton, "COPY", util::ui::Answer::Yes, false, true, ""},
        {Leave::RunButton, "DELETE", util::ui::Answer::No, false, false, "2 Dateien und 1 Ordner endgültig löschen?"},
        {Leave::RunButton, "ATTRIB", util::ui::Answer::Yes, false, true,
         "Die Attribute von 2 Dateien und 1 Ordnern ändern?"},
        {Leave::RunButton, "COPY", util::ui::Answer::Yes, true, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + std::to_string(static_cast<int>(c.leave)));
        const std::size_t asked = ui.messages().size();
        if (*c.question)
            ui.answer(c.answer);
        w.optionBox(status::kFolderEntriesInfo)->setChecked(c.folderEntries);
        w.setReviewAction(c.action);
        bool continueRun = true;
        bool offered = false;
        answerReview(c.leave, &offered);
        w.sb_Protocol_Show(continueRun, "\r\nProtokoll", true);
        EXPECT_EQ(continueRun, c.goesOn);
        EXPECT_EQ(offered, !c.folderEntries) << "the action is offered unless folder contents are listed";
        EXPECT_EQ(w.protocolWindow()->Task(), "LISTVIEW") << "a review is the list, never the text";
        if (*c.question) {
            ASSERT_EQ(ui.messages().size(), asked + 1);
            EXPECT_EQ(ui.messages().back().text, c.question);
        } else {
            EXPECT_EQ(ui.messages().size(), asked) << ui.lastText();
        }
    }
}

TEST(frmFileSystemProtocol, ComparingFilesKeepsTheList)
{
    frmFileSystem w;
    w.optionBox(status::kOnlyDifferent)->setChecked(true);
    w.fc_Protocol_ListItem_Add(fileEntry("/a", "x.txt"), false);
    bool continueRun = false;
    w.sb_Protocol_Show(continueRun, "\r\nText", false);
    EXPECT_EQ(w.protocolWindow()->Task(), "LISTVIEW");
    EXPECT_TRUE(w.protocolWindow()->isVisible());
}

TEST(frmFileSystemProtocol, ProtocolWindowGone)
{
    ScriptedUi ui;
    frmFileSystem w;
    w.protocolWindow()->setTag(QStringLiteral("UNLOAD"));
    w.protocolWindow()->reject();
    QTRY_VERIFY(w.protocolWindow() == nullptr);
    bool continueRun = true;
    w.sb_Protocol_Show(continueRun, "x", true);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Protokoll wurde geschlossen, bitte wiederholen Sie die Aktion.");
    EXPECT_EQ(ui.messages()[0].title, "Hinweis");
    EXPECT_EQ(ui.messages()[0].icon, base::Icon::Information);
    EXPECT_TRUE(continueRun);
    EXPECT_FALSE(w.fc_Protocol_ListItem_Add(fileEntry("/a", "x.txt"), false));
    protocol::WorkListStep s = step("NEXT", "COPY", 0);
    w.sb_Protocol_EntryGetNext(s);
    EXPECT_EQ(s.index, -1);
}

TEST(frmFileSystemProtocol, ProtocolEventsReachTheCaller)
{
    frmFileSystem w;
    ProtocolFetches fetches(w);
    std::vector<std::string> excluded;
    QObject::connect(&w, &frmFileSystem::ExceptData, [&excluded](protocol::EntryKind kind, const std::string& value) {
        excluded.push_back((kind == protocol::EntryKind::Folder ? "Ordner " : "Datei ") + value);
    });
    QString reloaded;
    emit w.protocolWindow()->ReLoad(reloaded);
    EXPECT_EQ(reloaded, "\r\nText-Protokoll");
    emit w.protocolWindow()->ExceptData(protocol::EntryKind::Folder, QStringLiteral("Temp"));
    EXPECT_EQ(excluded, std::vector<std::string>{"Ordner Temp"});

    QPointer<protocol::ui::frmProtocol> protocolWindow = w.protocolWindow();
    w.close();
    EXPECT_TRUE(protocolWindow.isNull()) << "the protocol window goes with the progress window";
}

} // namespace
} // namespace zdr::run::ui
