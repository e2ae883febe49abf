#pragma once

#include <QWidget>

// The About window: the program's name and version.
class AboutBox : public QWidget
{
    Q_OBJECT

public:
    // versionText is shown as it stands, e.g. "Version 3.5.0".
    explicit AboutBox(const QString &versionText, QWidget *parent = nullptr);
};
