#include "MainWindow.h"

#include "MenuButton.h"
#include "log/LoggerView.h"
#include "stats/SampleReport.h"
#include "optimizer/OptimizerController.h"
#include "views/StatsView.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel *swatch(const QColor &colour)
{
    auto *label = new QLabel;
    label->setFixedSize(12, 12);
    label->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #555;")
                                 .arg(colour.name()));
    return label;
}

// Swap in use of the swap there is, short enough for the panel: "0.3 / 8.0 GB, 3.10:1" (the
// ratio where the swap is compressed in memory), "none" without swap.
QString compactSwapText(const Kalvoren::MemorySample &sample)
{
    const std::optional<quint64> used = sample.swapUsedBytes();
    if (!used)
        return QString();
    const quint64 total = *sample.swapTotalBytes;
    if (total == 0)
        return MainWindow::tr("none");
    constexpr double gib = 1024.0 * 1024.0 * 1024.0;
    const bool inGb = total >= quint64(gib);
    const double scale = inGb ? gib : 1024.0 * 1024.0;
    const int decimals = inGb ? 1 : 0;
    QString text = QStringLiteral("%1 / %2 %3")
                           .arg(Kalvoren::fixedText(double(*used) / scale, decimals),
                                Kalvoren::fixedText(double(total) / scale, decimals),
                                inGb ? QStringLiteral("GB") : QStringLiteral("MB"));
    for (const Kalvoren::ZramDevice &device : sample.zram) {
        if (const std::optional<double> ratio = device.compressionRatio()) {
            text += QStringLiteral(", %1:1").arg(Kalvoren::fixedText(*ratio, 2));
            break;
        }
    }
    return text;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
    , m_statsView(new StatsView)
    , m_menuButton(new MenuButton)
    , m_mainButton(new QPushButton(tr("Optimize Memory")))
    , m_progress(new QProgressBar)
    , m_freeInfo(new QLabel)
    , m_inactiveInfo(new QLabel)
    , m_wiredInfo(new QLabel)
    , m_activeInfo(new QLabel)
    , m_ramView(new QLabel)
    , m_note(new QLabel)
    , m_availableInfo(new QLabel)
    , m_swapInfo(new QLabel)
    , m_pressureInfo(new QLabel)
    , m_history(new LoggerView)
    , m_progressTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kalvoren"));
    m_statsView->setObjectName(QStringLiteral("statsView"));
    m_menuButton->setText(QStringLiteral("\u2630"));
    m_menuButton->setToolTip(tr("Menu"));
    m_menuButton->setFlat(true);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    m_note->setVisible(false);
    m_statsView->setFixedSize(160, 160);
    m_mainButton->setObjectName(QStringLiteral("theMainButton"));
    m_progress->setObjectName(QStringLiteral("progress"));
    // How far a run got, as a percentage of what it planned to touch.
    m_progress->setTextVisible(true);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_progress->setRange(0, progressScale);
    m_progress->setValue(0);
    m_progress->setVisible(false);
    // About 30 refreshes a second: smooth to the eye, negligible next to the touching.
    m_progressTimer->setInterval(33);
    connect(m_progressTimer, &QTimer::timeout, this, &MainWindow::refreshProgress);
    connect(m_mainButton, &QPushButton::clicked, this, &MainWindow::optimizeClicked);
    // The bar keeps its room while hidden, so a run does not make the panel grow.
    QSizePolicy keepRoom = m_progress->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keepRoom);

    // Room for six-digit megabytes, so that changing figures never resize the panel.
    const int widestFigure =
            fontMetrics().horizontalAdvance(QStringLiteral("0000.0 / 0000.0 GB, 0.00:1"));
    auto *figures = new QGridLayout;
    const struct
    {
        const char *title;
        QColor colour;
        QLabel *value;
        const char *name;
    } rows[] = {
        { QT_TR_NOOP("Free"), Qt::green, m_freeInfo, "freeInfo" },
        { QT_TR_NOOP("Inactive"), Qt::blue, m_inactiveInfo, "inactiveInfo" },
        { QT_TR_NOOP("Wired"), Qt::red, m_wiredInfo, "wiredInfo" },
        { QT_TR_NOOP("Active"), Qt::yellow, m_activeInfo, "activeInfo" },
    };
    int row = 0;
    for (const auto &r : rows) {
        r.value->setObjectName(QLatin1String(r.name));
        r.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        r.value->setMinimumWidth(widestFigure);
        figures->addWidget(swatch(r.colour), row, 0);
        figures->addWidget(new QLabel(tr(r.title)), row, 1);
        figures->addWidget(r.value, row, 2);
        ++row;
    }
    m_ramView->setObjectName(QStringLiteral("ramView"));
    m_ramView->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_ramView->setMinimumWidth(widestFigure);
    figures->addWidget(new QLabel(tr("Total")), row, 1);
    figures->addWidget(m_ramView, row, 2);
    ++row;

    // What a Linux user also watches: memory programs can still get, swap, pressure.
    const struct
    {
        const char *title;
        QLabel *value;
        const char *name;
    } more[] = {
        { QT_TR_NOOP("Available"), m_availableInfo, "availableInfo" },
        { QT_TR_NOOP("Swap"), m_swapInfo, "swapInfo" },
        { QT_TR_NOOP("Pressure"), m_pressureInfo, "pressureInfo" },
    };
    for (const auto &r : more) {
        r.value->setObjectName(QLatin1String(r.name));
        r.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        r.value->setFixedWidth(widestFigure);
        figures->addWidget(new QLabel(tr(r.title)), row, 1);
        figures->addWidget(r.value, row, 2);
        ++row;
    }
    m_swapInfo->setToolTip(tr("Swap in use of the swap there is; with compressed swap in "
                              "memory (zram), how much it compresses"));
    m_pressureInfo->setToolTip(tr("The share of the last 10 seconds in which programs waited "
                                  "for memory: some of them, or all (full)"));
    m_history->setObjectName(QStringLiteral("historyChart"));
    m_history->setCompact(true);
    m_history->setFixedHeight(48);
    m_history->setToolTip(tr("The last five minutes: wired, active, inactive and free memory "
                             "from the bottom up, swap use in magenta, pressure dashed"));

    auto *top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(m_menuButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_statsView, 0, Qt::AlignHCenter);
    layout->addLayout(figures);
    layout->addWidget(m_history);
    layout->addWidget(m_mainButton);
    layout->addWidget(m_progress);
    layout->addWidget(m_note);
    // The window is exactly as large as its contents ask, and not resizable: a drop-down
    // panel keeps one size, and tiling Wayland compositors float a window whose minimum
    // and maximum sizes are equal instead of stretching it over the screen.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::showNote(const QString &text)
{
    m_note->setText(text);
    m_note->setVisible(true);
}

