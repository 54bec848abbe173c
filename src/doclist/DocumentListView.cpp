#include "doclist/DocumentListView.h"

#include "doclist/DroppedFiles.h"
#include "doclist/EdgeScroll.h"
#include "platform/PathSeparator.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <utility>

namespace glyphmere::doclist {

namespace MousePointer = platform::MousePointer;

namespace {

constexpr const char* kDragImageName = "drag.ico";
constexpr const char* kAccessibleName = "Word files to change";
constexpr const char* kAccessibleHelp =
    " The run changes them from the top row down. Delete or a double-click removes the selected file; dragging a "
    "file moves it.";

// What a screen reader says of the list besides its name: how many rows it has, and what can be done.
QString rowsDescription(int rowCount)
{
    const QString count =
        rowCount == 1 ? QStringLiteral("1 file listed.") : QStringLiteral("%1 files listed.").arg(rowCount);
    return count + QString::fromLatin1(kAccessibleHelp);
}

// The pointer's position in the list's row area, as the handlers take it.
float pointerX(const QMouseEvent& event) { return static_cast<float>(event.position().x()); }

float pointerY(const QMouseEvent& event) { return static_cast<float>(event.position().y()); }

} // namespace

DocumentListView::DocumentListView(platform::PointerSetting& windowPointer, platform::FileSystem& fileSystem,
                                   std::string programFolder, QWidget* parent)
    : QTreeWidget(parent), ListItems(*this), m_windowPointer(windowPointer), m_fileSystem(fileSystem),
      m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("ListView1"));
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    // Qt's own scrolling near the edges would fight the reordering's edge scrolling.
    setAutoScroll(false);
    header()->setStretchLastSection(false);
    viewport()->setMouseTracking(true);
    setOLEDropMode(1);
    // On the press, so a gesture's item click comes before its moves over other rows.
    connect(this, &QAbstractItemView::pressed, this, &DocumentListView::ListView1_ItemClick);
    setAccessibleName(QString::fromLatin1(kAccessibleName));
    describeRows();
    connect(model(), &QAbstractItemModel::rowsInserted, this, &DocumentListView::describeRows);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &DocumentListView::describeRows);
    connect(model(), &QAbstractItemModel::modelReset, this, &DocumentListView::describeRows);
}

// The base class empties the model after this part is gone; the row count must not be described then.
DocumentListView::~DocumentListView() { model()->disconnect(this); }

void DocumentListView::setColumn(const QString& title, int widthPixels)
{
    setHeaderLabels({title});
    setColumnWidth(0, widthPixels);
}

std::optional<ListItem> DocumentListView::SelectedItem()
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return ListItem(*this, rows.front());
}

std::optional<ListItem> DocumentListView::HitTest(float x, float y)
{
    const QModelIndex row = indexAt(QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))));
    if (!row.isValid())
        return std::nullopt;
    return ListItem(*this, row);
}

std::optional<ListItem> DocumentListView::DraggedItem()
{
    // A removed row leaves the persistent index invalid, so it counts as none.
    if (!m_draggedItem.isValid())
        return std::nullopt;
    return ListItem(*this, m_draggedItem);
}

void DocumentListView::setMousePointer(int setting)
{
    m_mousePointer = setting;
    showPointer();
}

void DocumentListView::setMouseIcon(const QCursor& image)
{
    m_mouseIcon = image;
    showPointer();
}

void DocumentListView::setOLEDropMode(int mode)
{
    m_oleDropMode = mode;
    setAcceptDrops(mode != 0);
    viewport()->setAcceptDrops(mode != 0);
}

void DocumentListView::showPointer()
{
    if (m_windowPointer.mousePointer() == MousePointer::Hourglass)
        viewport()->setCursor(Qt::WaitCursor);
    else if (m_mousePointer == MousePointer::Custom && m_mouseIcon)
        viewport()->setCursor(*m_mouseIcon);
    else if (m_mousePointer == MousePointer::Custom || m_mousePointer == MousePointer::Arrow)
        viewport()->setCursor(Qt::ArrowCursor);
    else
        viewport()->unsetCursor();
}

void DocumentListView::mousePressEvent(QMouseEvent* event)
{
    ListView1_MouseDown(event->button(), event->modifiers(), pointerX(*event), pointerY(*event));
    QTreeWidget::mousePressEvent(event);
}

void DocumentListView::mouseMoveEvent(QMouseEvent* event)
{
    ListView1_MouseMove(event->buttons(), event->modifiers(), pointerX(*event), pointerY(*event));
    // The base class's drag-selection would move the selection away from the dragged row.
    if (!m_buttonHeld)
        QTreeWidget::mouseMoveEvent(event);
}

void DocumentListView::mouseReleaseEvent(QMouseEvent* event)
{
    ListView1_MouseUp(event->button(), event->modifiers(), pointerX(*event), pointerY(*event));
    QTreeWidget::mouseReleaseEvent(event);
}

void DocumentListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt delivers the second press of a double-click as this event alone.
    ListView1_MouseDown(event->button(), event->modifiers(), pointerX(*event), pointerY(*event));
    QTreeWidget::mouseDoubleClickEvent(event);
    // Only the left button's double-click removes a row; the others are presses like any other.
    if (event->button() == Qt::LeftButton)
        ListView1_DblClick();
}

void DocumentListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        ListView1_KeyDown(event->key(), event->modifiers());
        return;
    }
    const QPersistentModelIndex before = currentIndex();
    QTreeWidget::keyPressEvent(event);
    // Qt brings a new current row into view only with its own auto-scroll, which reordering keeps off.
    if (currentIndex() != before && currentIndex().isValid())
        scrollTo(currentIndex());
}

void DocumentListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeWidget::drawRow(painter, option, index);
    if (!hasFocus() || index != currentIndex())
        return;
    // The row that has the focus is outlined however the focus came, over a selected row too; the style
    // alone shows it only after a key press, and in the selection's own colour.
    const bool selected = selectionModel()->isSelected(index);
    painter->save();
    painter->setPen(QPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text), 1, Qt::DotLine));
    painter->drawRect(visualRect(index).adjusted(0, 0, -1, -1));
    painter->restore();
}

void DocumentListView::dragEnterEvent(QDragEnterEvent* event) { answerDragOver(*event); }

void DocumentListView::dragMoveEvent(QDragMoveEvent* event) { answerDragOver(*event); }

void DocumentListView::answerDragOver(QDragMoveEvent& event)
{
    Qt::DropAction effect = Qt::CopyAction;
    if (m_oleDropMode != 0)
        ListView1_OLEDragOver(*event.mimeData(), effect);
    if (m_oleDropMode == 0 || effect == Qt::IgnoreAction) {
        event.ignore();
        return;
    }
    event.setDropAction(effect);
    event.accept();
}

void DocumentListView::dropEvent(QDropEvent* event)
{
    if (m_oleDropMode == 0 || !droppedFilePaths(*event->mimeData())) {
        event->ignore();
        return;
    }
    ListView1_OLEDragDrop(*event->mimeData());
    // A copy leaves the source's files where they are.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DocumentListView::ListView1_ItemClick(const QModelIndex& /*item*/)
{
    setMousePointer(MousePointer::Custom);
    loadDragImage();
    // From the first item click on, the list accepts no dropped files until the program ends.
    setOLEDropMode(0);
    const std::optional<ListItem> selected = SelectedItem();
    m_draggedItem = selected ? selected->modelIndex() : QPersistentModelIndex();
}

void DocumentListView::ListView1_MouseDown(Qt::MouseButton /*button*/, Qt::KeyboardModifiers /*shift*/, float /*x*/,
                                           float /*y*/)
{
    m_buttonHeld = true;
}

void DocumentListView::ListView1_MouseMove(Qt::MouseButtons /*button*/, Qt::KeyboardModifiers /*shift*/, float x,
                                           float y)
{
    applyWindowPointerRule();
    if (!m_buttonHeld)
        return;
    std::optional<ListItem> underPointer = HitTest(x, y);
    std::optional<ListItem> dragged = DraggedItem();
    if (!underPointer || !dragged || dragged->Text() == underPointer->Text())
        return;
    const std::string keptText = dragged->Text();
    ListItems(dragged->Index()).setText(underPointer->Text());
    underPointer->setText(keptText);
    underPointer->setSelected();
    m_draggedItem = underPointer->modelIndex();
    scrollNearEdge(*underPointer, y);
}

void DocumentListView::ListView1_MouseUp(Qt::MouseButton /*button*/, Qt::KeyboardModifiers /*shift*/, float /*x*/,
                                         float /*y*/)
{
    m_buttonHeld = false;
    setMousePointer(MousePointer::Arrow);
}

void DocumentListView::ListView1_DblClick() { removeSelectedRows(); }

void DocumentListView::ListView1_KeyDown(int keyCode, Qt::KeyboardModifiers /*shift*/)
{
    if (keyCode == Qt::Key_Delete)
        removeSelectedRows();
}

void DocumentListView::removeSelectedRows()
{
    // With no selected row there is nothing to remove, and nothing is said. The bottom row goes first, so
    // the positions of the others still hold.
    std::vector<int> positions;
    for (const QModelIndex& row : selectionModel()->selectedRows())
        positions.push_back(row.row() + 1);
    std::sort(positions.rbegin(), positions.rend());
    for (const int position : positions)
        ListItems.Remove(position);
}

void DocumentListView::describeRows() { setAccessibleDescription(rowsDescription(ListItems.Count())); }

void DocumentListView::ListView1_OLEDragOver(const QMimeData& data, Qt::DropAction& effect)
{
    if (!droppedFilePaths(data))
        effect = Qt::IgnoreAction;
}

void DocumentListView::ListView1_OLEDragDrop(const QMimeData& data)
{
    for (const std::string& path : droppedFilePaths(data).value_or(std::vector<std::string>()))
        ListItems.Add(path);
}

void DocumentListView::applyWindowPointerRule()
{
    // The hourglass belongs to a long operation; every other window setting gives way over the list.
    if (m_windowPointer.mousePointer() != MousePointer::Hourglass)
        m_windowPointer.setMousePointer(MousePointer::Default);
    showPointer();
}

void DocumentListView::loadDragImage()
{
    // Read afresh at every item click; a missing or unreadable file keeps the image there was.
    const std::string path = m_programFolder + platform::kPathSeparator + kDragImageName;
    if (m_fileSystem.pathStatus(path).kind != platform::PathKind::RegularFile)
        return;
    const QPixmap image(QString::fromStdString(path));
    if (!image.isNull())
        setMouseIcon(QCursor(image));
}

void DocumentListView::scrollNearEdge(const ListItem& underPointer, float y)
{
    const int rowHeight = visualRect(underPointer.modelIndex()).height();
    const std::optional<int> row = edgeScrollRow(static_cast<int>(std::floor(y)), viewport()->height(), rowHeight,
                                                 underPointer.Index(), ListItems.Count());
    if (row)
        ListItems(*row).EnsureVisible();
}

} // namespace glyphmere::doclist
