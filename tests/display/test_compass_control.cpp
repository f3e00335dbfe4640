// The compass: when its timer asks for a repaint, which look each size gets,
// the three looks at 0, 90 and 359 degrees, and the kept turns against turning
// at every paint.
#include <functional>
#include <memory>
#include <string>

#include "display/usercontrols/TUserControlCompass.h"
#include "enginelib/nav/TValCampo.h"
#include "support/GoldenImage.h"
#include "test_graph_host.h"

namespace {
using graphtest::Hosted;
using Style = TUserControlCompass::EStyle;

class CompassTest : public Hosted {
protected:
    CompassTest() { compass = Place(new TUserControlCompass(&app), 10, 10, 128, 128); }

    void Course(double degrees, double bearing = -1000)
    {
        TValCampo v;
        v.valor = degrees;
        v.unidades = UnidadGrados;
        app.engine.fields.forced[47] = v;
        v.valor = bearing;
        app.engine.fields.forced[313] = v;
    }
    // Paints, so that the course drawn is the one set.
    void Drawn(double degrees)
    {
        Course(degrees);
        app.ui->Frame();
    }
    // One timer tick: whether it asked for a repaint.
    bool Tick()
    {
        const int before = app.ui->invalidations;
        compass->OnTimer(compass->timerInterval, app.ui->Now());
        return app.ui->invalidations > before;
    }

