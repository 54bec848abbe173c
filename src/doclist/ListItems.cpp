#include "doclist/ListItems.h"

#include <QTreeWidget>

namespace glyphmere::doclist {
namespace {

// A row whose tooltip is its whole path, whatever text it holds now: a long path is cut off by the column.
class DocumentRow final : public QTreeWidgetItem {
public:
    DocumentRow(QTreeWidget& list, const QString& path) : QTreeWidgetItem(&list, QStringList{path}) {}

    QVariant data(int column, int role) const override
    {
        return QTreeWidgetItem::data(column, role == Qt::ToolTipRole ? Qt::DisplayRole : role);
    }
};

} // namespace

ListItem::ListItem(QTreeWidget& list, const QPersistentModelIndex& row) : m_list(&list), m_row(row) {}

std::string ListItem::Text() const { return m_row.data().toString().toStdString(); }

void ListItem::setText(const std::string& text) { m_list->model()->setData(m_row, QString::fromStdString(text)); }

int ListItem::Index() const { return m_row.row() + 1; }

void ListItem::setSelected() { m_list->selectionModel()->setCurrentIndex(m_row, QItemSelectionModel::ClearAndSelect); }

void ListItem::EnsureVisible() { m_list->scrollTo(m_row, QAbstractItemView::EnsureVisible); }

ListItemCollection::ListItemCollection(QTreeWidget& list) : m_list(list) {}

void ListItemCollection::Add(const std::string& text) { new DocumentRow(m_list, QString::fromStdString(text)); }

int ListItemCollection::Count() const { return m_list.topLevelItemCount(); }

ListItem ListItemCollection::operator()(int position) const
{
    return ListItem(m_list, m_list.model()->index(position - 1, 0));
}

void ListItemCollection::Remove(int position) { delete m_list.takeTopLevelItem(position - 1); }

} // namespace glyphmere::doclist
