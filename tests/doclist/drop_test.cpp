#include "ListViewFixture.h"

#include "doclist/DroppedFiles.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace glyphmere::doclist {
namespace {

using Texts = std::vector<std::string>;

class DropTest : public ListViewFixture {
protected:
    static std::unique_ptr<QMimeData> filesData(const std::vector<std::string>& paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
        data->setUrls(urls);
        return data;
    }

    // The answer to a drag entering the list over its top row.
    bool dragEnterAccepted(const QMimeData& data)
    {
        QDragEnterEvent enter(centreOf(1), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &enter);
        lastAction = enter.dropAction();
        return enter.isAccepted();
    }

    bool dropAccepted(const QMimeData& data)
    {
        QDropEvent drop(QPointF(centreOf(1)), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &drop);
        lastAction = drop.dropAction();
        return drop.isAccepted();
    }

    Qt::DropAction lastAction = Qt::IgnoreAction;
};

TEST_F(DropTest, DroppedFiles_AreAppendedAtTheBottomInTheirOrder)
{
    addRows({"/d/X.doc"});
    const auto data = filesData({"/d/A.doc", "/e/B.txt", "/d/X.doc", "/d/folder"});

    EXPECT_TRUE(dragEnterAccepted(*data));
    EXPECT_EQ(lastAction, Qt::CopyAction);
    EXPECT_TRUE(dropAccepted(*data));
    EXPECT_EQ(lastAction, Qt::CopyAction);
    EXPECT_EQ(texts(), (Texts{"/d/X.doc", "/d/A.doc", "/e/B.txt", "/d/X.doc", "/d/folder"}));
}

// Where the system writes paths with "\\", a dropped path reaches the list in that form too.
TEST(DroppedFilePaths, TakeTheSystemsSeparator)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/ann/My Documents/a.docx")),
                  QUrl(QStringLiteral("file://server/share/b.docx"))});

    EXPECT_EQ(droppedFilePaths(data, '\\'), (Texts{"\\home\\ann\\My Documents\\a.docx", "\\\\server\\share\\b.docx"}));
    EXPECT_EQ(droppedFilePaths(data, '/'), (Texts{"/home/ann/My Documents/a.docx", "//server/share/b.docx"}));
}

TEST_F(DropTest, DataWithoutLocalFiles_IsRefused)
{
    QMimeData text;
    text.setText("selected words");
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.doc")});

    for (const QMimeData* data : {&text, &web}) {
        EXPECT_FALSE(dragEnterAccepted(*data));
        EXPECT_FALSE(dropAccepted(*data));
    }
    EXPECT_EQ(list.ListItems.Count(), 0);
}

TEST_F(DropTest, AfterAnItemClick_NothingIsAcceptedAgain)
{
    addRows({"/d/X.doc"});
    press(centreOf(1));
    release(centreOf(1));
    const auto data = filesData({"/d/A.doc"});

    EXPECT_FALSE(dragEnterAccepted(*data));
    EXPECT_FALSE(dropAccepted(*data));
    EXPECT_EQ(texts(), (Texts{"/d/X.doc"}));
    EXPECT_FALSE(list.viewport()->acceptDrops());
}

} // namespace
} // namespace glyphmere::doclist