    TUserControlCompass* compass = nullptr;
};

TEST_F(CompassTest, LoadsTheLibraryImagesAndRunsAFiftyMillisecondTimer)
{
    EXPECT_NE(nullptr, compass->image);
    EXPECT_NE(nullptr, compass->imgBackground2);
    EXPECT_NE(nullptr, compass->imgForeground2);
    EXPECT_NE(nullptr, compass->imgForeground2b);
    EXPECT_NE(nullptr, compass->imgArrow);
    EXPECT_NE(nullptr, compass->imgBackground3);
    EXPECT_NE(nullptr, compass->imgForeground3);
    EXPECT_EQ(50, compass->timerInterval);
    EXPECT_TRUE(compass->timerRunning);
    EXPECT_EQ(18, compass->font.size);
    EXPECT_TRUE(compass->font.bold);
}

TEST_F(CompassTest, RepaintsForMoreThanFiveDegreesAtOnce)
{
    struct Case {
        double drawn, now;
        bool repaint;
    };
    const Case cases[] = {
        {10, 15, false}, {10, 16, true},   {10, 5, false},   {10, 4, true},  {10, 10.9, false},
        {358, 2, false}, {358, 5, true},   {2, 357, false},  {0, 180, true}, {-3, 2, false},
    };
    for (const Case& c : cases) {
        Drawn(c.drawn);
        EXPECT_EQ(0, compass->ticks);
        Course(c.now);
        EXPECT_EQ(c.repaint, Tick()) << c.drawn << " -> " << c.now;
    }
}

TEST_F(CompassTest, TheSixteenthTickRepaintsAnUnchangedCourse)
{
    Drawn(10);
    Course(13);
    for (int i = 1; i <= 15; ++i)
        ASSERT_FALSE(Tick()) << "tick " << i;
    EXPECT_TRUE(Tick());
    // The paint starts the count again.
    app.ui->Frame();
    EXPECT_EQ(0, compass->ticks);
    EXPECT_EQ(13, compass->course);
    EXPECT_FALSE(Tick());
}

TEST_F(CompassTest, APageAboveStopsTheCountAndTheRepaints)
{
    Drawn(10);
    exectest::RecPage above(app.ui);
    app.ui->OpenPage(&above);
    Course(90);
    for (int i = 0; i < 40; ++i)
        EXPECT_FALSE(Tick());
    EXPECT_EQ(0, compass->ticks);
    app.ui->pages.RemoveAllEqual(&above);
    EXPECT_TRUE(Tick());
    EXPECT_EQ(1, compass->ticks);
}

TEST_F(CompassTest, TheEngineTimerDrivesIt)
{
    Drawn(10);
    Course(40);
    const int paints = app.ui->paints;
    const int before = app.ui->invalidations;
    app.ui->Advance(400);
    EXPECT_GT(app.ui->invalidations, before);
    EXPECT_EQ(paints, app.ui->paints);  // asked for, painted by the platform later
}

TEST_F(CompassTest, TheLookFollowsTheSizeAndTheScale)
{
    struct Case {
        float scale;
        int width, height;
        Style style;
    };
    const Case cases[] = {
        {1.0f, 200, 65, Style::StyleDial},  {1.0f, 200, 64, Style::StyleRose}, {1.0f, 200, 38, Style::StyleRose},
        {1.0f, 100, 37, Style::StyleTape},  {1.0f, 99, 37, Style::StyleRose},  {1.0f, 400, 32, Style::StyleTape},
        {1.5f, 300, 97, Style::StyleDial},  {1.5f, 300, 96, Style::StyleRose}, {1.5f, 150, 55, Style::StyleTape},
        {1.5f, 149, 55, Style::StyleRose},  {1.5f, 300, 56, Style::StyleRose},
    };
    for (const Case& c : cases) {
        app.ui->skinSettings.uiScale = c.scale;
        compass->SetBounds(0, 0, c.width, c.height);
        EXPECT_EQ(c.style, compass->StyleForSize()) << c.width << " x " << c.height << " at " << c.scale;
    }
    app.ui->skinSettings.uiScale = 1.0f;
}

TEST_F(CompassTest, WithoutItsImagesALookGivesWay)
{
    compass->SetBounds(0, 0, 200, 100);
    compass->image = nullptr;
    EXPECT_EQ(Style::StyleRose, compass->StyleForSize());
    compass->imgForeground3 = nullptr;
    EXPECT_EQ(Style::StyleTape, compass->StyleForSize());
    compass->imgBackground2 = nullptr;
    EXPECT_EQ(Style::StyleNone, compass->StyleForSize());
    // Nothing to draw is no reason to fail.
    Drawn(45);
    EXPECT_EQ(45, compass->course);
}

TEST_F(CompassTest, TheTargetArrowNeedsABearingOfAtLeastMinus360)
{
    const TColorIG back(0, 0, 0);
    Course(0, -360.5);
    const auto without = graphtest::Snapshot(compass, back);
    Course(0, -360);
    const auto at = graphtest::Snapshot(compass, back);
    Course(0, 0);
    const auto ahead = graphtest::Snapshot(compass, back);
    int differAt = 0, differAhead = 0;
    for (int y = 0; y < compass->height; ++y)
        for (int x = 0; x < compass->width; ++x) {
            differAt += without->GetPixel(x, y) != at->GetPixel(x, y);
            differAhead += without->GetPixel(x, y) != ahead->GetPixel(x, y);
        }
    EXPECT_GT(differAt, 100);
    EXPECT_GT(differAhead, 100);
}

TEST_F(CompassTest, ThreeLooksAtThreeCourses)
{
    struct Look {
        const char* name;
        int width, height;
    };
    const Look looks[] = {{"dial", 128, 128}, {"rose", 56, 56}, {"tape", 240, 32}};
    const TColorIG back(0x18, 0x1C, 0x21);
    for (const Look& look : looks)
        for (int degrees : {0, 90, 359}) {
            compass->SetBounds(0, 0, look.width, look.height);
            Course(degrees, 30);
            const std::string name = std::string("display/compass_") + look.name + "_" + std::to_string(degrees);
            EXPECT_TRUE(golden::Matches(*graphtest::Snapshot(compass, back), name, 2, 4)) << name;
        }
}

} // namespace

