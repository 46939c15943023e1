// Cost of the progress figures per engine event: 200,000 file events of a
// copy pass after the information pass, each turned into texts and handed to
// the progress window, with the event loop turned after every event (as the
// run coordinator yields). Prints the time per event with and without the
// window and how often the window refreshed.
#include "engine/StatusBits.h"
#include "run/ProgressFigures.h"
#include "run/frmFileSystem.h"

#include <QApplication>

#include <chrono>
#include <cstdio>

namespace {

using zdr::run::EngineState;
using zdr::run::ViewUpdate;

constexpr int kEvents = 200000;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the events; `show` gets each update.
template <typename Show>
double run(Show show)
{
    EngineState e;
    e.action = "COPY";
    e.status = zdr::engine::status::kWithInfo;
    e.counters.CountFiles = kEvents;
    e.counters.SizeTotal = kEvents * 3.0;
    std::int32_t last = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= kEvents; ++i) {
        e.counters.CountFiles_Done = i;
        e.counters.SizeTotal_Done = i * 3.0;
        e.secondsUsed = i / 5000;
        const ViewUpdate u = zdr::run::figures(e, last);
        if (u.lastMainPercent)
            last = *u.lastMainPercent;
        show(u);
    }
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const double textsOnly = run([](const ViewUpdate&) {});

    zdr::run::ui::frmFileSystem window;
    window.show();
    int refreshes = 0;
    QObject::connect(&window, &QWidget::windowTitleChanged, [&refreshes] { ++refreshes; });
    const double withWindow = run([&window](const ViewUpdate& u) {
        window.apply(u);
        QApplication::processEvents();
    });

    std::printf("events: %d\n", kEvents);
    std::printf("texts only:          %.2f us per event\n", textsOnly / kEvents * 1e6);
    std::printf("texts, window, loop: %.2f us per event (%.2f s)\n", withWindow / kEvents * 1e6, withWindow);
    std::printf("caption refreshes:   %d (%.1f a second; at most 10 wanted)\n", refreshes, refreshes / withWindow);
    return 0;
}
