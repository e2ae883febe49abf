#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The benchmark window: total and count fields, Suggest, Run Test, Help and the four info
// texts. It only lays the controls out; the interface connects them to the Benchmark.
class BenchmarkWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BenchmarkWindow(QWidget *parent = nullptr);

    QLineEdit *totalField() const { return m_total; }
    QLineEdit *countField() const { return m_count; }
    QPushButton *suggestButton() const { return m_suggest; }
    QPushButton *runTestButton() const { return m_runTest; }
    QPushButton *helpButton() const { return m_help; }
    QLabel *taskInfo() const { return m_taskInfo; }
    QLabel *leftInfo() const { return m_leftInfo; }
    QLabel *lastTestInfo() const { return m_lastTestInfo; }
    QLabel *thisTestInfo() const { return m_thisTestInfo; }

private:
    QLineEdit *m_total;
    QLineEdit *m_count;
    QPushButton *m_suggest;
    QPushButton *m_runTest;
    QPushButton *m_help;
    QLabel *m_taskInfo;
    QLabel *m_leftInfo;
    QLabel *m_lastTestInfo;
    QLabel *m_thisTestInfo;
};