namespace {

// The compass painted with its left-top corner at (x, y) of a 300 x 260
// picture, within clip when it is not empty; kept: from its kept turns.
std::unique_ptr<TDibIG> PaintAt(TUserControlCompass* c, bool kept, int x, int y, const TRectIG& clip = TRectIG())
{
    auto dib = std::make_unique<TDibIG>();
    dib->Crea(300, 260, 32);
    IDC dc;
    dc.BeginPaintDib(dib.get());
    dc.SetBrush(TColorIG(0x18, 0x1C, 0x21));
    dc.SetPen(TColorIG(0x18, 0x1C, 0x21));
    dc.Rectangle(0, 0, 300, 260);
    if (!clip.IsEmpty())
        dc.SelectClipRect(clip);
    c->keepTurns = kept;
    c->Paint(&dc, x - c->left, y - c->top);
    c->keepTurns = true;
    dc.EndPaintDib();
    return dib;
}

// Pixels where the two pictures differ.
int Differences(const TDibIG& a, const TDibIG& b)
{
    int n = 0;
    for (int y = 0; y < a.AbsHeight(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            n += a.GetPixel(x, y) != b.GetPixel(x, y);
    return n;
}

TEST_F(CompassTest, KeptTurnsGiveThePixelsOfTurningAtEveryPaint)
{
    struct Case {
        float scale;
        int width, height;  // dial, rose
        int x, y;
        TRectIG clip;
    };
    const Case cases[] = {
        {1.0f, 128, 128, 10, 10, TRectIG()},       {1.0f, 128, 128, 37, 51, TRectIG()},
        {1.0f, 97, 131, 3, 0, TRectIG()},          {1.5f, 150, 150, 61, 23, TRectIG()},
        {1.0f, 56, 56, 13, 7, TRectIG()},          {1.0f, 60, 45, 120, 99, TRectIG()},
        {1.0f, 128, 128, 40, 40, TRectIG(70, 55, 130, 150)},
        {1.0f, 128, 128, -30, -20, TRectIG()},     {1.0f, 128, 128, 230, 200, TRectIG()},
    };
    for (const Case& c : cases) {
        app.ui->skinSettings.uiScale = c.scale;
        compass->SetBounds(0, 0, c.width, c.height);
        ASSERT_NE(TUserControlCompass::StyleTape, compass->StyleForSize());
        for (int degrees = -7; degrees < 367; degrees += 13) {
            for (int bearing : {-1000, 77, 300}) {
                Course(degrees, bearing);
                const auto turned = PaintAt(compass, false, c.x, c.y, c.clip);
                const auto kept = PaintAt(compass, true, c.x, c.y, c.clip);
                // Copied a second time the kept picture still matches.
                const auto again = PaintAt(compass, true, c.x, c.y, c.clip);
                ASSERT_EQ(0, Differences(*turned, *kept))
                    << c.width << " x " << c.height << " at " << c.x << ", " << c.y << ", " << degrees << " / " << bearing;
                ASSERT_EQ(0, Differences(*turned, *again));
            }
        }
    }
    app.ui->skinSettings.uiScale = 1.0f;
}

TEST_F(CompassTest, AKeptTurnIsMadeAgainWhenWhatItShowsChanges)
{
    Course(40, 90);
    PaintAt(compass, true, 10, 10);
    const int dial = compass->keptDial.turns, arrow = compass->keptArrow.turns;
    // Nothing changed: copied, not turned.
    PaintAt(compass, true, 10, 10);
    EXPECT_EQ(dial, compass->keptDial.turns);
    EXPECT_EQ(arrow, compass->keptArrow.turns);

    // Each change: made again, and the pixels are the turn's.
    struct Change {
        const char* what;
        std::function<void()> apply;
        bool dial, arrow;
    };
    TDibIG* own = nullptr;
    TRectIG clip;
    const Change changes[] = {
        {"course", [&] { Course(41, 90); }, true, false},
        {"bearing", [&] { Course(41, 91); }, false, true},
        {"place", [] {}, true, true},
        {"shown part", [&] { clip = TRectIG(0, 0, 90, 200); }, true, true},
        {"size", [&] { compass->SetBounds(0, 0, 120, 128); }, true, true},
        {"scale", [&] { app.ui->skinSettings.uiScale = 0.5f; }, true, true},
        {"dial image",
         [&] {
             own = new TDibIG();
             own->Asigna(*compass->image);
             compass->image = own;
         },
         true, false},
        {"dial pixels", [&] { own->SetPixel(40, 40, TColorIG(1, 2, 3)); }, true, false},
    };
    int x = 10;
    for (const Change& c : changes) {
        const int dialBefore = compass->keptDial.turns, arrowBefore = compass->keptArrow.turns;
        c.apply();
        x += std::string(c.what) == "place" ? 1 : 0;
        const auto kept = PaintAt(compass, true, x, 10, clip);
        EXPECT_EQ(c.dial, compass->keptDial.turns > dialBefore) << c.what;
        EXPECT_EQ(c.arrow, compass->keptArrow.turns > arrowBefore) << c.what;
        EXPECT_EQ(0, Differences(*PaintAt(compass, false, x, 10, clip), *kept)) << c.what;
    }
    app.ui->skinSettings.uiScale = 1.0f;
    compass->image = nullptr;
    delete own;
}

} // namespace
