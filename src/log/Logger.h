#pragma once

#include "log/MemoryLogModel.h"

#include <QObject>
#include <QPointer>

class LoggerView;
class QCheckBox;
class QTableView;
class QWidget;

// Controller of the memory log window: takes every sample from the application controller,
// reads the row limit from its field at each sample, and answers the window's buttons. The
// rows themselves live in model(), which the table shows.
class Logger : public QObject
{
    Q_OBJECT

public:
    explicit Logger(QObject *parent = nullptr);
    ~Logger() override;

    Kalvoren::MemoryLogModel *model() const { return m_model; }

    // Logs one sample's figures, with the row limit as its field reads now.
    void addItem(const Kalvoren::MemoryFigures &figures);

    // Window actions.
    void resumeLogging();
    void pauseLogging();
    void clearLog();
    // The deltas check box's action: the table follows the box from now on.
    void followDeltasCheckBox();
    // Asks for a file and saves the shown rows there as CSV; a failure is shown in a message box.
    void exportRows();

    // Saves the shown rows (delta or sample rows, as the table shows them) as CSV to path;
    // on failure says why in a message box over the log window and answers false.
    bool exportRowsTo(const QString &path);

    bool stopped() const { return m_model->stopped(); }
    bool showDeltas() const { return m_model->showDeltas(); }
    // The row limit N as the field reads now: a spin box's value, or the leading whole number
    // of a line edit's text (0 when empty or not a number).
    int rowLimit() const;

    // The table whose data source is this log; it is given the model.
    void setMyTable(QTableView *table);
    QTableView *myTable() const;

    // Outlets, connected by the interface. Not owned.
    QPointer<LoggerView> chartView;
    QPointer<QWidget> logBufferSize; // a QLineEdit or a QSpinBox
    QPointer<QCheckBox> displayDeltasCheckbox;

private:
    Kalvoren::MemoryLogModel *m_model;
    QPointer<QTableView> m_myTable;
};
