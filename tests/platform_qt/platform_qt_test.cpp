#include "platform/qt/PointerImage.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/StandardRandom.h"
#include "platform/qt/Twips.h"
#include "support/TestDocuments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace glyphmere::platform::qt {
namespace {

TEST(QtSettingsStore, ValuesSurviveARestart)
{
    QTemporaryDir root;
    {
        QtSettingsStore firstRun(root.path());
        EXPECT_EQ(firstRun.saveSetting("Tarnwick", "Glyphmere", "Headers and Footers", "0"), std::nullopt);
        EXPECT_EQ(firstRun.saveSetting("Tarnwick", "Glyphmere", "Combo1", "New Times Roman"), std::nullopt);
    }
    QtSettingsStore nextRun(root.path());

    EXPECT_EQ(nextRun.getSetting("Tarnwick", "Glyphmere", "Headers and Footers", "1"), "0");
    EXPECT_EQ(nextRun.getSetting("Tarnwick", "Glyphmere", "Combo1", "Arial"), "New Times Roman");
    EXPECT_EQ(nextRun.getSetting("Tarnwick", "Glyphmere", "Combo2", "12"), "12");
    EXPECT_EQ(nextRun.getSetting("Tarnwick", "Other", "Combo1", "Arial"), "Arial");
    EXPECT_TRUE(QFile::exists(root.path() + "/Tarnwick/Tarnwick.ini"));
}

TEST(QtSettingsStore, TextsComeBackExactlyAsWritten)
{
    QTemporaryDir root;
    const char* const texts[] = {"10,5", " 12 ", "a;b=\"c\"", "#7", "", "Times\\New", "Schrift \xC3\xA4"};
    for (const char* text : texts) {
        ASSERT_EQ(QtSettingsStore(root.path()).saveSetting("Tarnwick", "Glyphmere", "Combo2", text), std::nullopt);
        EXPECT_EQ(QtSettingsStore(root.path()).getSetting("Tarnwick", "Glyphmere", "Combo2", "12"), text);
    }
}

TEST(QtSettingsStore, UnwritableStoreReportsTheFileAndGivesDefaults)
{
    QTemporaryDir root;
    // A plain file where the application's folder belongs: nothing can be written below it, even as root.
    QFile blocker(root.path() + "/Tarnwick");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtSettingsStore store(root.path());

    const auto failure = store.saveSetting("Tarnwick", "Glyphmere", "Combo2", "14");

    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("Tarnwick.ini"), std::string::npos) << *failure;
    EXPECT_EQ(store.getSetting("Tarnwick", "Glyphmere", "Combo2", "12"), "12");
}

TEST(QtFileFilter, PairsBecomeQtFilters)
{
    EXPECT_EQ(qtFileFilter("Word Documents|*.do*").toStdString(), "Word Documents (*.do*)");
    EXPECT_EQ(qtFileFilter("Word Documents (*.do*)|*.do*").toStdString(), "Word Documents (*.do*) (*.do*)");
    EXPECT_EQ(qtFileFilter("Word (*.doc;*.docx)|*.doc;*.docx|All Files|*.*").toStdString(),
              "Word (*.doc;*.docx) (*.doc *.docx);;All Files (*)");
    EXPECT_EQ(qtFileFilter("Word Documents (*.do*)|*.do*|All Files (*.*)|*.*").toStdString(),
              "Word Documents (*.do*) (*.do*);;All Files (*.*) (*)");
}

TEST(PointerImage, HandCursorKeepsItsHotspot)
{
    const auto hand = loadPointerImage(GLYPHMERE_RESOURCES "/HAND-M.CUR");
    ASSERT_TRUE(hand.has_value());
    EXPECT_EQ(hand->hotSpot(), QPoint(7, 1));
    EXPECT_EQ(hand->pixmap().size(), QSize(32, 32));

    EXPECT_TRUE(loadPointerImage(GLYPHMERE_RESOURCES "/drag.ico").has_value());
}

TEST(PointerImage, MissingOrUnreadableFileGivesNothing)
{
    const testing_support::TemporaryFolder folder;
    testing_support::writeFile(folder.file("HAND-M.CUR"), "this is not a cursor at all, only text");

    EXPECT_FALSE(loadPointerImage(QString::fromStdString(folder.file("HAND-M.CUR"))).has_value());
    EXPECT_FALSE(loadPointerImage(QString::fromStdString(folder.file("missing.cur"))).has_value());
}

TEST(QtWindowSystem, ScreenAndFolderFollowQt)
{
    QtWindowSystem windowSystem;
    const TwipSize screen = windowSystem.screenSize();

    EXPECT_GT(screen.width, 0);
    EXPECT_DOUBLE_EQ(screen.width / twipsPerPixel(), QGuiApplication::primaryScreen()->geometry().width());
    EXPECT_EQ(windowSystem.programFolder(),
              QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());
}

TEST(Twips, FifteenTwipsPerPixelAtStandardDpi)
{
    EXPECT_EQ(twipsToPixels(120, 120, 6375, 1575, 15.0), QRect(8, 8, 425, 105));
    EXPECT_EQ(twipsToPixels(-720, 15.0), -48);
}

TEST(StandardRandom, DrawsStayInTheUnitIntervalAndVary)
{
    StandardRandom random;
    random.seedFromTimeOfDay();
    std::set<double> seen;
    for (int i = 0; i < 1000; ++i) {
        const double r = random.next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        seen.insert(r);
    }
    EXPECT_GT(seen.size(), 900u);
}

} // namespace
} // namespace glyphmere::platform::qt
