#pragma once

#include "doclist/ListItems.h"
#include "platform/FileSystem.h"
#include "platform/MousePointer.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QTreeWidget>

#include <optional>
#include <string>

class QMimeData;

namespace glyphmere::doclist {

// The document list "ListView1": a one-column report list whose rows are document paths, in processing
// order. It turns Qt's mouse and drag events into the list's handlers and keeps the drag state that
// reordering needs; the window owns it.
class DocumentListView final : public QTreeWidget {
    Q_OBJECT

public:
    // windowPointer is the window's pointer setting; programFolder holds the optional "drag.ico", which is
    // looked for through fileSystem.
    DocumentListView(platform::PointerSetting& windowPointer, platform::FileSystem& fileSystem,
                     std::string programFolder, QWidget* parent = nullptr);
    ~DocumentListView() override;

    ListItemCollection ListItems;

    void setColumn(const QString& title, int widthPixels);
    std::optional<ListItem> SelectedItem();
    std::optional<ListItem> HitTest(float x, float y);

    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int setting);
    void setMouseIcon(const QCursor& image);
    void setOLEDropMode(int mode);

    // Shows the pointer that governs over the list: the hourglass while the window shows it, the
    // list's own setting otherwise. The window calls it whenever it changes its own setting.
    void showPointer();

    // The drag state, for the window's tests.
    bool ButtonHeld() const { return m_buttonHeld; }
    std::optional<ListItem> DraggedItem();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ListView1_ItemClick(const QModelIndex& item);
    void ListView1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void ListView1_MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, float x, float y);
    void ListView1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void ListView1_DblClick();
    void ListView1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void ListView1_OLEDragOver(const QMimeData& data, Qt::DropAction& effect);
    void ListView1_OLEDragDrop(const QMimeData& data);

    void applyWindowPointerRule();
    void loadDragImage();
    void scrollNearEdge(const ListItem& underPointer, float y);
    void answerDragOver(QDragMoveEvent& event);
    void removeSelectedRows();
    void describeRows();

    platform::PointerSetting& m_windowPointer;
    platform::FileSystem& m_fileSystem;
    std::string m_programFolder;
    int m_mousePointer = platform::MousePointer::Default;
    std::optional<QCursor> m_mouseIcon;
    int m_oleDropMode = 1;
    bool m_buttonHeld = false;
    QPersistentModelIndex m_draggedItem;
};

} // namespace glyphmere::doclist
