// Random input against the application's pages: the main page on the default skin
// with message boxes of every type opening over it at random, under a fixed seed.
// Under the sanitizer build this is where a page that keeps a pointer past a
// close, or answers twice, shows.
#include "app/exec_test_app.h"

#include "uiengine/controls/RegisterControls.h"

namespace {
using namespace exectest;

TEST(AppStress, RandomInputOverTheMainPageAndMessageBoxes)
{
    RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
    ExecApp app;
    ASSERT_TRUE(app.skinLoaded);
    TPageMain* main = new TPageMain(&app);  // the application's, deleted with it
    app.mainPage = main;
    app.ui->OpenPage(main);
    app.ui->Advance(500);

    uint32_t state = 20261211;
    auto next = [&](int below) {
        state = state * 1664525u + 1013904223u;
        return (int)((state >> 8) % (uint32_t)below);
    };
    const int keys[] = {13, 27, 37, 38, 39, 40, 32, 'A', '5', 8};
    bool down = false;
    int opened = 0;
    for (int i = 0; i < 4000; ++i) {
        const int x = next(800), y = next(480);
        switch (next(10)) {
        case 0:
            if (app.ui->GetPageCount() < 4) {
                auto* box = new TPageMessageBox(&app, next(3) == 0 ? next(12) : 0);
                box->type = next(8);
                box->title = next(2) ? "Title" : "";
                box->message = "A message long enough to wrap over more than one line of the box";
                app.ui->OpenPage(box);
                ++opened;
            }
            break;
        case 1:
        case 2:
            if (down)
                app.ui->Release(x, y);
            else
                app.ui->Press(x, y);
            down = !down;
            break;
        case 3:
            app.ui->Move(x, y);
            break;
        case 4:
            app.ui->Key(keys[next(10)], 30);
            break;
        case 5:
            app.ui->Frame();
            break;
        default:
            app.ui->Advance(10 + next(400));
            break;
        }
        ASSERT_GE(app.ui->GetPageCount(), 1);
        ASSERT_EQ(main, app.ui->GetPage(0));
    }
    if (down)
        app.ui->Release(400, 240);
    app.ui->Advance(30000);  // every countdown runs out
    for (int i = 0; i < 10 && app.ui->GetPageCount() > 1; ++i)
        app.ui->Key(27, 30);  // Escape cancels the boxes that wait for a button
    app.ui->Advance(1000);
    EXPECT_GT(opened, 50);
    EXPECT_EQ(1, app.ui->GetPageCount());
}

}  // namespace
