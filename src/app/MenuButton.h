#pragma once

#include <QPointer>
#include <QPushButton>

#include <QMenu>

// A button that pops up its menu instead of acting as a button. Every time, before the menu
// shows, item 0 is titled "Kalvoren", whatever changed it in between.
class MenuButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MenuButton(QWidget *parent = nullptr);

    // The menu to pop up; not owned (the tray icon shows the same menu).
    void setPopupMenu(QMenu *menu) { m_menu = menu; }
    QMenu *popupMenu() const { return m_menu; }

    // Titles item 0 and pops the menu up at globalPos without waiting for it to close.
    void popUpMenu(const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<QMenu> m_menu;
};
