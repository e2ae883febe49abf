#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;
class TopMonitor;

// The process window: the monitor's table, largest resident memory first, Quit and Force Quit
// for the selected process, and a status line that says what each action did. The monitor's
// worker runs only while the window is shown, so a closed window costs nothing.
class ProcessWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ProcessWindow(TopMonitor *monitor, QWidget *parent = nullptr);

    QTableView *theTableView() const { return m_table; }
    QPushButton *quitButton() const { return m_quit; }
    QPushButton *forceQuitButton() const { return m_forceQuit; }
    QLabel *statusLine() const { return m_status; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QPointer<TopMonitor> m_monitor;
    QTableView *m_table;
    QPushButton *m_quit;
    QPushButton *m_forceQuit;
    QLabel *m_status;
};
