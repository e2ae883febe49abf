#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The drop-down panel: the pie, the four figures and the total, the optimize button and its
// progress bar.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    QWidget *statsView() const { return m_statsView; }
    QPushButton *mainButton() const { return m_mainButton; }
    QProgressBar *progress() const { return m_progress; }
    QLabel *freeInfo() const { return m_freeInfo; }
    QLabel *inactiveInfo() const { return m_inactiveInfo; }
    QLabel *wiredInfo() const { return m_wiredInfo; }
    QLabel *activeInfo() const { return m_activeInfo; }
    QLabel *ramView() const { return m_ramView; }

signals:
    // The window's close control was used.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_statsView;
    QPushButton *m_mainButton;
    QProgressBar *m_progress;
    QLabel *m_freeInfo;
    QLabel *m_inactiveInfo;
    QLabel *m_wiredInfo;
    QLabel *m_activeInfo;
    QLabel *m_ramView;
};
