#pragma once

#include "doclist/RowAppender.h"

#include <QPersistentModelIndex>

#include <string>

class QTreeWidget;

namespace glyphmere::doclist {

// One row of the document list, followed through insertions and removals above it. Positions count
// from 1.
class ListItem {
public:
    ListItem(QTreeWidget& list, const QPersistentModelIndex& row);

    std::string Text() const;
    void setText(const std::string& text); // in place: position and selection unchanged
    int Index() const;
    void setSelected(); // makes this the selected row
    void EnsureVisible();

    const QPersistentModelIndex& modelIndex() const { return m_row; }

private:
    QTreeWidget* m_list;
    QPersistentModelIndex m_row;
};

// The rows of the document list: appended only at the bottom, read by position from 1 to Count().
class ListItemCollection final : public RowAppender {
public:
    explicit ListItemCollection(QTreeWidget& list);

    void Add(const std::string& text) override;
    int Count() const;
    ListItem operator()(int position) const; // 1 <= position <= Count()
    void Remove(int position);

private:
    QTreeWidget& m_list;
};

} // namespace glyphmere::doclist
