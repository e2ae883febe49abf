#include "BenchmarkWindow.h"

#include "BenchmarkPlan.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

BenchmarkWindow::BenchmarkWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_total(new QLineEdit(this))
    , m_count(new QLineEdit(QStringLiteral("1000"), this))
    , m_suggest(new QPushButton(tr("Suggest"), this))
    , m_runTest(new QPushButton(tr("Run Test"), this))
    , m_help(new QPushButton(tr("Help"), this))
    , m_taskInfo(new QLabel(this))
    , m_leftInfo(new QLabel(this))
    , m_lastTestInfo(new QLabel(this))
    , m_thisTestInfo(new QLabel(this))
{
    setWindowTitle(tr("Benchmark"));
    setObjectName(QStringLiteral("benchmarkWindow"));
    m_total->setObjectName(QStringLiteral("totalToAllocate"));
    m_count->setObjectName(QStringLiteral("numOfAllocations"));
    m_total->setToolTip(tr("Megabytes to allocate in the largest pass, at most 3000"));
    m_count->setToolTip(tr("Number of allocations; the test runs one pass more"));

    auto *totalRow = new QHBoxLayout;
    totalRow->addWidget(m_total, 1);
    totalRow->addWidget(new QLabel(tr("MB"), this));
    totalRow->addWidget(m_suggest);

    auto *form = new QFormLayout;
    form->addRow(tr("Total:"), totalRow);
    form->addRow(tr("Allocations:"), m_count);
    form->addRow(tr("Passes left:"), m_leftInfo);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    buttons->addWidget(m_runTest);
    m_runTest->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_taskInfo);
    layout->addWidget(m_lastTestInfo);
    layout->addWidget(m_thisTestInfo);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // Room for the longest texts, so the window does not jump while a test runs.
    const QString longest =
            Kalvoren::benchmarkTaskText(quint64(Kalvoren::benchmarkMaxTotalMb) << 20)
            + QStringLiteral("   ");
    setMinimumWidth(fontMetrics().horizontalAdvance(longest) + 40);
}
