#include "LogWindow.h"

#include "LoggerView.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

LogWindow::LogWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_table(new QTableView(this))
    , m_rowLimit(new QLineEdit(QStringLiteral("100"), this))
    , m_start(new QPushButton(tr("Start"), this))
    , m_stop(new QPushButton(tr("Stop"), this))
    , m_clear(new QPushButton(tr("Clear"), this))
    , m_export(new QPushButton(tr("Export…"), this))
    , m_deltas(new QCheckBox(tr("Show changes"), this))
    , m_chart(new LoggerView(this))
{
    setWindowTitle(tr("Memory Log"));
    setObjectName(QStringLiteral("loggerWindow"));

    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    // The field reads like a number field: the leading whole number, 0 when there is none.
    m_rowLimit->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    m_rowLimit->setToolTip(tr("The log keeps this many rows, plus the newest sample"));
    m_deltas->setChecked(true);
    m_deltas->setToolTip(tr("Show each figure's relative change since the previous sample"));

    m_chart->setMinimumHeight(160);

    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("Rows:"), this));
    controls->addWidget(m_rowLimit);
    controls->addWidget(m_start);
    controls->addWidget(m_stop);
    controls->addWidget(m_clear);
    controls->addStretch(1);
    controls->addWidget(m_deltas);
    controls->addWidget(m_export);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chart, 1);
    layout->addWidget(m_table, 1);
    layout->addLayout(controls);

    auto *exportAction = new QAction(tr("Export…"), this);
    exportAction->setShortcut(QKeySequence::Save);
    addAction(exportAction);
    connect(exportAction, &QAction::triggered, this, &LogWindow::exportRequested);
    connect(m_export, &QPushButton::clicked, this, &LogWindow::exportRequested);

    resize(640, 560);
}
