#pragma once

#include <QWidget>

// The About window: the program's icon, name, version and licence, with links to the licence
// and to the installed documentation.
class AboutBox : public QWidget
{
    Q_OBJECT

public:
    // versionText is shown as it stands, e.g. "Version 3.5.0".
    explicit AboutBox(const QString &versionText, QWidget *parent = nullptr);
};
