#include "SelfTaskListView.h"

#include "GoodsUrl.h"
#include "WindowMessages.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>

static void initOwnTaskPictures()
{
    Q_INIT_RESOURCE(owntasks_pictures);
}

namespace {

// Report-style grid lines between the cells.
class GridLineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

constexpr int kListIndexRole = Qt::UserRole;

} // namespace

const QList<QIcon> &SelfTaskListView::il_Status()
{
    static const QList<QIcon> pictures = [] {
        initOwnTaskPictures();
        QList<QIcon> icons;
        for (int i = 0; i < 4; ++i)
            icons.append(QIcon(QStringLiteral(":/owntasks/status-%1.png").arg(i)));
        return icons;
    }();
    return pictures;
}

SelfTaskListView::SelfTaskListView(QWidget *parent)
    : QTreeWidget(parent), m_openUrl([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("lv_Task"));
    setColumnCount(ColumnCount);
    setHeaderLabels({QStringLiteral("ID"), QStringLiteral("关键词"), QStringLiteral("宝贝地址"), QStringLiteral("流量"),
                     QStringLiteral("状态"), QStringLiteral("添加日期")});
    const int widths[ColumnCount] = {50, 140, 120, 170, 90, 140};
    for (int column = 0; column < ColumnCount; ++column)
        setColumnWidth(column, widths[column]);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(16, 16));
    setItemDelegate(new GridLineDelegate(this));

    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
    setPalette(buttonFace);

    const QList<QIcon> &pictures = il_Status();
    pm_Task = new QMenu(this);
    pm_Task->setObjectName(QStringLiteral("pm_Task"));
    act_RefreshSelfTaskList = pm_Task->addAction(QStringLiteral("刷新列表"));
    act_AddTask = pm_Task->addAction(pictures.at(3), QStringLiteral("添加任务"));
    pm_Task->addSeparator();
    act_DeleteTask = pm_Task->addAction(pictures.at(2), QStringLiteral("删除选中任务"));
    N_OpenGoodsURL = pm_Task->addAction(QStringLiteral("打开宝贝地址"));

    connect(act_RefreshSelfTaskList, &QAction::triggered, this,
            [this] { PostWindowMessage(window(), WM_RefreshSelfTaskList); });
    connect(act_AddTask, &QAction::triggered, this, &SelfTaskListView::addTaskRequested);
    connect(act_DeleteTask, &QAction::triggered, this, &SelfTaskListView::deleteTaskRequested);
    connect(N_OpenGoodsURL, &QAction::triggered, this, &SelfTaskListView::N_OpenGoodsURLClick);
}

void SelfTaskListView::clearRows(std::uint64_t listGeneration)
{
    clear();
    m_listGeneration = listGeneration;
}

void SelfTaskListView::appendRow(const TTaskInfo &record)
{
    const int position = topLevelItemCount();
    auto *item = new QTreeWidgetItem;
    item->setText(ColId, QString::number(position + 1));
    item->setData(ColId, kListIndexRole, position);
    const QList<QIcon> &pictures = il_Status();
    if (record.FStatus >= 0 && record.FStatus < pictures.size())
        item->setIcon(ColId, pictures.at(record.FStatus));
    item->setText(ColKeyword, record.FKeyword);
    item->setText(ColGoodsUrl, record.FgoodsURL);
    item->setText(ColClicks, QStringLiteral("总流量：%1 已完成：%2").arg(record.FTotalClickCount).arg(record.FHasClickCount));
    item->setText(ColStatus, record.FStatus == 1 ? QStringLiteral("正常") : QStringLiteral("异常"));
    item->setText(ColAddTime, record.FAddTime);
    addTopLevelItem(item);
}

std::optional<int> SelfTaskListView::selectedListIndex(std::uint64_t listGeneration) const
{
    if (listGeneration != m_listGeneration)
        return std::nullopt;
    const QList<QTreeWidgetItem *> selected = selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->data(ColId, kListIndexRole).toInt();
}

void SelfTaskListView::N_OpenGoodsURLClick()
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    if (selected.isEmpty())
        return;
    if (const std::optional<QUrl> url = GoodsUrlToOpen(selected.first()->text(ColGoodsUrl)))
        m_openUrl(*url);
}

void SelfTaskListView::setUrlOpener(std::function<void(const QUrl &)> openUrl)
{
    m_openUrl = std::move(openUrl);
}

void SelfTaskListView::contextMenuEvent(QContextMenuEvent *event)
{
    pm_Task->popup(event->globalPos());
}
