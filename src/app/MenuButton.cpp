#include "MenuButton.h"

#include "StatusMenu.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

MenuButton::MenuButton(QWidget *parent)
    : QPushButton(parent)
{
    setObjectName(QStringLiteral("menuButton"));
}

void MenuButton::popUpMenu(const QPoint &globalPos)
{
    if (!m_menu)
        return;
    Kalvoren::titleFirstItem(m_menu);
    m_menu->popup(globalPos);
}

void MenuButton::mousePressEvent(QMouseEvent *event)
{
    // No pressed look, no clicked signal: a press only opens the menu where it happened.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    popUpMenu(event->globalPosition().toPoint());
}

void MenuButton::keyPressEvent(QKeyEvent *event)
{
    // Keyboard users open the menu too, under the button.
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        event->accept();
        popUpMenu(mapToGlobal(rect().bottomLeft()));
        return;
    default:
        QPushButton::keyPressEvent(event);
    }
}
