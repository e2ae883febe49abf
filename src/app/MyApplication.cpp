#include "MyApplication.h"

MyApplication::MyApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Kalvoren"));
    setOrganizationName(QStringLiteral("Kalvoren"));
    setApplicationVersion(QStringLiteral(KALVOREN_VERSION));
    setQuitOnLastWindowClosed(false);
}
