#include "MainWindow.h"

#include "MenuButton.h"
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
    m_progress->setTextVisible(false);
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
    const int widestFigure = fontMetrics().horizontalAdvance(QStringLiteral("000000.00 MB"));
    auto *figures = new QGridLayout;
    const struct
    {
        const char *title;
        QColor colour;
        QLabel *value;
        const char *name;
    } rows[] = {
        { "Free", Qt::green, m_freeInfo, "freeInfo" },
        { "Inactive", Qt::blue, m_inactiveInfo, "inactiveInfo" },
        { "Wired", Qt::red, m_wiredInfo, "wiredInfo" },
        { "Active", Qt::yellow, m_activeInfo, "activeInfo" },
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

    auto *top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(m_menuButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_statsView, 0, Qt::AlignHCenter);
    layout->addLayout(figures);
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
