#include "analysis/ui/statistics_dialog.h"

#include "analysis/access_statistics.h"
#include "analysis/class_counts.h"
#include "analysis/drill_down_line.h"
#include "analysis/host_statistics.h"
#include "analysis/save_report_command.h"
#include "analysis/ui/shape_widget.h"
#include "core/log_list.h"
#include "core/user_prompts.h"
#include "core/work_failure.h"
#include "settings/settings.h"
#include "ui/icons.h"
#include "ui/twips.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QThread>
#include <QToolBar>

#include <limits>
#include <new>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

// What a window frame adds to the client area (borders and caption), in twips.
constexpr int kFrameWidthTwips = 120;
constexpr int kFrameHeightTwips = 405;

struct PageLook {
    QString caption;
    int width;  // outer, twips
    int height; // outer, twips
};

const PageLook& pageLook(StatisticsPage page)
{
    static const std::array<PageLook, 4> looks = {{
        {u"ブラウザ統計"_s, 5520, 4590},
        {u"プラットフォーム統計"_s, 4455, 3285},
        {u"アクセス状況統計"_s, 7375, 4965},
        {u"ホスト統計"_s, 4330, 4930},
    }};
    return looks[std::size_t(page)];
}

const QColor kOutline(63, 123, 184);
const std::array<QColor, kBrowserClassCount> kBarColours = {
    QColor(18, 128, 248), QColor(235, 223, 82), QColor(29, 226, 137), QColor(255, 255, 215)};

constexpr int kBarLeft = 960; // twips; also the axis
constexpr qint64 kTwipsPerCount = 20;

// Named like the indexed controls they are: same object name, the index as a property.
template <typename W> W* indexed(W* widget, const QString& name, int index)
{
    widget->setObjectName(name);
    widget->setProperty("index", index);
    return widget;
}

// Tab stops every eight average characters, as in the classic edit box.
void setTabStops(QPlainTextEdit* box)
{
    box->setTabStopDistance(8 * box->fontMetrics().averageCharWidth());
}

// A label whose text is wider than its place grows away from its aligned edge, so fonts wider
// than the design's never cut a name or a count short.
void fitText(QLabel* label)
{
    const int needed = label->sizeHint().width();
    if (needed <= label->width())
        return;
    QRect r = label->geometry();
    if (label->alignment() & Qt::AlignRight)
        r.setLeft(qMax(0, r.right() + 1 - needed));
    else
        r.setWidth(needed);
    label->setGeometry(r);
}

ClassTally tallyOf(const LogList& list, const RowSubset* shown)
{
    return shown ? countClasses(list, *shown)
                 : ClassTally{list.browserTally(), list.platformTally(), list.rowCount()};
}

} // namespace

StatisticsDialog::StatisticsDialog(StatisticsPage page, const LogList& list,
                                   const Settings& settings, UserPrompts& prompts,
                                   const Clock& clock, QWidget* parent, LongWorkRunner runner,
                                   const RowSubset* shown)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_page(page), m_settings(settings), m_prompts(prompts), m_clock(clock),
      m_userPlatforms(settings.Pratform), m_runner(std::move(runner))
{
    if (page == StatisticsPage::Browser || page == StatisticsPage::Platform) {
        const ClassTally tally = tallyOf(list, shown);
        m_browserTally = tally.browser;
        m_platformTally = tally.platform;
    }

    setObjectName(u"frmToolDlg"_s);
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_DeleteOnClose);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(u"tbrButtons"_s);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(false);
    QAction* save = m_toolBar->addAction(toolbarIcon(u"SAVE"_s), QString());
    save->setObjectName(u"SAVE"_s);
    save->setToolTip(u"レポートとして保存"_s);
    connect(save, &QAction::triggered, this, &StatisticsDialog::saveReport);

    m_darkLine = new QFrame(this);
    m_darkLine->setObjectName(u"linSeparatorDark"_s);
    m_lightLine = new QFrame(this);
    m_lightLine->setObjectName(u"linSeparatorLight"_s);
    for (QFrame* line : {m_darkLine, m_lightLine}) {
        line->setAutoFillBackground(true);
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window,
                     line == m_darkLine ? pal.color(QPalette::Dark) : pal.color(QPalette::Light));
        line->setPalette(pal);
    }

    m_close = new QPushButton(u"閉じる(&C)"_s, this);
    m_close->setObjectName(u"cmdClose"_s);
    m_close->setDefault(true);
    m_close->resize(twipsToPixelsX(this, 1215), twipsToPixelsY(this, 375));
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    m_pages = {buildBrowserPage(), buildPlatformPage(), buildReportPage(u"txtAccReport"_s),
               buildReportPage(u"txtHostReport"_s)};
    for (int i = 0; i < 4; ++i) {
        indexed(m_pages[std::size_t(i)], u"fraPage"_s, i);
        m_pages[std::size_t(i)]->hide();
    }
    m_pages[std::size_t(page)]->show();
    m_pages[std::size_t(page)]->raise();
    if (page == StatisticsPage::Access || page == StatisticsPage::Host) {
        m_reportBox = m_pages[std::size_t(page)]->findChild<QPlainTextEdit*>();
        m_reportBox->viewport()->installEventFilter(this);
    } else {
        m_pages[std::size_t(page)]->installEventFilter(this);
    }

    const PageLook& look = pageLook(page);
    setWindowTitle(shown ? look.caption + u" (フィルタ適用中)"_s : look.caption);
    m_outerWidthTwips = look.width;
    if (page == StatisticsPage::Browser) {
        for (qint64 count : m_browserTally) {
            const qint64 right = kBarLeft + kTwipsPerCount * count;
            if (right >= m_outerWidthTwips)
                m_outerWidthTwips = int(qMin<qint64>(right + 240, std::numeric_limits<int>::max()));
        }
    }
    placeOverOwner(m_outerWidthTwips, look.height);
    layoutControls();
}

