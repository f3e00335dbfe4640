// Bitmap downloads: the worker's temporary file, the completion on the UI thread
// naming it by type, and the clean-up when the engine ends.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "enginelib/base/TFitxUtils.h"
#include "enginelib/draw/TDibIGformat.h"
#include "support/TestPaths.h"
#include "test_engine_doubles.h"

namespace {

bool Exists(const std::string& path) { return TFitxUtils::Verifica_Existencia_Archivo(path.c_str()); }

void WritePng(const std::string& path, TColorIG colour)
{
    TDibIGformat image;
    image.Crea(6, 6, 16);
    image.Fill(colour);
    ASSERT_TRUE(image.Guarda(path.c_str()));
}

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest()
    {
        engine = std::make_unique<TestEngine>();
        engine->tempFolder = temp.path().c_str();
        page = new RecPage(engine.get(), "pageDownloads");
        target = page->Add(new RecElement("imgTarget", 0, 0, 20, 20, nullptr));
        engine->OpenPage(page);
        WritePng(source / "red.png", TColorIG(255, 0, 0));
        WritePng(source / "green.png", TColorIG(0, 255, 0));
    }
    ~DownloadTest() override
    {
        if (page)
            engine->ClosePage(page, true);
        engine.reset();
    }

    // Lets the workers finish and the UI thread drain their completions.
    void Settle()
    {
        engine->downloadManager.WaitAll();
        engine->Advance(TestEngine::TimerPeriodMs);
    }

    void Complete(int id, bool ok, const std::string& file, const char* mime, bool reload)
    {
        engine->downloadManager.OnBitmapDownloaded(id, ok, DString(file.c_str()), DString(mime), reload);
    }

    testpaths::TempDir temp, source;
    std::unique_ptr<TestEngine> engine;
    RecPage* page = nullptr;  // the engine deletes it when it closes
    RecElement* target = nullptr;
};

TEST_F(DownloadTest, FinishedDownloadIsNamedByItsTypeAndShownInItsElement)
{
    ASSERT_TRUE(engine->downloadManager.GetBitmapAsync(target, ("file://" + (source / "red.png")).c_str(), false));
    Settle();
    ASSERT_NE(nullptr, target->image);
    EXPECT_EQ(TColorIG(255, 0, 0), target->image->GetPixel(2, 2));
    const std::string name = target->imageName.c_str();
    EXPECT_EQ("tempuiedm1.png", name.substr(name.size() - 14));
    EXPECT_TRUE(Exists(temp / "tempuiedm1.png"));
    EXPECT_FALSE(Exists(temp / "tempuiedm1"));

    // A plain path works too, and the next download replaces the picture.
    ASSERT_TRUE(engine->downloadManager.GetBitmapAsync(target, (source / "green.png").c_str(), false));
    Settle();
    ASSERT_NE(nullptr, target->image);
    EXPECT_EQ(TColorIG(0, 255, 0), target->image->GetPixel(2, 2));
}

TEST_F(DownloadTest, FailedDownloadLeavesNoFileAndNoImage)
{
    ASSERT_TRUE(engine->downloadManager.GetBitmapAsync(target, (source / "missing.png").c_str(), false));
    Settle();
    EXPECT_EQ(nullptr, target->image);
    EXPECT_FALSE(Exists(temp / "tempuiedm1"));

    // Nothing is started without an element, a source or a temporary folder.
    EXPECT_FALSE(engine->downloadManager.GetBitmapAsync(nullptr, (source / "red.png").c_str(), false));
    EXPECT_FALSE(engine->downloadManager.GetBitmapAsync(target, "", false));
    engine->tempFolder = "";
    EXPECT_FALSE(engine->downloadManager.GetBitmapAsync(target, (source / "red.png").c_str(), false));
}

TEST_F(DownloadTest, SecondCompletionOfTheSameFileReplacesTheFirstPicture)
{
    const std::string file = temp / "tempuiedmSame";
    WritePng(file, TColorIG(255, 0, 0));
    Complete(target->numericId, true, file, "image/png", true);
    ASSERT_NE(nullptr, target->image);
    EXPECT_EQ(TColorIG(255, 0, 0), target->image->GetPixel(1, 1));

    WritePng(file, TColorIG(0, 0, 255));
    Complete(target->numericId, true, file, "image/png", true);
    ASSERT_NE(nullptr, target->image);
    EXPECT_EQ(TColorIG(0, 0, 255), target->image->GetPixel(1, 1));
    EXPECT_FALSE(Exists(file));
}

TEST_F(DownloadTest, CompletionsTheManagerCannotPlaceAreIgnored)
{
    const std::string file = temp / "tempuiedmX";
    WritePng(file, TColorIG(255, 0, 0));
    Complete(target->numericId + 1000, true, file, "image/png", false);  // no such element
    Complete(target->numericId, false, file, "image/png", false);          // failed
    EXPECT_EQ(nullptr, target->image);
    EXPECT_TRUE(Exists(file));

    // A type that is not an image keeps its name.
    Complete(target->numericId, true, file, "text/html", false);
    EXPECT_TRUE(Exists(file));
    EXPECT_STREQ(file.c_str(), target->imageName.c_str());
}

TEST_F(DownloadTest, CompletionForAClosedPageIsIgnored)
{
    ASSERT_TRUE(engine->downloadManager.GetBitmapAsync(target, (source / "red.png").c_str(), false));
    engine->downloadManager.WaitAll();
    ASSERT_TRUE(engine->ClosePage(page, true));
    page = nullptr;
    engine->Advance(TestEngine::TimerPeriodMs);  // drains the completion: nobody holds the id
    EXPECT_EQ(0, engine->GetPageCount());
}

TEST(DownloadManager, TemporaryFilesGoWhenTheEngineEndsNotWhenItStarts)
{
    testpaths::TempDir temp;
    std::ofstream(temp / "tempuiedmOld").put('x');
    std::ofstream(temp / "keep.txt").put('x');
    {
        TestEngine engine;
        engine.tempFolder = temp.path().c_str();
        EXPECT_TRUE(Exists(temp / "tempuiedmOld"));
    }
    EXPECT_FALSE(Exists(temp / "tempuiedmOld"));
    EXPECT_TRUE(Exists(temp / "keep.txt"));
}

TEST(DownloadManager, TypeIsSniffedFromTheFirstBytes)
{
    struct Case {
        std::string head;
        const char* mime;
    } cases[] = {
        {std::string("\x89PNG\r\n\x1a\n....", 12), "image/png"},
        {std::string("\xff\xd8\xff\xe0", 4), "image/jpeg"},
        {"BM6\x01", "image/bmp"},
        {"<html>", "application/octet-stream"},
        {"", "application/octet-stream"},
        {std::string("\x89PNG", 4), "application/octet-stream"},  // cut short
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.mime, TPDAUIEngineDownloadManager::SniffMimeType(
                                 reinterpret_cast<const unsigned char*>(c.head.data()), c.head.size()))
            << c.head;
}

}  // namespace
