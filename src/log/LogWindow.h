#pragma once

#include <QWidget>

class LoggerView;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

// The memory log window: the table, the row-limit field, Start/Stop/Clear, the deltas check
// box, Export and the chart view. It only lays the controls out; the interface connects them
// to the Logger.
class LogWindow : public QWidget
{
    Q_OBJECT

public:
    explicit LogWindow(QWidget *parent = nullptr);

    QTableView *table() const { return m_table; }
    QLineEdit *rowLimitField() const { return m_rowLimit; }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *clearButton() const { return m_clear; }
    QPushButton *exportButton() const { return m_export; }
    QCheckBox *deltasCheckBox() const { return m_deltas; }
    LoggerView *chartView() const { return m_chart; }

signals:
    // Ctrl+S or the Export button.
    void exportRequested();

private:
    QTableView *m_table;
    QLineEdit *m_rowLimit;
    QPushButton *m_start;
    QPushButton *m_stop;
    QPushButton *m_clear;
    QPushButton *m_export;
    QCheckBox *m_deltas;
    LoggerView *m_chart;
};
