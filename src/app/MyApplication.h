#pragma once

#include <QApplication>

class AppController;

// The application object. Its delegate is the AppController.
class MyApplication : public QApplication
{
    Q_OBJECT

public:
    MyApplication(int &argc, char **argv);

    AppController *delegate() const { return m_delegate; }
    void setDelegate(AppController *controller) { m_delegate = controller; }

private:
    AppController *m_delegate = nullptr;
};
