#pragma once

#include <QPointer>
#include <QWidget>

class Logger;

// The log window's chart area. It keeps its data source but draws nothing of its own: the
// window's background shows through, and the log is read from the table.
class LoggerView : public QWidget
{
    Q_OBJECT

public:
    explicit LoggerView(QWidget *parent = nullptr);

    Logger *ds() const;
    void setDs(Logger *dataSource);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<Logger> m_ds;
};
