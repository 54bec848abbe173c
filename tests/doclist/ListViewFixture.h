#pragma once

#include "doclist/DocumentListView.h"
#include "fakes/FakeServices.h"
#include "platform/posix/PosixFileSystem.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glyphmere::doclist {

// A shown list with rows, and a person's mouse gestures sent to its viewport.
class ListViewFixture : public ::testing::Test {
protected:
    ListViewFixture()
    {
        list.resize(400, 300);
        list.show();
    }

    void addRows(const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts)
            list.ListItems.Add(text);
    }

    std::vector<std::string> texts()
    {
        std::vector<std::string> result;
        for (int i = 1; i <= list.ListItems.Count(); ++i)
            result.push_back(list.ListItems(i).Text());
        return result;
    }

    QPoint centreOf(int position) { return list.visualRect(list.model()->index(position - 1, 0)).center(); }

    QPoint belowTheRows() { return QPoint(20, list.viewport()->height() - 5); }

    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(list.viewport(), button, Qt::NoModifier, at);
    }

    // QTest::mouseMove carries no buttons, so the moves are built here.
    void moveHeld(QPoint at, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent move(QEvent::MouseMove, at, list.viewport()->mapToGlobal(at), Qt::NoButton, buttons,
                         Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
    }

    void moveFree(QPoint at) { moveHeld(at, Qt::NoButton); }

    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(list.viewport(), button, Qt::NoModifier, at);
    }

    int selectedPosition()
    {
        const auto selected = list.SelectedItem();
        return selected ? selected->Index() : 0;
    }

    int draggedPosition()
    {
        const auto dragged = list.DraggedItem();
        return dragged ? dragged->Index() : 0;
    }

    fakes::FakePointer windowPointer;
    platform::posix::PosixFileSystem fileSystem;
    DocumentListView list{windowPointer, fileSystem, "/nonexistent"};
};

} // namespace glyphmere::doclist
