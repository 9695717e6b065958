#include "view_fixture.h"
#include "views/roll_view.h"

#include <QComboBox>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace cadenzo {
namespace {

using test::Rgb;

class RollViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        window = std::make_unique<QWidget>();
        view = std::make_unique<RollView>(window.get(), rig.guitar);
        QObject::connect(view.get(), &RollView::refreshed, [this] { ++refreshes; });
        view->rollScreen->setGeometry(0, 0, 120, 177);
    }

    // Whether any pixel of the colour lies in the box.
    bool Any(QRect box, QRgb colour) {
        const QImage& picture = view->rollScreen->picture();
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (picture.valid(x, y) && picture.pixel(x, y) == colour)
                    return true;
        return false;
    }

    test::Rig rig;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<RollView> view;
    int refreshes = 0;
};

TEST_F(RollViewTest, PianoRollDrawsARedBarWithAWhiteLineAtEachSoundingPitch) {
    view->rollbar->setValue(10); // offset 100
    rig.guitar.setFrets({0, SILENT, SILENT, SILENT, SILENT, SILENT});
    view->RefreshRoll();
    EXPECT_EQ(refreshes, 2);
    const int y = (71 - 28) * 6 - 100; // 158
    const QImage& picture = view->rollScreen->picture();
    EXPECT_EQ(picture.pixel(61, y), Rgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(94, y + 4), Rgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(70, y + 1), Rgb(255, 255, 255));
    EXPECT_NE(picture.pixel(95, y), Rgb(255, 0, 0));
    EXPECT_NE(picture.pixel(70, y + 5), Rgb(255, 0, 0));
    EXPECT_FALSE(view->rollbar->isHidden());
}

TEST_F(RollViewTest, AllSilentShowsOnlyTheBackground) {
    rig.guitar.ClearFlets();
    view->RefreshRoll();
    EXPECT_FALSE(Any({0, 0, 120, 177}, Rgb(255, 0, 0)));
    view->rollPrintMode->setCurrentIndex(1);
    EXPECT_FALSE(Any({0, 0, 120, 177}, Rgb(0, 0, 255)));
    EXPECT_FALSE(Any({0, 0, 120, 177}, Rgb(255, 0, 0)));
}

TEST_F(RollViewTest, TabAndMmlWriteOpenStandardTuningAtTheirPlaces) {
    view->rollPrintMode->setCurrentIndex(1); // refreshes
    EXPECT_TRUE(view->rollbar->isHidden());
    // String 0's "0" starts at x 50 on row 22; string 1's at x 65 on row 42.
    EXPECT_TRUE(Any({50, 22, 12, 20}, Rgb(0, 0, 255)));
    EXPECT_FALSE(Any({65, 22, 12, 20}, Rgb(0, 0, 255)));
    EXPECT_TRUE(Any({65, 42, 12, 20}, Rgb(0, 0, 255)));
    EXPECT_FALSE(Any({50, 42, 12, 18}, Rgb(0, 0, 255)));
    // Octave figures: rows 28 (3), 48 (2) and 108 (1) only; names on every row.
    EXPECT_TRUE(Any({92, 28, 8, 16}, Rgb(255, 0, 255)));
    EXPECT_TRUE(Any({92, 48, 8, 16}, Rgb(255, 0, 255)));
    EXPECT_FALSE(Any({92, 68, 8, 16}, Rgb(255, 0, 255)));
    EXPECT_TRUE(Any({92, 108, 8, 16}, Rgb(255, 0, 255)));
    for (int s = 0; s < 6; ++s)
        EXPECT_TRUE(Any({100, 28 + 20 * s, 14, 16}, Rgb(255, 0, 0))) << s;
}

} // namespace
} // namespace cadenzo
