#include "LoggerView.h"

#include "Logger.h"

LoggerView::LoggerView(QWidget *parent)
    : QWidget(parent)
{
}

Logger *LoggerView::ds() const
{
    return m_ds;
}

void LoggerView::setDs(Logger *dataSource)
{
    m_ds = dataSource;
}

void LoggerView::paintEvent(QPaintEvent *)
{
    // Nothing: no background is filled, so whatever lies behind shows.
}
