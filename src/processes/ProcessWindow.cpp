#include "ProcessWindow.h"

#include "TopMonitor.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

using namespace Kalvoren;

namespace {

const char readingText[] = QT_TRANSLATE_NOOP("ProcessWindow", "Reading the process list...");

// Paints a cell as the style would for a plain line of text. The table repaints every visible
// row at each refresh; the style's general item painting (a text layout per cell, to place an
// icon, a check box and wrapped text these cells never have) and shaping each text anew cost
// several times the refresh itself. The texts repeat from one refresh to the next (pids, users,
// sizes, commands), so each is laid out once and kept.
class PlainTextDelegate : public QStyledItemDelegate
{
public:
    explicit PlainTextDelegate(QWidget *view)
        : QStyledItemDelegate(view)
        , m_margin(view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget *view = cell.widget;
        QStyle *style = view->style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, view);

        const QPalette::ColorGroup group = !(cell.state & QStyle::State_Enabled)
                ? QPalette::Disabled
                : cell.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
        const bool selected = cell.state & QStyle::State_Selected;
        painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText
                                                           : QPalette::Text));
        painter->setFont(cell.font);
        const QRect textRect = cell.rect.adjusted(m_margin, 0, -m_margin, 0);
        const QStaticText &text = laidOut(cell.text, cell.font, textRect.width(),
                                          cell.fontMetrics);
        const QSizeF size = text.size();
        const qreal x = cell.displayAlignment & Qt::AlignRight
                ? textRect.right() + 1 - size.width()
                : textRect.left();
        const qreal y = textRect.top() + (textRect.height() - size.height()) / 2;
        painter->drawStaticText(QPointF(x, y), text);

        if (cell.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(cell);
            focus.backgroundColor = cell.palette.color(group, selected ? QPalette::Highlight
                                                                       : QPalette::Window);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
        }
    }

private:
    // The text as it fits in width, elided at the right where it does not.
    const QStaticText &laidOut(const QString &text, const QFont &font, int width,
                               const QFontMetrics &metrics) const
    {
        if (font != m_font || m_texts.size() > 4096) {
            m_texts.clear();
            m_font = font;
        }
        const auto key = std::make_pair(text, width);
        auto found = m_texts.find(key);
        if (found == m_texts.end()) {
            QStaticText laid(metrics.elidedText(text, Qt::ElideRight, width));
            laid.setTextFormat(Qt::PlainText);
            laid.prepare(QTransform(), font);
            found = m_texts.insert(key, laid);
        }
        return *found;
    }

    int m_margin;
    mutable QFont m_font;
    mutable QHash<std::pair<QString, int>, QStaticText> m_texts;
};

bool askWithMessageBox(QWidget *parent, const QString &question, const QString &action)
{
    QMessageBox box(QMessageBox::Warning, ProcessWindow::tr("Kalvoren Processes"), question,
                    QMessageBox::NoButton, parent);
    QPushButton *goAhead = box.addButton(action, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QMessageBox::Cancel);
    // Enter or Escape without a look must not end a process.
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == goAhead;
}

} // namespace