QWidget* StatisticsDialog::buildBrowserPage()
{
    static const std::array<QString, kBrowserClassCount> names = {u"IE："_s, u"ネスケ："_s,
                                                                  u"WWWC："_s, u"その他："_s};
    auto* pageWidget = new QWidget(this);
    auto* axis = new ShapeWidget(kOutline, kOutline, pageWidget);
    axis->setObjectName(u"linAxis"_s);
    axis->setGeometry(twipsToPixelsX(this, kBarLeft), twipsToPixelsY(this, 240), 1,
                      twipsToPixelsY(this, 3360 - 240));
    const bool shown = m_page == StatisticsPage::Browser;
    for (int i = 0; i < kBrowserClassCount; ++i) {
        const qint64 count = shown ? m_browserTally[std::size_t(i)] : 0;
        auto* name = indexed(new QLabel(names[std::size_t(i)], pageWidget), u"lblBrows"_s, i);
        name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        name->setGeometry(twipsToPixelsX(this, 120), twipsToPixelsY(this, 600 + 720 * i),
                          twipsToPixelsX(this, 735), twipsToPixelsY(this, 255));

        auto* bar = indexed(new ShapeWidget(kBarColours[std::size_t(i)], kOutline, pageWidget),
                            u"shpGraph"_s, i);
        // A bar longer than the window is clipped at its edge anyway.
        const int width = int(
            qMin<double>(twipsToPixelsX(this, double(kTwipsPerCount * count)), QWIDGETSIZE_MAX));
        bar->setGeometry(twipsToPixelsX(this, kBarLeft), twipsToPixelsY(this, 480 + 720 * i), width,
                         twipsToPixelsY(this, 495));

        auto* length = indexed(new QLabel(QString::number(count), pageWidget), u"lblLength"_s, i);
        length->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        length->setGeometry(twipsToPixelsX(this, 1080), twipsToPixelsY(this, 600 + 720 * i),
                            twipsToPixelsX(this, 495), twipsToPixelsY(this, 255));
        fitText(name);
        fitText(length);
        length->raise();
    }
    return pageWidget;
}

QWidget* StatisticsDialog::buildPlatformPage()
{
    static const std::array<QString, kPlatformClassCount> names = {
        u"Windows 95："_s,    u"Windows 98："_s,       u"Windows CE："_s,     u"Windows NT："_s,
        u"Windows 2000："_s,  u"Power Mac："_s,        u"68K Mac："_s,        u"WWWC："_s,
        u"UNIX系："_s,        u"ドリームキャスト："_s, u"DoCoMo iモード："_s, u"ReGet："_s,
        u"ユーザー追加1："_s, u"ユーザー追加2："_s,    u"ユーザー追加3："_s,  u"その他："_s};
    auto* pageWidget = new QWidget(this);
    const bool shown = m_page == StatisticsPage::Platform;
    for (int i = 0; i < kPlatformClassCount; ++i) {
        const int column = i / 8;
        const int top = 120 + 240 * (i % 8);
        auto* name = indexed(new QLabel(names[std::size_t(i)], pageWidget), u"lblPName"_s, i);
        name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        name->setGeometry(twipsToPixelsX(this, column ? 2160 : 120), twipsToPixelsY(this, top),
                          twipsToPixelsX(this, 1335), twipsToPixelsY(this, 255));
        auto* count = indexed(
            new QLabel(QString::number(shown ? m_platformTally[std::size_t(i)] : 0), pageWidget),
            u"lvlPCnt"_s, i);
        count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        count->setGeometry(twipsToPixelsX(this, column ? 3480 : 1440), twipsToPixelsY(this, top),
                           twipsToPixelsX(this, 375), twipsToPixelsY(this, 255));

        const int slot = i - int(PlatformClass::User1);
        if (slot >= 0 && slot < 3) {
            const QString& user = m_userPlatforms[std::size_t(slot)];
            if (user.isEmpty()) {
                name->clear();
                count->clear();
            } else {
                name->setText(user + u"："_s);
            }
        }
        fitText(name);
        fitText(count);
    }
    return pageWidget;
}

