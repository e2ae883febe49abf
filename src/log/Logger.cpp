#include "Logger.h"

#include "LoggerView.h"
#include "log/LogCsv.h"
#include "stats/TextValue.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTableView>

using namespace Kalvoren;

Logger::Logger(QObject *parent)
    : QObject(parent)
    , m_model(new MemoryLogModel(this))
{
}

Logger::~Logger() = default;

int Logger::rowLimit() const
{
    if (auto *spin = qobject_cast<QSpinBox *>(logBufferSize.data()))
        return spin->value();
    if (auto *edit = qobject_cast<QLineEdit *>(logBufferSize.data()))
        return intValue(edit->text());
    // No field: nothing but the newest row, as an empty entry would give.
    return 0;
}

void Logger::addItem(const MemoryFigures &figures)
{
    m_model->addItem(figures, rowLimit());
    if (chartView)
        chartView->update();
}

void Logger::resumeLogging()
{
    m_model->go();
}

void Logger::pauseLogging()
{
    m_model->stop();
}

void Logger::clearLog()
{
    m_model->clear();
}

void Logger::followDeltasCheckBox()
{
    m_model->setShowDeltas(displayDeltasCheckbox && displayDeltasCheckbox->isChecked());
}

void Logger::setMyTable(QTableView *table)
{
    m_myTable = table;
    if (table)
        table->setModel(m_model);
}

QTableView *Logger::myTable() const
{
    return m_myTable;
}

bool Logger::exportRowsTo(const QString &path)
{
    QString error;
    if (saveLogCsv(*m_model, path, &error))
        return true;
    QMessageBox::warning(m_myTable ? m_myTable->window() : nullptr, tr("Export Log"), error);
    return false;
}

void Logger::exportRows()
{
    QWidget *window = m_myTable ? m_myTable->window() : nullptr;
    const QString suggested = QDir::home().filePath(
            QStringLiteral("kalvoren-log-%1.csv")
                    .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    const QString path = QFileDialog::getSaveFileName(window, tr("Export Log"), suggested,
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        exportRowsTo(path);
}
