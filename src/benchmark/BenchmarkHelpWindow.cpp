#include "BenchmarkHelpWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

BenchmarkHelpWindow::BenchmarkHelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_close(new QPushButton(tr("Close"), this))
{
    setWindowTitle(tr("Benchmark Help"));
    setObjectName(QStringLiteral("benchmarkHelpWindow"));
    auto *text = new QLabel(
            tr("<p>The benchmark times how long the system takes to allocate memory, use it "
               "and give it back.</p>"
               "<p><b>Total</b> is the largest block in megabytes (at most 3000). "
               "<b>Allocations</b> is the number of steps: the test takes a block of 2 bytes, "
               "fills every byte of it, frees it, and repeats with blocks growing in equal "
               "steps up to the total, one pass more than the number of allocations.</p>"
               "<p><b>Suggest</b> proposes 80% of the free and inactive memory, never more than "
               "the memory that is available without swapping, less a reserve. Larger totals "
               "are refused: on Linux they would make the kernel end a program to free "
               "memory.</p>"
               "<p>Press <b>Cancel Test</b> to stop after the current pass; the time of the "
               "passes run so far is still shown. Compare times of tests with the same "
               "inputs.</p>"),
            this);
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addLayout(buttons);
    m_close->setDefault(true);
    resize(420, 300);
}