ProcessWindow::ProcessWindow(TopMonitor *monitor, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_monitor(monitor)
    , m_filter(new QLineEdit(this))
    , m_kernelThreads(new QCheckBox(tr("Show kernel threads"), this))
    , m_table(new QTableView(this))
    , m_quit(new QPushButton(tr("Quit"), this))
    , m_forceQuit(new QPushButton(tr("Force Quit"), this))
    , m_status(new QLabel(this))
    , m_confirm(askWithMessageBox)
    , m_wayland(QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
{
    setWindowTitle(tr("Kalvoren Processes"));
    setObjectName(QStringLiteral("processWindow"));
    resize(640, 520);

    m_filter->setPlaceholderText(tr("Filter by command, user or pid"));
    m_filter->setClearButtonEnabled(true);
    m_kernelThreads->setChecked(monitor->showKernelThreads());

    m_table->setModel(monitor);
    // The monitor owns the selection so that it can follow the selected process by pid.
    m_table->setSelectionModel(monitor->selectionModel());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_table->setWordWrap(false);
    m_table->setItemDelegate(new PlainTextDelegate(m_table));
    m_table->verticalHeader()->hide();
    m_table->setAlternatingRowColors(true);
    m_table->setShowGrid(false);
    m_table->installEventFilter(this);

    // Fixed widths from the widest figures, not sized to the contents: measuring every row at
    // every refresh would cost more than the refresh, and columns would jitter.
    QHeaderView *header = m_table->horizontalHeader();
    const QString widest[TopMonitor::columnTotal] = { QStringLiteral("4194304"),
                                                      QStringLiteral("systemd-resolve"),
                                                      QStringLiteral("100.0"),
                                                      QStringLiteral("1023.9 MiB"), QString() };
    for (int column = 0; column + 1 < TopMonitor::columnTotal; ++column) {
        const QString title = monitor->headerData(column, Qt::Horizontal).toString();
        // Room for the sort arrow beside the title.
        const int width = std::max(m_table->fontMetrics().horizontalAdvance(widest[column]),
                                   header->fontMetrics().horizontalAdvance(title) + 16);
        header->resizeSection(column, width + 16);
    }
    header->setStretchLastSection(true);
    header->setSortIndicator(monitor->sortColumn(), monitor->sortOrder());
    m_table->setSortingEnabled(true);

    m_quit->setToolTip(tr("Ask the selected process's windows to close"));
    m_forceQuit->setToolTip(tr("Send the selected process the termination signal"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *filters = new QHBoxLayout;
    filters->addWidget(m_filter, 1);
    filters->addWidget(m_kernelThreads);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_quit);
    buttons->addWidget(m_forceQuit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(m_filter, &QLineEdit::textChanged, monitor, &TopMonitor::setFilterText);
    connect(m_kernelThreads, &QCheckBox::toggled, monitor, &TopMonitor::setShowKernelThreads);
    connect(m_quit, &QPushButton::clicked, this, &ProcessWindow::quitSelected);
    connect(m_forceQuit, &QPushButton::clicked, this, [this] { forceQuitSelected(QString()); });
    connect(monitor, &TopMonitor::statusMessage, m_status, &QLabel::setText);
    connect(monitor, &TopMonitor::selectedRowMoved, this, &ProcessWindow::keepOnScreen);
    connect(monitor, &TopMonitor::refreshed, this, [this] {
        if (m_status->text() == tr(readingText))
            m_status->clear();
    });
}

void ProcessWindow::quitSelected()
{
    if (!m_monitor)
        return;
    const QString pid = m_monitor->selectedPid();
    const QString command = m_monitor->selectedCommand();
    const ProcessActionResult result = m_monitor->onQuitProcess();
    if (result.status != ProcessActionStatus::NoWindow
        && result.status != ProcessActionStatus::Unavailable)
        return;
    // Nothing to ask politely: say why, and offer the other way in the same question.
    QString reason = result.status == ProcessActionStatus::NoWindow
            ? tr("\u201c%1\u201d (pid %2) shows no window that Kalvoren can ask to close.")
            : tr("Kalvoren cannot reach the windows of \u201c%1\u201d (pid %2): there is no "
                 "X display to ask them through.");
    reason = reason.arg(command, pid);
    if (m_wayland)
        reason += QLatin1Char(' ')
                + tr("Under Wayland, one program cannot close another's windows; Kalvoren "
                     "can ask only X11 programs (through Xwayland).");
    forceQuitSelected(reason);
}

void ProcessWindow::forceQuitSelected(const QString &reason)
{
    if (!m_monitor)
        return;
    const QString pid = m_monitor->selectedPid();
    if (pid.isEmpty()) {
        m_monitor->onForceQuitProcess(); // says why nothing happens
        return;
    }
    QString question = tr("Force quit \u201c%1\u201d (pid %2)? It is sent the termination "
                          "signal and may lose unsaved work.")
                               .arg(m_monitor->selectedCommand(), pid);
    if (!reason.isEmpty())
        question = reason + QStringLiteral("\n\n") + question;
    if (!m_confirm(this, question, tr("Force Quit")))
        return;
    // The answer may come after refreshes; the monitor acts on the process the question
    // named, or says that it has ended meanwhile.
    if (m_monitor)
        m_monitor->onForceQuitProcess();
}

void ProcessWindow::keepOnScreen(int from, int to)
{
    // Rows have one height, so where row `from` is drawn now is where the selected process
    // was drawn before the re-sort.
    const int was = m_table->rowViewportPosition(from);
    if (was < 0 || was >= m_table->viewport()->height())
        return; // it was not on the screen; nothing to keep
    m_table->doItemsLayout(); // the scroll range must already cover the new rows
    QScrollBar *bar = m_table->verticalScrollBar();
    bar->setValue(bar->value() + m_table->rowViewportPosition(to) - was);
}

bool ProcessWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && m_monitor) {
        if (event->type() == QEvent::Enter)
            m_monitor->setOrderFrozen(true);
        else if (event->type() == QEvent::Leave)
            m_monitor->setOrderFrozen(false);
    }
    return QWidget::eventFilter(watched, event);
}

void ProcessWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_monitor && !m_monitor->isRunning()) {
        m_status->setText(tr(readingText));
        m_monitor->start();
    }
}

void ProcessWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Closed (or minimized), nobody reads the table: no /proc scan every two seconds.
    if (m_monitor) {
        m_monitor->setOrderFrozen(false);
        m_monitor->stop();
    }
}
