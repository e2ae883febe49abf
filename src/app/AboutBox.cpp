#include "AboutBox.h"

#include "AppIcon.h"
#include "ContactLinks.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// A link the desktop opens in its browser or file manager.
QLabel *linkLabel(const QString &html)
{
    auto *label = new QLabel(html);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

AboutBox::AboutBox(const QString &versionText, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(tr("About Kalvoren"));

    // Kalvoren's own icon, not the window icon, which may be showing the memory pie.
    auto *icon = new QLabel;
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(Kalvoren::applicationIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);

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

    QLabel *licence = linkLabel(
            tr("Free software under the <a href=\"%1\">GNU General Public License</a>, "
               "version 3 or later.")
                    .arg(QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html")));
    licence->setObjectName(QStringLiteral("licenceLabel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(blurb);
    layout->addWidget(licence);
    // The installed README, copyright and changelog; a build tree has none to show.
    const QString documentation = Kalvoren::installedDocumentationDir();
    if (QFileInfo(documentation).isDir()) {
        QLabel *docs = linkLabel(tr("<a href=\"%1\">Documentation</a>")
                                         .arg(QUrl::fromLocalFile(documentation).toString()));
        docs->setObjectName(QStringLiteral("documentationLabel"));
        layout->addWidget(docs);
    }

    auto *close = new QPushButton(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignCenter);
    setFixedWidth(300);
}
