// "Generate Level..." while the level is written on a worker thread: the
// progress dialog names each layer in order, the event loop goes on, until
// the generation has finished the editor can't be closed or edited, and
// "Cancel" or Escape stops it. The worker goes on with a layer only once its
// report has been shown, so a test that holds the report (in an event loop
// of its own) holds the writing, and nothing depends on timing.
#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// While alive, holds the generation at the progress report of layer
// `layer` (0-based): the report runs `whileHeld` in an event loop of its own
// until it returns true, and only then does the writing go on. A watchdog
// lets go after a minute, so that the test fails instead of hanging.
class HeldReport {
public:
    HeldReport(GenerationProgressDialog* progress, int layer, std::function<bool()> whileHeld)
    {
        connection_ = QObject::connect(progress, &GenerationProgressDialog::progressShown, progress,
                                       [this, progress, layer, whileHeld = std::move(whileHeld)] {
            if (progress->value() != layer || held_)
                return;
            held_ = true;
            QEventLoop hold;
            QTimer poll;
            poll.setInterval(1);
            QObject::connect(&poll, &QTimer::timeout, &hold, [&] {
                if (whileHeld())
                    hold.quit();
            });
            QTimer::singleShot(60 * 1000, &hold, [&] {
                timedOut_ = true;
                hold.quit();
            });
            poll.start();
            hold.exec();
        });
    }
    ~HeldReport() { QObject::disconnect(connection_); }

    bool held() const { return held_; }
    bool timedOut() const { return timedOut_; }

private:
    QMetaObject::Connection connection_;
    bool held_ = false;
    bool timedOut_ = false;
};

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
    void cancelKeepsTheEarlierLevelAndSaysNothing_data();
    void cancelKeepsTheEarlierLevelAndSaysNothing();
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
    QFETCH(int, showDelay);
    QFETCH(bool, shownWhileWriting);
    kes::test::TempDir folder;
    const std::string texture = folder.file("small.bmp");
    kes::test::writeFile(texture, smallBmp());
    std::vector<LayerEntry> layers = triangleLayers(folder, 2);
    layers[0].bmpPath = texture;
    layers[0].draw = 1;

    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    openProjectWithLayers(dialog, services, folder, layers);
    GenerationProgressDialog* progress = dialog.generationProgress();
    progress->setShowDelay(showDelay);
    const ProgressLog log(progress);

    // While the generation is held at its first layer, a timer keeps
    // ticking; on its third tick the user tries everything, and only then
    // does the writing go on.
    int ticksHeld = 0;
    bool progressVisible = false;
    bool progressModal = false;
    bool progressStillVisible = false;
    bool dialogStillVisible = false;
    QString titleWhileWriting;
    const HeldReport hold(progress, 0, [&] {
        if (++ticksHeld < 3)
            return false;
        progressVisible = progress->isVisible();
        progressModal = QApplication::activeModalWidget() == progress;
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
        return true;
    });
    const std::string path = folder.file("slow.kes");
    services.fileAnswers = {path};
    click(dialog, kGenerate);

    QVERIFY(hold.held());
    QVERIFY(!hold.timedOut());
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
}

void EditorGenerationProgressTest::cancelKeepsTheEarlierLevelAndSaysNothing_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("the Cancel button") << false;
    QTest::newRow("Escape") << true;
}

// Cancelled while the second of three layers is written: the generation
// stops before its next part, the earlier level file stays, nothing is left
// beside it, no message follows, and the editor takes input again.
void EditorGenerationProgressTest::cancelKeepsTheEarlierLevelAndSaysNothing()
{
    QFETCH(bool, byEscape);
    kes::test::TempDir folder;
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    openProjectWithLayers(dialog, services, folder, triangleLayers(folder, 3));
    GenerationProgressDialog* progress = dialog.generationProgress();
    progress->setShowDelay(0);
    const ProgressLog log(progress);
    const std::string path = folder.file("level.kes");
    kes::test::writeFile(path, std::string("the earlier level"));

    QString textAfterCancel;
    bool buttonEnabledAfterCancel = true;
    const HeldReport hold(progress, 1, [&] {
        if (!progress->isVisible())
            return false;
        if (byEscape)
            QTest::keyClick(progress, Qt::Key_Escape);
        else
            QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
        textAfterCancel = progress->labelText();
        buttonEnabledAfterCancel = progress->cancelButton()->isEnabled();
        return true;
    });
    services.fileAnswers = {path};
    click(dialog, kGenerate);

    QVERIFY(hold.held());
    QVERIFY(!hold.timedOut());
    QCOMPARE(textAfterCancel, QString("Cancelling..."));
    QVERIFY(!buttonEnabledAfterCancel);
    QCOMPARE(log.texts, layerTexts(3).mid(0, 2));
    QVERIFY(services.messages.empty());
    QVERIFY(!progress->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(kes::test::readFile(path).size(), std::string("the earlier level").size());
    for (const std::string& entry : folder.entries())
        QVERIFY2(entry.find(".kesgen-") == std::string::npos, entry.c_str());
    typeInto(dialog, kTitle, "After");
    QCOMPARE(textOf(dialog, kTitle), QString("After"));

    // The next generation is not cancelled.
    services.fileAnswers = {path};
    click(dialog, kGenerate);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string(kSuccessText));
    QVERIFY(kes::test::readFile(path).size() > std::string("the earlier level").size());
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
