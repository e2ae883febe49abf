#include "AboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutBox::AboutBox(const QString &versionText, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(tr("About Kalvoren"));

    auto *name = new QLabel(QStringLiteral("Kalvoren"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);

    auto *version = new QLabel(versionText);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setAlignment(Qt::AlignCenter);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *blurb = new QLabel(tr("Shows how physical memory is used and reclaims inactive "
                                "memory on request."));
    blurb->setWordWrap(true);
    blurb->setAlignment(Qt::AlignCenter);

    auto *close = new QPushButton(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(blurb);
    layout->addWidget(close, 0, Qt::AlignCenter);
    setFixedWidth(300);
}
