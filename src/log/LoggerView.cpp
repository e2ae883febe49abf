#include "LoggerView.h"

#include "Logger.h"

#include <QPainterPath>

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

void LoggerView::moveTo(QPainterPath &path, int x, int y)
{
    path.moveTo(QPointF(qreal(x), qreal(y)));
}

void LoggerView::lineTo(QPainterPath &path, int x, int y)
{
    path.lineTo(QPointF(qreal(x), qreal(y)));
}

void LoggerView::paintEvent(QPaintEvent *)
{
    // Nothing: no background is filled, so whatever lies behind shows.
}
