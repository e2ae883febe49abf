#include "Benchmark.h"

#include "platform/Platform.h"
#include "stats/MemorySampler.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <chrono>

using namespace Kalvoren;

namespace {

void showProblemBox(const QString &title, const QString &message)
{
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setText(title);
    box.setInformativeText(message);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace

// Runs on the worker: records each pass and asks the main thread to show it.
class Benchmark::WorkerObserver : public BenchmarkObserver
{
public:
    explicit WorkerObserver(Benchmark *benchmark)
        : m_benchmark(benchmark)
    {
    }

    void passStarting(quint64 size) override
    {
        m_benchmark->m_latestSize.store(size, std::memory_order_relaxed);
        m_benchmark->m_hasSize.store(true, std::memory_order_release);
        requestUpdate();
    }
    void passFinished(qint32 left) override
    {
        m_benchmark->m_latestLeft.store(left, std::memory_order_relaxed);
        m_benchmark->m_hasLeft.store(true, std::memory_order_release);
        requestUpdate();
    }
    void problem(const QString &message) override { m_benchmark->showAlert(message); }

private:
    void requestUpdate()
    {
        // Ten times a second is enough to read: a post costs a few microseconds, which short
        // passes would otherwise add to the time measured. The end of the test shows the last
        // pass in any case.
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastPost < progressInterval)
            return;
        if (m_benchmark->m_progressPending.exchange(true, std::memory_order_acq_rel))
            return; // the waiting update will show this pass too
        m_lastPost = now;
        QMetaObject::invokeMethod(m_benchmark, "showProgress", Qt::QueuedConnection);
    }

    static constexpr std::chrono::milliseconds progressInterval { 100 };
    Benchmark *m_benchmark;
    std::chrono::steady_clock::time_point m_lastPost;
};

Benchmark::Benchmark(QObject *parent)
    : QObject(parent)
    , m_alertPresenter(showProblemBox)
{
}

Benchmark::~Benchmark()
{
    m_cancelRequest.store(true);
    // A worker waiting for its alert to be shown is released by dropping the queued call (the
    // alert can no longer be shown); repeat until the worker is through, in case it posts its
    // alert only now. Its other updates are dropped the same way by QObject's destructor.
    while (m_worker.joinable() && !m_workerDone.load()) {
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (m_worker.joinable())
        m_worker.join();
}

std::optional<quint32> Benchmark::limitMb() const
{
    if (!platform)
        return std::nullopt;
    return benchmarkLimitMb(platform->memoryRoom());
}

void Benchmark::suggest()
{
    const MemoryFigures figures = sampler ? sampler->latestFigures() : MemoryFigures();
    const quint32 total = suggestedTotalMb(figures.Free, figures.Inactive, limitMb());
    if (totalToAllocate)
        totalToAllocate->setText(QString::asprintf("%ld", long(total)));
}

void Benchmark::runTest()
{
    if (m_isRunning.load()) {
        m_cancelRequest.store(true);
        return;
    }
    m_isRunning.store(true);
    if (runTestButton)
        runTestButton->setText(tr("Cancel Test"));
    if (m_howmanysecondselapsed > 0.0) {
        m_preplastTestInfo = benchmarkLastTestText(m_howmanysecondselapsed);
        if (lastTestInfo)
            lastTestInfo->setText(m_preplastTestInfo);
        if (thisTestInfo)
            thisTestInfo->setText(QString());
    }

    // The fields are read here, on the main thread that owns them, and handed to the worker.
    const BenchmarkInputs inputs =
            benchmarkInputsFromTexts(totalToAllocate ? totalToAllocate->text() : QString(),
                                     numOfAllocations ? numOfAllocations->text() : QString());
    const std::optional<quint32> limit = limitMb();
    if (m_worker.joinable())
        m_worker.join(); // the previous worker has already posted its end steps
    m_hasSize.store(false);
    m_hasLeft.store(false);
    m_workerDone.store(false);
    m_worker = std::thread([this, inputs, limit] { runTheTest(inputs, limit); });
}

void Benchmark::runTheTest(BenchmarkInputs inputs, std::optional<quint32> limitMb)
{
    WorkerObserver observer(this);
    BenchmarkResult result;
    try {
        result = runBenchmark(inputs, limitMb, m_cancelRequest, observer, m_allocator);
    } catch (...) {
        // runBenchmark reports the exceptions it knows; anything else still ends the test
        // cleanly instead of taking the program down with the thread.
        result.outcome = BenchmarkOutcome::Failed;
        showAlert(benchmarkExceptionText(tr("unknown"), tr("an unexpected error")));
    }
    {
        std::lock_guard lock(m_handOver);
        m_lastResult = result;
    }
    QMetaObject::invokeMethod(this, "finishHandedOverTest", Qt::QueuedConnection);
    m_workerDone.store(true);
}

void Benchmark::showAlert(const QString &message)
{
    // The alert belongs to the main thread; the worker waits here until it is closed.
    {
        std::lock_guard lock(m_handOver);
        m_alertMessage = message;
    }
    QMetaObject::invokeMethod(this, "presentAlert", Qt::BlockingQueuedConnection);
}

void Benchmark::presentAlert()
{
    QString message;
    {
        std::lock_guard lock(m_handOver);
        message = m_alertMessage;
    }
    m_alertPresenter(benchmarkProblemTitle(), message);
}

void Benchmark::showProgress()
{
    m_progressPending.store(false, std::memory_order_release);
    if (m_hasSize.load(std::memory_order_acquire)) {
        m_prepTaskInfo = benchmarkTaskText(m_latestSize.load(std::memory_order_relaxed));
        if (taskInfo)
            taskInfo->setText(m_prepTaskInfo);
    }
    if (m_hasLeft.load(std::memory_order_acquire)) {
        m_prepLeftInfo = benchmarkLeftText(qint32(m_latestLeft.load(std::memory_order_relaxed)));
        if (leftInfo)
            leftInfo->setText(m_prepLeftInfo);
    }
}

void Benchmark::finishHandedOverTest()
{
    BenchmarkResult result;
    {
        std::lock_guard lock(m_handOver);
        result = m_lastResult;
    }
    finishTest(result);
}

void Benchmark::finishTest(BenchmarkResult result)
{
    // Any progress still waiting in the queue ran before this; show the last pass for certain.
    showProgress();
    if (result.timed()) {
        m_howmanysecondselapsed = result.seconds;
        m_prepThisTestInfo = benchmarkThisTestText(result.seconds);
        if (thisTestInfo)
            thisTestInfo->setText(m_prepThisTestInfo);
        if (myWindow)
            myWindow->update();
    }
    if (runTestButton)
        runTestButton->setText(tr("Run Test"));
    if (m_worker.joinable())
        m_worker.join(); // it ends right after posting this
    m_cancelRequest.store(false);
    m_isRunning.store(false);
    emit testFinished();
}

void Benchmark::showHelp()
{
    QWidget *help = benchmarkHelpWindow;
    if (!help)
        return;
    if (QScreen *screen = help->screen() ? help->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = help->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        help->move(frame.topLeft());
    }
    help->show();
    help->raise();
    help->activateWindow();
}

void Benchmark::closeHelp()
{
    if (benchmarkHelpWindow)
        benchmarkHelpWindow->hide();
}