void MainWindow::showFigureTexts(const Kalvoren::MemoryFigures &figures)
{
    m_freeInfo->setText(Kalvoren::megabytesText(figures.Free));
    m_inactiveInfo->setText(Kalvoren::megabytesText(figures.Inactive));
    m_wiredInfo->setText(Kalvoren::megabytesText(figures.Wired));
    m_activeInfo->setText(Kalvoren::megabytesText(figures.Active));
}

void MainWindow::showTotal(const Kalvoren::MemoryFigures &figures)
{
    m_ramView->setText(Kalvoren::gigabytesText(figures.totalRam));
}

void MainWindow::showMoreFigures(const Kalvoren::MemorySample &sample)
{
    const auto orUnknown = [](const QString &text) { return text.isEmpty() ? tr("n/a") : text; };
    m_availableInfo->setText(orUnknown(Kalvoren::availableValue(sample)));
    m_swapInfo->setText(orUnknown(compactSwapText(sample)));
    m_pressureInfo->setText(orUnknown(Kalvoren::pressureValue(sample)));
}

void MainWindow::showOptimizationRunning(bool running)
{
    m_mainButton->setText(running ? tr("Cancel") : tr("Optimize Memory"));
    if (running) {
        m_progress->setValue(0);
        m_progressTimer->start();
    } else {
        m_progressTimer->stop();
    }
    refreshProgress();
    m_progress->setVisible(running);
}

void MainWindow::refreshProgress()
{
    if (!m_optimizer)
        return;
    const quint64 planned = m_optimizer->plannedBytes();
    const quint64 touched = m_optimizer->touchedBytes();
    const double fraction = planned > 0 ? std::min(1.0, double(touched) / double(planned)) : 0.0;
    m_progress->setValue(int(fraction * progressScale));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit closeRequested();
}
