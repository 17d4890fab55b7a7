// The layout pass: the worked example, the minimum size and how the controls follow a resize.
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QToolBar>
#include <QTreeWidget>

#include "GuiTest.h"
#include "app/CommandLayer.h"
#include "app/MainLayout.h"
#include "app/StatusBar.h"

using namespace kr39;
using namespace kr39::test;

namespace {

TEST(MainLayout, WorkedExample)
{
    const auto layout = ComputeMainLayout({13605, 10110, 420, 270, 900, 600});
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->Catalog, (TwipsRect {120, 480, 4425, 9320}));
    EXPECT_EQ(layout->Station, (TwipsRect {4695, 480, 8775, 9320}));
    EXPECT_EQ(layout->BoxProgress, (TwipsRect {9760, 9880, 1995, 195}));
    EXPECT_EQ(layout->StationProgress, (TwipsRect {7665, 9880, 1995, 195}));
    // Tree and station view end 40 above the status bar; the gap between them is 150.
    EXPECT_EQ(layout->Catalog.Top + layout->Catalog.Height, 10110 - 270 - 40);
    EXPECT_EQ(layout->Station.Left - (layout->Catalog.Left + layout->Catalog.Width), 150);
}

TEST(MainLayout, FollowsBarHeightsAndStopsOnNegativeSizes)
{
    EXPECT_EQ(MinimumClientHeight(420, 270), 9925 + 690);
    EXPECT_EQ(MinimumClientHeight(600, 300), 9925 + 900);
    const auto taller = ComputeMainLayout({13605, 10110, 600, 270, 900, 600});
    ASSERT_TRUE(taller);
    EXPECT_EQ(taller->Catalog.Height, 9140);
    EXPECT_FALSE(ComputeMainLayout({9000, 10110, 420, 270, 900, 600}));
    EXPECT_FALSE(ComputeMainLayout({13605, 600, 420, 270, 900, 600}));
}

class WindowLayout : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = LoadedWindow();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QRect Geometry(const char* name) { return window->findChild<QWidget*>(QLatin1String(name))->geometry(); }
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowLayout, KeepsTheMinimumSize)
{
    window->resize(300, 200);
    const int fixedParts = window->menuBar()->height() + window->Commands()->tbToolBar->height()
        + window->sbStatusBar()->height();
    EXPECT_EQ(window->width(), 909);
    EXPECT_EQ(window->height(), fixedParts + 662);
    EXPECT_EQ(window->Commands()->tbToolBar->height(), 28);
}

TEST_F(WindowLayout, PlacesTheControlsAsTheWorkedExampleDoes)
{
    window->resize(907, 800);
    window->resize(1000, 800);
    const int menu = window->menuBar()->height();
    const QRect tree = Geometry("tvCatalog");
    const QRect view = Geometry("picVexaConf");
    EXPECT_EQ(tree.topLeft(), QPoint(8, menu + 32));
    EXPECT_EQ(view.top(), tree.top());
    EXPECT_EQ(view.width(), 585);
    EXPECT_EQ(view.height(), tree.height());
    EXPECT_EQ(view.left() - tree.right() - 1, 10); // 150 twips
    EXPECT_EQ(window->width() - view.right() - 1, 9); // 135 twips
    const int statusTop = window->height() - window->sbStatusBar()->height();
    EXPECT_NEAR(statusTop - tree.bottom() - 1, 40 / 15.0, 1);

    // Wider: only the tree grows; the view keeps its width and moves right.
    window->resize(1100, 800);
    EXPECT_EQ(Geometry("tvCatalog").width(), tree.width() + 100);
    EXPECT_EQ(Geometry("picVexaConf").left(), view.left() + 100);
    EXPECT_EQ(Geometry("picVexaConf").width(), 585);

    // Higher: tree and view grow, the progress bars move down with the status bar.
    const QRect box = Geometry("pbBox");
    const QRect station = Geometry("pbStation");
    window->resize(1100, 850);
    EXPECT_EQ(Geometry("tvCatalog").height(), tree.height() + 50);
    EXPECT_EQ(Geometry("picVexaConf").height(), tree.height() + 50);
    EXPECT_EQ(Geometry("pbBox").top(), box.top() + 50);
    EXPECT_EQ(Geometry("pbStation").top(), station.top() + 50);

    // Progress bars lie in the status bar strip, pbStation 100 twips left of pbBox.
    const QRect bar = window->sbStatusBar()->geometry();
    EXPECT_TRUE(bar.contains(Geometry("pbBox")));
    EXPECT_EQ(Geometry("pbBox").left() - Geometry("pbStation").right() - 1, 7);
    // pbBox ends 350 twips before the date panel, so date and time stay readable.
    const int dateLeft = window->sbStatusBar()->Panel(4)->mapTo(window.get(), QPoint(0, 0)).x();
    EXPECT_NEAR(dateLeft - Geometry("pbBox").right() - 1, 350 / 15.0, 1);
}

TEST_F(WindowLayout, MinimizingChangesNoControl)
{
    const QRect tree = Geometry("tvCatalog");
    window->showMinimized();
    window->LayoutPass();
    EXPECT_EQ(Geometry("tvCatalog"), tree);
}

TEST_F(WindowLayout, StatusBarKeepsDateAndTimeCurrent)
{
    StatusBar* bar = window->sbStatusBar();
    bar->ShowClock(QDateTime(QDate(2001, 2, 3), QTime(4, 5)));
    EXPECT_TRUE(bar->PanelText(4).contains("3")) << bar->PanelText(4).toStdString();
    EXPECT_TRUE(bar->PanelText(5).contains("05")) << bar->PanelText(5).toStdString();
    const QString today = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(WaitFor([&] { return bar->PanelText(4) == today; }, 2500));
    EXPECT_TRUE(bar->PanelText(2).isEmpty());
    EXPECT_TRUE(bar->PanelText(3).isEmpty());
}

} // namespace