QWidget* StatisticsDialog::buildReportPage(const QString& boxName)
{
    auto* pageWidget = new QWidget(this);
    auto* box = new QPlainTextEdit(pageWidget);
    box->setObjectName(boxName);
    box->setReadOnly(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabStops(box);
    box->move(0, 0);
    return pageWidget;
}

void StatisticsDialog::setReport(ReportText report, std::vector<DrillEntry> entries, int aLogMax)
{
    m_reportEntries = std::move(entries);
    m_aLogMax = aLogMax;
    m_reportText = std::move(report.utf8);
    // Every line one block unless the text breaks some of them further.
    m_blocksAreLines = report.shown && report.shown->blockCount() == m_reportText.count("\r\n") + 1;
    if (m_reportBox && report.shown) {
        QTextDocument* shown = report.shown.release();
        m_reportBox->setDocument(shown);
        shown->setParent(m_reportBox);
        setTabStops(m_reportBox); // they belong to the document
    }
}

void StatisticsDialog::placeOverOwner(int outerWidthTwips, int outerHeightTwips)
{
    int width = twipsToPixelsX(this, double(outerWidthTwips) - kFrameWidthTwips);
    const int height = twipsToPixelsY(this, double(outerHeightTwips) - kFrameHeightTwips);
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const int frameWidth = twipsToPixelsX(this, kFrameWidthTwips);
    // Never wider than the screen: the window may be widened for long bars only up to its edge.
    if (area.isValid() && width + frameWidth > area.width())
        width = qMax(0, area.width() - frameWidth);
    resize(width, height);

    QPoint topLeft =
        owner ? owner->frameGeometry().center() - rect().center() : area.center() - rect().center();
    if (area.isValid()) {
        topLeft.setX(
            qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - width - frameWidth)));
        topLeft.setY(qMax(area.top(), topLeft.y()));
    }
    move(topLeft);
}

void StatisticsDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutControls();
}

void StatisticsDialog::layoutControls()
{
    const int w = width();
    const int h = height();
    const int darkY = h - twipsToPixelsY(this, 540);
    m_darkLine->setGeometry(0, qMax(0, darkY), w, 1);
    m_lightLine->setGeometry(0, qMax(0, h - twipsToPixelsY(this, 520)), w, 1);
    m_close->move(qMax(0, w - twipsToPixelsX(this, 1290)), qMax(0, h - twipsToPixelsY(this, 420)));

    QWidget* visible = m_pages[std::size_t(m_page)];
    visible->setGeometry(0, 0, w, qMax(0, darkY - twipsToPixelsY(this, 40)));
    if (m_reportBox)
        m_reportBox->resize(visible->size());

    m_toolBar->setGeometry(0, qMax(0, h - twipsToPixelsY(this, 420)), m_toolBar->sizeHint().width(),
                           m_toolBar->sizeHint().height());
}

QByteArray StatisticsDialog::reportBody() const
{
    switch (m_page) {
    case StatisticsPage::Browser:
        return browserReportBody(m_browserTally).toUtf8();
    case StatisticsPage::Platform:
        return platformReportBody(
                   m_platformTally,
                   UserPlatforms(QStringList(m_userPlatforms.begin(), m_userPlatforms.end())))
            .toUtf8();
    case StatisticsPage::Access:
    case StatisticsPage::Host:
        break;
    }
    return m_reportText;
}

