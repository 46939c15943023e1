// The review before an action over 200,000 entries: the rows arrive as an
// information pass sends them, then the review opens. Prints how long the
// list takes to show, to scroll a page, to untick a folder with its
// content, and the memory above the empty window. Run offscreen
// (QT_QPA_PLATFORM=offscreen) or on a display.
#include "Memory.h"
#include "protocol/ProtocolModel.h"
#include "protocol/frmProtocol.h"
#include "run/frmFileSystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using zdr::bench::residentBytes;

constexpr int kFolders = 10000;
constexpr int kFilesPerFolder = 19; // with the folder rows: 200,000 rows

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    zdr::run::ui::frmFileSystem window;
    window.show();
    window.protocolWindow();
    QApplication::processEvents();
    const long baseline = residentBytes();

    const auto addStart = Clock::now();
    const std::string root = "/home/benutzer/Daten";
    window.fc_Protocol_ListItem_Add({"FOLDER", "Daten", root, root, "", false, 0, 1}, false);
    for (int d = 0; d < kFolders; ++d) {
        const std::string folder = root + "/Projekt " + std::to_string(d / 100) + "/Ordner_" + std::to_string(d);
        window.fc_Protocol_ListItem_Add({"FOLDER", "Ordner_" + std::to_string(d), folder, folder, "", false, 2, 1},
                                        false);
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const std::string name = "Dokument_" + std::to_string(d * 31 + f) + ".txt";
            window.fc_Protocol_ListItem_Add(
                {"FILE", name, "      " + name + "  ----  wird gelöscht", folder, "", false, 3, 1}, false);
        }
        if (d % 100 == 99)
            QApplication::processEvents(); // the coordinator turns the loop during the pass
    }
    const double addMs = msSince(addStart);

    double showMs = 0;
    double pageAverage = 0;
    double pageWorst = 0;
    double untickMs = 0;
    long used = 0;
    std::size_t rows = 0;
    window.setReviewAction("COPY");
    const auto showStart = Clock::now();
    QTimer::singleShot(0, [&] {
        auto* review = qobject_cast<zdr::protocol::ui::frmProtocol*>(QApplication::activeModalWidget());
        if (!review)
            return;
        auto* view = review->findChild<QTableView*>("lvwMain");
        static_cast<void>(view->viewport()->grab());
        showMs = msSince(showStart);
        rows = review->document().list().size();
        used = residentBytes() - baseline;
        // Page by page through the first 200 pages, each painted at once.
        constexpr int kPages = 200;
        for (int page = 0; page < kPages; ++page) {
            const auto pageStart = Clock::now();
            QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(view, &down);
            static_cast<void>(view->viewport()->grab());
            const double ms = msSince(pageStart);
            pageAverage += ms / kPages;
            pageWorst = std::max(pageWorst, ms);
        }
        // Unticking the top folder takes everything below it along.
        const auto untickStart = Clock::now();
        review->model()->setData(review->model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
        static_cast<void>(view->viewport()->grab());
        untickMs = msSince(untickStart);
        std::printf("scrolled to row %d\n", view->verticalScrollBar()->value());
        review->reject();
    });
    bool goOn = true;
    window.sb_Protocol_Show(goOn, {}, true);

    std::printf("rows: %zu\n", rows);
    std::printf("rows arriving during the pass: %.0f ms\n", addMs);
    std::printf("review shown: %.0f ms (goal < 2000 ms)\n", showMs);
    std::printf("page down: %.2f ms on average, %.2f ms at most (goal < 50 ms)\n", pageAverage, pageWorst);
    std::printf("untick the top folder with all below it: %.0f ms\n", untickMs);
    std::printf("memory above the empty window: %.1f MiB, %.0f bytes per row (the protocol's goal <= 300)\n",
                static_cast<double>(used) / 1048576.0,
                rows ? static_cast<double>(used) / static_cast<double>(rows) : 0);
    return goOn ? 1 : 0; // backing out never goes on
}
