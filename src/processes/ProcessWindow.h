#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TopMonitor;

// The process window: the monitor's table (PID, user, CPU %, resident size, command; largest
// resident size first, any column sortable), a filter field, a check box for kernel threads,
// Quit and Force Quit for the selected process, and a status line that says what each action
// did. The monitor's worker runs only while the window is shown, so a closed window costs
// nothing.
//
// Rows stay put under the user's hand: the order is frozen while the pointer is over the table,
// and when a re-sort moves the selected process, the table scrolls with it so that it keeps its
// place on the screen.
class ProcessWindow : public QWidget
{
    Q_OBJECT

public:
    // Asks the user whether to go ahead with an action: the question names the process, and
    // the action is the text of the button that goes ahead. True to go ahead.
    using Confirmation =
            std::function<bool(QWidget *parent, const QString &question, const QString &action)>;

    explicit ProcessWindow(TopMonitor *monitor, QWidget *parent = nullptr);

    QTableView *theTableView() const { return m_table; }
    QLineEdit *filterField() const { return m_filter; }
    QCheckBox *kernelThreadsBox() const { return m_kernelThreads; }
    QPushButton *quitButton() const { return m_quit; }
    QPushButton *forceQuitButton() const { return m_forceQuit; }
    QLabel *statusLine() const { return m_status; }

    // By default a message box on the main thread.
    void setConfirmation(Confirmation confirmation) { m_confirm = std::move(confirmation); }
    // Under Wayland one program cannot ask another's windows to close; Quit's answer says so.
    // Taken from the running Qt platform; tests set it.
    void setWaylandSession(bool wayland) { m_wayland = wayland; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void quitSelected();
    void forceQuitSelected(const QString &reason);
    void keepOnScreen(int from, int to);

    QPointer<TopMonitor> m_monitor;
    QLineEdit *m_filter;
    QCheckBox *m_kernelThreads;
    QTableView *m_table;
    QPushButton *m_quit;
    QPushButton *m_forceQuit;
    QLabel *m_status;
    Confirmation m_confirm;
    bool m_wayland = false;
};
