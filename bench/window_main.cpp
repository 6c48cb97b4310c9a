// reportmerge-window-bench R C N: the real window merging N sources into an
// R x C template with the real office, its bar sampled every 5 ms. Prints the
// longest time the bar stood still (in bar steps and in screen pixels) and,
// on X11, the slowest answer to the window manager's ping during the run.
// With --warm the merge starts only once the office the window starts when it
// opens is up (the time from confirming to the message is then what a user
// with a warm office waits). Before the merge, the folder command is run over
// the sources' folder in a window of its own: prints how long the window's
// thread was held at most meanwhile. Run it under Xvfb (QT_QPA_PLATFORM=xcb) or offscreen.

#include "X11Probe.h"
#include "bench/BenchWorkbooks.h"
#include "engine/libreoffice/LibreOfficeBinding.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

class ConfirmOutput : public rm::ui::FileDialogPresenter {
public:
    explicit ConfirmOutput(QString path) : m_path(std::move(path)) {}
    QStringList present(QWidget*, const rm::ui::FileDialogRequest&) override { return {m_path}; }

private:
    QString m_path;
};

class NoteMessages : public rm::ui::MessageBoxes {
public:
    void show(QWidget*, const QString& text, QMessageBox::Icon) override
    {
        std::printf("message after %.1f s: %s\n", clock.elapsed() / 1000.0, text.toUtf8().constData());
    }
    // The bench's sources are copies of the template: nothing to ask; save in any case.
    rm::SaveChoice chooseSave(QWidget*, const rm::LayoutFindings&) override { return rm::SaveChoice::ByPosition; }
    QElapsedTimer clock;
};

struct StandStill {
    double seconds = 0;
    double from = 0;
};

StandStill longestStandStill(const std::vector<std::pair<double, int>>& samples)
{
    StandStill longest;
    if (samples.empty())
        return longest;
    double since = samples.front().first;
    int last = samples.front().second;
    for (const auto& [at, value] : samples) {
        if (value != last) {
            if (at - since > longest.seconds)
                longest = {at - since, since};
            since = at;
            last = value;
        }
    }
    if (samples.back().first - since > longest.seconds)
        longest = {samples.back().first - since, since};
    return longest;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    std::vector<std::string> numbers;
    bool warm = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--warm")
            warm = true;
        else
            numbers.emplace_back(argv[i]);
    }
    const bool given = numbers.size() == 3;
    const int rows = given ? std::atoi(numbers[0].c_str()) : 50;
    const int columns = given ? std::atoi(numbers[1].c_str()) : 10;
    const int sources = given ? std::atoi(numbers[2].c_str()) : 300;
    char pattern[] = "/tmp/reportmerge-window-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string folder = pattern;
    const rm::bench::BenchFiles files = rm::bench::makeBenchWorkbooks(folder, rows, columns, sources);

    rm::lo::OfficeOptions options;
    options.opener = [](const std::string&) {};
    rm::lo::LibreOfficeBinding office(options);
    auto messages = std::make_shared<NoteMessages>();
    rm::ui::Form1Services services;
    services.fileDialogs = std::make_shared<ConfirmOutput>(QString::fromStdString(folder + "/merged.xls"));
    services.messageBoxes = messages;
    services.exitProgram = [] {};
    services.settingsName = QStringLiteral("reportmerge-window-bench");
    {
        // The folder command over N+1 workbooks: the longest pause of the window's event loop.
        rm::ui::Form1Services listing = services;
        listing.browseForFolder = [&](QWidget*, const QString&) { return QString::fromStdString(folder); };
        rm::ui::Form1 lister(office, listing);
        lister.show();
        QElapsedTimer sinceTick, whole;
        qint64 longestPause = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestPause = std::max(longestPause, sinceTick.elapsed());
            sinceTick.start();
        });
        ticker.start(1);
        sinceTick.start();
        whole.start();
        lister.addFloder_command_Click();
        longestPause = std::max(longestPause, sinceTick.elapsed());
        ticker.stop();
        std::printf("folder command over %d workbooks: %lld ms, window's thread held at most %lld ms\n",
                    sources + 1, static_cast<long long>(whole.elapsed()), static_cast<long long>(longestPause));
    }
    rm::ui::Form1 form(office, services);
    form.findChild<QLineEdit*>("tplpath_text")->setText(QString::fromStdString(files.templatePath));
    for (const auto& source : files.sourcePaths)
        form.addToList(QString::fromStdString(source));
    form.showCentred();
    QElapsedTimer shown;
    shown.start();
    // The office's start takes 1-3 s on this kind of machine; 10 s leaves it done.
    const int settleMs = warm ? 10000 : 500;
    while (shown.elapsed() < settleMs)
        QApplication::processEvents();
    if (warm)
        std::printf("merge starts %.1f s after the window opened (its office started meanwhile)\n", settleMs / 1000.0);

    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    const int pixels = bar->width();
    std::vector<std::pair<double, int>> steps, columnsLit;
    QElapsedTimer clock;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const double at = clock.elapsed() / 1000.0;
        steps.emplace_back(at, bar->value());
        columnsLit.emplace_back(at, bar->value() * pixels / bar->maximum());
    });

    std::atomic<bool> running{true};
    double slowestPing = 0;
    int pings = 0, unanswered = 0;
    std::thread pinger;
    const char* display = std::getenv("DISPLAY");
    if (QGuiApplication::platformName() == QStringLiteral("xcb") && display) {
        const unsigned long window = form.winId();
        pinger = std::thread([&, window] {
            rm::ui::test::X11Probe probe(display);
            while (running) {
                const double ms = probe.ping(window, 5000);
                ++pings;
                if (ms < 0)
                    ++unanswered;
                slowestPing = std::max(slowestPing, ms);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
    }

    std::printf("R=%d C=%d N=%d, load average: ", rows, columns, sources);
    std::fflush(stdout);
    std::system("cut -d' ' -f1-3 /proc/loadavg");
    clock.start();
    messages->clock.start();
    sampler.start(5);
    form.save_command_Click();
    sampler.stop();
    running = false;
    if (pinger.joinable())
        pinger.join();

    const StandStill inSteps = longestStandStill(steps);
    const StandStill inPixels = longestStandStill(columnsLit);
    std::printf("run %.1f s, %zu samples; bar decreased: %s\n", clock.elapsed() / 1000.0, steps.size(),
                std::is_sorted(steps.begin(), steps.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; })
                    ? "no"
                    : "YES");
    std::printf("longest stand-still: %.2f s in bar steps (from %.1f s), %.2f s in pixels of a %d px bar (from %.1f s)\n",
                inSteps.seconds, inSteps.from, inPixels.seconds, pixels, inPixels.from);
    std::printf("bar by second:");
    double next = 0;
    for (const auto& [at, value] : steps)
        if (at >= next) {
            std::printf(" %d", value / 100);
            next += 1.0;
        }
    std::printf(" (%% of the bar)\n");
    if (pings > 0)
        std::printf("pings during the run: %d, unanswered %d, slowest %.1f ms\n", pings, unanswered, slowestPing);
    office.shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
