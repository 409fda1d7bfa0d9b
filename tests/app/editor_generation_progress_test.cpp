// "Generate Level..." while the level is written on a worker thread: the
// progress dialog names each layer in order, the event loop goes on, and
// until the generation has finished neither the progress dialog nor the
// editor can be closed or edited. A named pipe stands in for a texture whose
// reading lasts until the test feeds it, so nothing depends on timing.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/generation_progress_dialog.h"
#include "editor_driver.h"
#include "editor_test_assets.h"
#include "dialog_under_test.h"
#include "fake_platform_services.h"
#include "levelfile/level_reader.h"
#include "model/project_file.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

const char kSuccessText[] = "Level created successfully.";

// A static layer with this mesh, drawn with the texture when one is named.
LayerEntry staticLayer(const std::string& obj, const std::string& bmp = {})
{
    LayerEntry layer;
    layer.objPath = obj;
    layer.bmpPath = bmp;
    layer.draw = bmp.empty() ? 0 : 1;
    return layer;
}

// Static layers, one for each of the meshes, written into the folder.
std::vector<LayerEntry> triangleLayers(const kes::test::TempDir& folder, int count)
{
    std::vector<LayerEntry> layers;
    for (int i = 0; i < count; ++i) {
        const std::string obj = folder.file("mesh" + std::to_string(i) + ".obj");
        kes::test::writeFile(obj, std::string(kTriangleObj));
        layers.push_back(staticLayer(obj));
    }
    return layers;
}

// Opens, through "Open...", a project with these layers.
void openProjectWithLayers(MainDialog& dialog, FakePlatformServices& services, const kes::test::TempDir& folder,
                           const std::vector<LayerEntry>& layers)
{
    LevelProject project;
    kes::resetToDefaults(project);
    for (const LayerEntry& layer : layers)
        project.layers.append(layer);
    const std::string path = folder.file("level.kgp");
    QVERIFY(kes::saveProject(project, path).ok());
    services.fileAnswers.push_back(path);
    click(dialog, kOpen);
    QCOMPARE(dialog.document().layers().count(), int(layers.size()));
}

// Records what the progress dialog shows, each time it changes.
struct ProgressLog {
    QStringList texts;
    QList<int> values;
    QList<int> maximums;

    explicit ProgressLog(GenerationProgressDialog* progress)
    {
        connection_ = QObject::connect(progress, &GenerationProgressDialog::progressShown, progress, [this, progress] {
            texts << progress->labelText();
            values << progress->value();
            maximums << progress->maximum();
        });
    }
    ~ProgressLog() { QObject::disconnect(connection_); }

private:
    QMetaObject::Connection connection_;
};

QStringList layerTexts(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << QString("Writing layer %1 of %2").arg(i).arg(count);
    return texts;
}

#ifdef Q_OS_UNIX
// A named pipe standing in for a texture file: whoever reads it waits until
// feed() has written the texture. Should the test never feed it (the event loop
// stopped), a watchdog ends the reading after a minute with an empty file,
// so that the test fails instead of hanging.
class SlowFile {
public:
    explicit SlowFile(std::string path) : path_(std::move(path))
    {
        created_ = ::mkfifo(path_.c_str(), 0600) == 0;
        watchdog_ = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
            while (!stop_) {
                if (std::chrono::steady_clock::now() > deadline && writeOnce({}))
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~SlowFile()
    {
        stop_ = true;
        watchdog_.join();
    }

    bool created() const { return created_; }
    const std::string& path() const { return path_; }

    // Writes the bytes and closes the pipe when a reader has opened it;
    // false (and nothing written) while nobody reads it yet.
    bool feed(const std::vector<std::uint8_t>& bytes) { return writeOnce(bytes); }

private:
    bool writeOnce(const std::vector<std::uint8_t>& bytes)
    {
        if (fed_.exchange(true))
            return true;
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd < 0) {
            fed_ = false;
            return false;
        }
        // Far less than the pipe holds, so it goes in at once.
        const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
        return written;
    }

    std::string path_;
    bool created_ = false;
    std::atomic<bool> fed_{false};
    std::atomic<bool> stop_{false};
    std::thread watchdog_;
};
#endif

} // namespace

class EditorGenerationProgressTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DialogUnderTest> dialogUnderTest;

private slots:
    void init() { dialogUnderTest = std::make_unique<DialogUnderTest>(); }
    void cleanup() { dialogUnderTest.reset(); }
    void progressNamesEveryLayerInOrder();
    void staysResponsiveAndRefusesInputWhileWriting_data();
    void staysResponsiveAndRefusesInputWhileWriting();
    void failureShowsTheErrorAfterTheProgressIsGone();
};

void EditorGenerationProgressTest::progressNamesEveryLayerInOrder()
{
    kes::test::TempDir folder;
    auto& [services, dialog] = *dialogUnderTest;
    openProjectWithLayers(dialog, services, folder, triangleLayers(folder, 12));
    GenerationProgressDialog* progress = dialog.generationProgress();
    QVERIFY(progress);
    const ProgressLog log(progress);

    const std::string path = folder.file("twelve.kes");
    services.fileAnswers = {path};
    click(dialog, kGenerate);

    // One report per layer, in layer order, each delivered before the
    // command ends.
    QCOMPARE(log.texts, layerTexts(12));
    QCOMPARE(log.values, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    QCOMPARE(log.maximums, QList<int>(12, 12));
    QVERIFY(!progress->isVisible());
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string(kSuccessText));
    QCOMPARE(services.messages[0].caption, std::string("Completed"));
    LevelFile level;
    const Status read = loadLevelFile(path, level);
    QVERIFY2(read.ok(), read.reason().c_str());
    QCOMPARE(level.layers.size(), std::size_t(12));

    // A second generation starts again from the first layer.
    services.fileAnswers = {folder.file("again.kes")};
    click(dialog, kGenerate);
    QCOMPARE(log.texts, layerTexts(12) + layerTexts(12));
    QCOMPARE(services.messages.size(), std::size_t(2));
    QCOMPARE(services.messages[1].text, std::string(kSuccessText));
}

void EditorGenerationProgressTest::staysResponsiveAndRefusesInputWhileWriting_data()
{
    QTest::addColumn<int>("showDelay");
    QTest::addColumn<bool>("shownWhileWriting");
    QTest::newRow("long generation: progress shown") << 0 << true;
    QTest::newRow("before the delay: nothing shown yet") << 3600 * 1000 << false;
}

