#include "ProcessWindow.h"

#include "TopMonitor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const char readingText[] = QT_TRANSLATE_NOOP("ProcessWindow", "Reading the process list...");
}

ProcessWindow::ProcessWindow(TopMonitor *monitor, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_monitor(monitor)
    , m_table(new QTableView(this))
    , m_quit(new QPushButton(tr("Quit"), this))
    , m_forceQuit(new QPushButton(tr("Force Quit"), this))
    , m_status(new QLabel(this))
{
    setWindowTitle(tr("Kalvoren Processes"));
    setObjectName(QStringLiteral("processWindow"));
    resize(420, 520);

    m_table->setModel(monitor);
    // The monitor owns the selection so that it can follow the selected process by pid.
    m_table->setSelectionModel(monitor->selectionModel());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setAlternatingRowColors(true);
    m_table->setShowGrid(false);

    m_quit->setToolTip(tr("Ask the selected process's windows to close"));
    m_forceQuit->setToolTip(tr("Send the selected process the termination signal"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_quit);
    buttons->addWidget(m_forceQuit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(m_quit, &QPushButton::clicked, monitor, [this] {
        if (m_monitor)
            m_monitor->onQuitProcess();
    });
    connect(m_forceQuit, &QPushButton::clicked, monitor, [this] {
        if (m_monitor)
            m_monitor->onForceQuitProcess();
    });
    connect(monitor, &TopMonitor::statusMessage, m_status, &QLabel::setText);
    connect(monitor, &TopMonitor::refreshed, this, [this] {
        if (m_status->text() == tr(readingText))
            m_status->clear();
    });
}

void ProcessWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_monitor && !m_monitor->isRunning()) {
        m_status->setText(tr(readingText));
        m_monitor->start();
    }
}

void ProcessWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Closed (or minimized), nobody reads the table: no /proc scan every two seconds.
    if (m_monitor)
        m_monitor->stop();
}
