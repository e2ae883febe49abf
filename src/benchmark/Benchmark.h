#pragma once

#include "benchmark/BenchmarkRun.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace Kalvoren {
class MemorySampler;
class Platform;
}

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controller of the benchmark window: suggests a total, starts a test on a worker thread and
// shows its progress and time. The worker never touches a widget: it hands its updates to the
// main thread in order, and waits there for a problem alert to be closed.
class Benchmark : public QObject
{
    Q_OBJECT

public:
    // Shows the problem alert and returns once it is closed; a message box unless replaced.
    using AlertPresenter = std::function<void(const QString &title, const QString &message)>;

    explicit Benchmark(QObject *parent = nullptr);
    // Asks a running test to stop and waits for its current pass.
    ~Benchmark() override;

    // Actions.
    // Starts a test, or asks the running one to stop after its current pass.
    void runTest();
    // Puts the suggested total into the total field; the count is left alone.
    void suggest();
    // Shows and hides the help window.
    void showHelp();
    void closeHelp();

    bool isRunning() const { return m_isRunning.load(); }
    bool cancelRequest() const { return m_cancelRequest.load(); }
    // Seconds of the last completed test; 0 until one completes.
    double howmanysecondselapsed() const { return m_howmanysecondselapsed; }
    QString prepTaskInfo() const { return m_prepTaskInfo; }
    QString prepLeftInfo() const { return m_prepLeftInfo; }
    QString preplastTestInfo() const { return m_preplastTestInfo; }
    QString prepThisTestInfo() const { return m_prepThisTestInfo; }

    // The largest total the memory room allows now (see benchmarkLimitMb); empty when the
    // platform does not say.
    std::optional<quint32> limitMb() const;

    void setAlertPresenter(AlertPresenter presenter) { m_alertPresenter = std::move(presenter); }
    void setAllocator(const Kalvoren::BenchmarkAllocator &allocator) { m_allocator = allocator; }

    // Outlets, connected by the interface. Not owned.
    QPointer<QLineEdit> totalToAllocate;
    QPointer<QLineEdit> numOfAllocations;
    QPointer<QPushButton> runTestButton;
    QPointer<QLabel> taskInfo;
    QPointer<QLabel> leftInfo;
    QPointer<QLabel> lastTestInfo;
    QPointer<QLabel> thisTestInfo;
    QPointer<QWidget> benchmarkHelpWindow;
    QPointer<QWidget> myWindow;
    // Where the figures and the memory room come from; not owned.
    QPointer<Kalvoren::MemorySampler> sampler;
    Kalvoren::Platform *platform = nullptr;

signals:
    // After the end steps of every test, refused and failed ones included.
    void testFinished();

private:
    class WorkerObserver;

    // The worker thread's body: one test with inputs read on the main thread.
    void runTheTest(Kalvoren::BenchmarkInputs inputs, std::optional<quint32> limitMb);
    // From the worker: shows the alert on the main thread and waits until it is closed.
    void showAlert(const QString &message);
    // The worker calls the next three by name, through the event queue: what they need crosses
    // in atomics or in members under m_handOver, never in a lambda's capture. Qt's event queue
    // orders the two threads with locks ThreadSanitizer cannot see; those it can.
    Q_INVOKABLE void presentAlert();
    // On the main thread: shows the latest pass in the task and left fields.
    Q_INVOKABLE void showProgress();
    Q_INVOKABLE void finishHandedOverTest();
    void finishTest(Kalvoren::BenchmarkResult result);

    std::atomic<bool> m_cancelRequest { false };
    std::atomic<bool> m_isRunning { false };
    double m_howmanysecondselapsed = 0.0;
    QString m_prepTaskInfo;
    QString m_prepLeftInfo;
    QString m_preplastTestInfo;
    QString m_prepThisTestInfo;

    // The worker's latest pass, shown by the main thread. At most one progress update waits
    // in the event queue, posted at most ten times a second; it shows whatever is latest
    // when it runs, so the fields follow the passes in order without an event per pass
    // slowing the timed loop.
    std::atomic<quint64> m_latestSize { 0 };
    std::atomic<qint64> m_latestLeft { 0 };
    std::atomic<bool> m_hasSize { false };
    std::atomic<bool> m_hasLeft { false };
    std::atomic<bool> m_progressPending { false };
    // Set by the worker as its very last step.
    std::atomic<bool> m_workerDone { true };

    AlertPresenter m_alertPresenter;
    std::mutex m_handOver;
    QString m_alertMessage;                 // guarded by m_handOver
    Kalvoren::BenchmarkResult m_lastResult; // guarded by m_handOver
    Kalvoren::BenchmarkAllocator m_allocator;
    std::thread m_worker;
};