void EditorGenerationProgressTest::staysResponsiveAndRefusesInputWhileWriting()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a named pipe");
#else
    QFETCH(int, showDelay);
    QFETCH(bool, shownWhileWriting);
    kes::test::TempDir folder;
    SlowFile texture(folder.file("slow.bmp"));
    QVERIFY(texture.created());
    std::vector<LayerEntry> layers = triangleLayers(folder, 2);
    layers[0].bmpPath = texture.path();
    layers[0].draw = 1;

    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    openProjectWithLayers(dialog, services, folder, layers);
    GenerationProgressDialog* progress = dialog.generationProgress();
    progress->setShowDelay(showDelay);
    const ProgressLog log(progress);

    // While the generation waits for the texture, a timer keeps ticking; on
    // its third tick after the writing began (the check before it can take
    // a few ticks of its own on a slow machine) the user tries everything,
    // and only then is the texture fed.
    int ticks = 0;
    int ticksWriting = 0;
    int ticksWhenFed = 0;
    bool progressVisible = false;
    bool progressModal = false;
    bool progressStillVisible = false;
    bool dialogStillVisible = false;
    QString titleWhileWriting;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, &dialog, [&] {
        ++ticks;
        if (!log.texts.isEmpty())
            ++ticksWriting;
        if (ticksWriting == 3) {
            progressVisible = progress->isVisible();
            progressModal = QApplication::activeModalWidget() == progress;
            QTest::keyClick(progress, Qt::Key_Escape);
            progress->close();
            progressStillVisible = progress->isVisible();
            QTest::keyClick(edit(dialog, kTitle), Qt::Key_Escape);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            dialog.close();
            static_cast<QDialog&>(dialog).reject();
            dialogStillVisible = dialog.isVisible();
            click(dialog, kGenerate);
            click(dialog, kOpen);
            typeInto(dialog, kTitle, "Changed", false);
            titleWhileWriting = textOf(dialog, kTitle);
        }
        if (ticksWriting >= 3 && ticksWhenFed == 0 && texture.feed(smallBmp()))
            ticksWhenFed = ticks;
    });
    ticker.start();
    const std::string path = folder.file("slow.kes");
    services.fileAnswers = {path};
    click(dialog, kGenerate);
    ticker.stop();

    // The generation could not finish before the texture was fed, which took
    // three ticks of the event loop.
    QVERIFY(ticksWhenFed >= 3);
    QCOMPARE(progressVisible, shownWhileWriting);
    QCOMPARE(progressModal, shownWhileWriting);
    QCOMPARE(progressStillVisible, shownWhileWriting);
    QVERIFY(dialogStillVisible);
    QCOMPARE(titleWhileWriting, QString("Level"));
    QCOMPARE(services.fileRequests.size(), std::size_t(2)); // Open, then Generate once
    QCOMPARE(log.texts, layerTexts(2));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string(kSuccessText));
    LevelFile level;
    const Status read = loadLevelFile(path, level);
    QVERIFY2(read.ok(), read.reason().c_str());
    QCOMPARE(level.layers.size(), std::size_t(2));
    QCOMPARE(level.triangleCount(), std::uint64_t(2));
    QCOMPARE(level.layers[0].textures.size(), std::size_t(1));

    // Afterwards the editor takes input again, and Escape ends it (after the
    // question about the changed title).
    QVERIFY(!progress->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(services.questions.empty());
    typeInto(dialog, kTitle, "After");
    QCOMPARE(textOf(dialog, kTitle), QString("After"));
    services.answers = {Answer::Discard};
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QVERIFY(!dialog.isVisible());
#endif
}

void EditorGenerationProgressTest::failureShowsTheErrorAfterTheProgressIsGone()
{
    kes::test::TempDir folder;
    std::vector<LayerEntry> layers = triangleLayers(folder, 2);
    layers.push_back(staticLayer(folder.file("missing-third.obj")));
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    openProjectWithLayers(dialog, services, folder, layers);
    GenerationProgressDialog* progress = dialog.generationProgress();
    progress->setShowDelay(0);
    const ProgressLog log(progress);
    bool progressVisibleAtMessage = true;
    QWidget* modalAtMessage = progress;
    services.onMessage = [&] {
        progressVisibleAtMessage = progress->isVisible();
        modalAtMessage = QApplication::activeModalWidget();
    };

    services.fileAnswers = {folder.file("broken.kes")};
    services.answers = {Answer::Generate}; // generate despite the missing mesh
    click(dialog, kGenerate);

    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(log.texts, layerTexts(3));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("An Error occured; double-check entered values."));
    QCOMPARE(services.messages[0].caption, std::string("Error"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QVERIFY2(services.messages[0].detail.find("missing-third.obj") != std::string::npos,
             services.messages[0].detail.c_str());
    QVERIFY(!progressVisibleAtMessage);
    QCOMPARE(modalAtMessage, nullptr);
    // Nothing is left where the level would have been.
    QVERIFY(!std::filesystem::exists(folder.file("broken.kes")));
    typeInto(dialog, kTitle, "After");
    QCOMPARE(textOf(dialog, kTitle), QString("After"));
}

QTEST_MAIN(EditorGenerationProgressTest)
#include "editor_generation_progress_test.moc"
