#pragma once

#include <QWidget>

class QPushButton;

// What the benchmark measures and how to read its result.
class BenchmarkHelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BenchmarkHelpWindow(QWidget *parent = nullptr);

    QPushButton *closeButton() const { return m_close; }

private:
    QPushButton *m_close;
};