std::optional<DrillDown> StatisticsDialog::entryAt(const QWidget* where, QPoint pos) const
{
    if (m_reportBox && where == m_reportBox->viewport()) {
        const QTextCursor cursor = m_reportBox->cursorForPosition(pos);
        const QRect line = m_reportBox->cursorRect(cursor);
        if (pos.y() < line.top() || pos.y() > line.bottom())
            return std::nullopt; // below the text
        const qsizetype block = cursor.blockNumber();
        const qsizetype reportLine =
            m_blocksAreLines ? block : reportLineOfBlock(QByteArrayView(m_reportText), block);
        if (reportLine < 0)
            return std::nullopt;
        return m_page == StatisticsPage::Access
                   ? accessReportEntryAt(m_reportEntries, m_aLogMax, reportLine)
                   : hostReportEntryAt(m_reportEntries, reportLine);
    }
    if (where != m_pages[std::size_t(m_page)])
        return std::nullopt;
    if (m_page == StatisticsPage::Browser) {
        // A row is the band of its bar and label.
        for (int i = 0; i < kBrowserClassCount; ++i) {
            if (pos.y() >= twipsToPixelsY(this, 360 + 720 * i) &&
                pos.y() < twipsToPixelsY(this, 1080 + 720 * i))
                return DrillDown::browser(BrowserClass(i));
        }
        return std::nullopt;
    }
    const QWidget* control = where->childAt(pos);
    if (m_page != StatisticsPage::Platform || !control || !control->property("index").isValid())
        return std::nullopt;
    const int i = control->property("index").toInt();
    const int slot = i - int(PlatformClass::User1);
    if (slot >= 0 && slot < 3 && m_userPlatforms[std::size_t(slot)].isEmpty())
        return std::nullopt; // an unset slot shows nothing
    return DrillDown::platform(PlatformClass(i), UserPlatforms(QStringList(m_userPlatforms.begin(),
                                                                           m_userPlatforms.end())));
}

QMenu* StatisticsDialog::makeContextMenu(QWidget* where, QPoint pos)
{
    QMenu* menu = m_reportBox && where == m_reportBox->viewport()
                      ? m_reportBox->createStandardContextMenu(pos)
                      : new QMenu;
    if (const std::optional<DrillDown> entry = entryAt(where, pos)) {
        if (!menu->isEmpty())
            menu->addSeparator();
        QAction* narrow = menu->addAction(u"この項目で絞り込む"_s);
        narrow->setObjectName(u"actDrillDown"_s);
        connect(narrow, &QAction::triggered, this, [this, drill = *entry] { drillDown(drill); });
    }
    return menu;
}

void StatisticsDialog::drillDown(const DrillDown& entry)
{
    emit drillDownRequested(FilterCondition::drillDown(entry));
}

bool StatisticsDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* where = qobject_cast<QWidget*>(watched);
    if (where && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            if (const std::optional<DrillDown> entry = entryAt(where, mouse->position().toPoint()))
                drillDown(*entry);
        }
    } else if (where && event->type() == QEvent::ContextMenu) {
        const auto* request = static_cast<QContextMenuEvent*>(event);
        QMenu* menu = makeContextMenu(where, request->pos());
        if (menu->isEmpty()) {
            delete menu;
        } else {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(request->globalPos());
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void StatisticsDialog::saveReport()
{
    runSaveReport(m_page, QByteArrayView(reportBody()), m_settings.InitDir, m_prompts, m_clock,
                  m_runner);
}

StatisticsDialog* showStatisticsDialog(StatisticsPage page, const LogList& list,
                                       const Settings& settings, UserPrompts& prompts,
                                       const Clock& clock, QWidget* owner,
                                       const LongWorkRunner& runner, const RowSubset* shown)
{
    ReportText report;
    std::vector<DrillEntry> entries;
    const int aLogMax = settings.ALogMax;
    if (page == StatisticsPage::Access || page == StatisticsPage::Host) {
        QThread* const windowThread = QThread::currentThread();
        const RowSubset rows = shown ? *shown : RowSubset();
        const bool made = runReportingFailure(prompts, [&] {
            runLongWork(runner, [&] {
                report = makeReportText(
                    [&](const ReportSink& sink) {
                        if (page == StatisticsPage::Access)
                            writeAccessStatistics(list, aLogMax, sink, rows);
                        else
                            writeHostStatistics(list, sink, rows);
                    },
                    windowThread);
                // Only the pages the report lists can be double-clicked.
                entries = page == StatisticsPage::Access
                              ? drillEntries(DrillStatistic::PreviousPage, list, rows,
                                             listedPageCount(aLogMax, std::size_t(-1)))
                              : drillEntries(DrillStatistic::HostDomain, list, rows);
            });
        });
        if (!made)
            return nullptr;
    }
    auto* dialog = new StatisticsDialog(page, list, settings, prompts, clock, owner, runner, shown);
    if (report.shown)
        dialog->setReport(std::move(report), std::move(entries), aLogMax);
    dialog->show();
    return dialog;
}

} // namespace tw
