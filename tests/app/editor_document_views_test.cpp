// The form, the lists and the preview as views of one level document: after
// every kind of edit, its undo and its redo, all three show the level the
// document holds; an entry typed into a form but not added is drawn ghosted
// and never as part of the level; Escape asks before dropping it.
#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include "app/preview/preview_pane.h"
#include "app/preview/scene_loader.h"
#include "dialog_under_test.h"
#include "editor_driver.h"
#include "scene/scene_builder.h"
#include "support/level_fixtures.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

// What a scene shows, as text, to compare a shown scene with the one the
// document's level makes.
QString sceneSummary(const Scene& scene)
{
    QStringList lines;
    lines << QStringLiteral("background %1 %2 %3").arg(scene.background[0]).arg(scene.background[1]).arg(scene.background[2]);
    lines << QStringLiteral("start %1: %2 %3 %4, %5")
                 .arg(scene.hasStart)
                 .arg(scene.start.x)
                 .arg(scene.start.y)
                 .arg(scene.start.z)
                 .arg(scene.startRotation.y);
    for (const SceneTarget& target : scene.targets)
        lines << QStringLiteral("target %1 %2 %3 kind %4%5")
                     .arg(target.position.x)
                     .arg(target.position.y)
                     .arg(target.position.z)
                     .arg(target.kind)
                     .arg(target.draft ? " draft" : "");
    for (const SceneLayer& layer : scene.layers) {
        const SceneBox& area = layer.triggerArea;
        lines << QStringLiteral("%1 kind %2 frames %3 draw %4 collision %5%6 area %7 %8 %9 %10 %11 %12 moves %13")
                     .arg(QString::fromStdString(layer.name))
                     .arg(layer.kind)
                     .arg(layer.frames.size())
                     .arg(layer.draw)
                     .arg(layer.collision)
                     .arg(layer.draft ? " draft" : "")
                     .arg(area.min.x)
                     .arg(area.max.x)
                     .arg(area.min.y)
                     .arg(area.max.y)
                     .arg(area.min.z)
                     .arg(area.max.z)
                     .arg(layer.displacement.x);
    }
    for (const SceneProblem& problem : scene.problems)
        lines << QString::fromStdString(problem.reason);
    return lines.join('\n');
}

// Empty when the form shows the selected row of each table, as the entry its
// texts make (or no row is selected); otherwise what differs.
QString formMismatch(const MainDialog& dialog)
{
    QString mismatch;
    const int layer = dialog.document().selectedRow(LevelTable::Layers);
    if (layer >= 0) {
        LayerForm form;
        form.objPath = textOf(dialog, kObjFile).toStdString();
        form.bmpPath = textOf(dialog, kBmpFile).toStdString();
        form.draw = checkBox(dialog, kDraw)->isChecked();
        form.collision = checkBox(dialog, kCollision)->isChecked();
        form.kind = comboOf(dialog, kLayerKind)->currentIndex();
        form.speed = textOf(dialog, kSpeed).toStdString();
        form.framesTillReset = textOf(dialog, kFramesTillReset).toStdString();
        form.vibration = textOf(dialog, kVibration).toStdString();
        form.triggerArea = textOf(dialog, kTriggerArea).toStdString();
        if (!(layerEntryFromForm(form) == dialog.document().layers().at(layer)))
            mismatch += "layer form: " + textOf(dialog, kObjFile) + " " + textOf(dialog, kTriggerArea) + " ";
    }
    const int target = dialog.document().selectedRow(LevelTable::Targets);
    if (target >= 0) {
        const TargetForm form{textOf(dialog, kPosition).toStdString(), comboOf(dialog, kTargetKind)->currentIndex()};
        if (!(targetEntryFromForm(form) == dialog.document().targets().at(target)))
            mismatch += "target form: " + textOf(dialog, kPosition);
    }
    if (selectedRowOf(dialog, kLayerList) != layer || selectedRowOf(dialog, kTargetList) != target)
        mismatch += " selection";
    return mismatch;
}

void addLayer(MainDialog& dialog, const QString& obj)
{
    typeInto(dialog, kObjFile, obj);
    click(dialog, kAddLayer);
}

void addTarget(MainDialog& dialog, const QString& position)
{
    typeInto(dialog, kPosition, position);
    click(dialog, kAddTarget);
}

} // namespace

class EditorDocumentViewsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folder = std::make_unique<test::TempDir>();
        for (const char* name : {"a.obj", "b.obj", "c.obj"})
            test::writeObj(folder->file(name), test::fixtureTriangles(1));
        dialogUnderTest = std::make_unique<DialogUnderTest>();
    }
    void cleanup()
    {
        dialogUnderTest.reset();
        folder.reset();
    }

    void undoAndRedoOfEveryEditUpdateFormListsAndView_data();
    void undoAndRedoOfEveryEditUpdateFormListsAndView();
    void anEntryTypedButNotAddedIsDrawnGhostedAndListed();
    void changesThatNameNoFileLookAtNoFile();
    void escapeAsksBeforeDroppingAnEntryNotAdded();

private:
    // Waits until the preview shows the scene of the document's level (and
    // the forms' drafts); fails with both summaries otherwise.
    bool previewShowsTheLevel(MainDialog& dialog, QString& difference);

    std::unique_ptr<test::TempDir> folder;
    std::unique_ptr<DialogUnderTest> dialogUnderTest;
};

bool EditorDocumentViewsTest::previewShowsTheLevel(MainDialog& dialog, QString& difference)
{
    const LevelDocument& document = dialog.document();
    QString expected;
    QString shown;
    for (int tries = 0; tries < 100; ++tries) {
        const SceneRequest request = previewRequestFor(document.project(), document.folder(), std::nullopt, std::nullopt);
        expected = sceneSummary(buildScene(request));
        const auto& scene = dialog.preview()->scene();
        shown = scene ? sceneSummary(*scene) : QString();
        if (shown == expected)
            return true;
        QTest::qWait(20);
    }
    difference = "shown:\n" + shown + "\nexpected:\n" + expected;
    return false;
}

void EditorDocumentViewsTest::undoAndRedoOfEveryEditUpdateFormListsAndView_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"add layer", "remove layer", "update trigger area", "move layer", "relink",
                             "add target", "remove target", "update target", "move target", "title",
                             "start position", "background colour"})
        QTest::newRow(edit) << QString(edit);
}

void EditorDocumentViewsTest::undoAndRedoOfEveryEditUpdateFormListsAndView()
{
    QFETCH(QString, edit);
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    // A saved level in the folder: its layers' files are found, and Relink
    // has somewhere to look.
    const std::string project = folder->file("level.kgp");
    services.fileAnswers = {project};
    click(dialog, kSave);
    for (const char* obj : {"a.obj", "b.obj"})
        addLayer(dialog, obj);
    chooseRow(dialog, kLayerKind, 3); // Trigger
    typeInto(dialog, kSpeed, "0,1,0");
    typeInto(dialog, kFramesTillReset, "10");
    typeInto(dialog, kTriggerArea, "-1,1,-1,1,-1,1");
    addLayer(dialog, "c.obj");
    for (const char* position : {"1,1,1", "2,2,2"})
        addTarget(dialog, position);
    if (edit == "relink") {
        // A layer whose file moved away from where the project names it.
        LayerEntry moved = dialog.document().layers().at(1);
        moved.objPath = "old/place/b.obj";
        dialog.document().replaceRow(1, moved, "Update layer");
        clickRow(dialog, kLayerList, 1);
    }
    QString difference;
    QVERIFY2(previewShowsTheLevel(dialog, difference), qPrintable(difference));
    const LevelProject before = dialog.document().project();

    if (edit == "add layer") {
        addLayer(dialog, "a.obj");
    } else if (edit == "remove layer") {
        clickRow(dialog, kLayerList, 0);
        click(dialog, kRemoveLayer);
    } else if (edit == "update trigger area") {
        clickRow(dialog, kLayerList, 2);
        typeInto(dialog, kTriggerArea, "-4,4,0,2,-4,4");
        click(dialog, kUpdateLayer);
    } else if (edit == "move layer") {
        clickRow(dialog, kLayerList, 2);
        click(dialog, kMoveLayerUp);
    } else if (edit == "relink") {
        click(dialog, kRelink);
        QCOMPARE(dialog.document().layers().at(1).objPath, std::string("b.obj"));
    } else if (edit == "add target") {
        addTarget(dialog, "3,3,3");
    } else if (edit == "remove target") {
        clickRow(dialog, kTargetList, 1);
        click(dialog, kRemoveTarget);
    } else if (edit == "update target") {
        clickRow(dialog, kTargetList, 0);
        typeInto(dialog, kPosition, "-7,0.5,7");
        click(dialog, kUpdateTarget);
    } else if (edit == "move target") {
        clickRow(dialog, kTargetList, 1);
        click(dialog, kMoveTargetUp);
    } else if (edit == "title") {
        typeInto(dialog, kTitle, "Canyon");
    } else if (edit == "start position") {
        typeInto(dialog, kStartPosition, "1,2,3,0,90,0");
    } else {
        typeInto(dialog, kBackgroundColor, "1,0.5,0");
    }
    // The focus leaves the field: the typing is one step.
    QWidget* away = dialog.control(kQuit);
    away->setFocus();
    const LevelProject after = dialog.document().project();
    QVERIFY(!(after == before));

    auto checkViews = [&](const char* when) {
        QVERIFY2(listsMismatch(dialog).isEmpty(), qPrintable(when + (": " + listsMismatch(dialog))));
        QVERIFY2(formMismatch(dialog).isEmpty(), qPrintable(when + (": " + formMismatch(dialog))));
        QString difference;
        QVERIFY2(previewShowsTheLevel(dialog, difference), qPrintable(when + ("\n" + difference)));
    };
    checkViews("after the edit");
    for (int round = 0; round < 2; ++round) {
        QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+Z"));
        QVERIFY(dialog.document().project() == before);
        checkViews("after undo");
        QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+Y"));
        QVERIFY(dialog.document().project() == after);
        checkViews("after redo");
    }
    QVERIFY(services.questions.empty());
}

void EditorDocumentViewsTest::anEntryTypedButNotAddedIsDrawnGhostedAndListed()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    PreviewPane* pane = dialog.preview();
    auto draftsShown = [&] {
        QStringList drafts;
        if (!pane->scene())
            return drafts;
        for (const SceneTarget& target : pane->scene()->targets)
            if (target.draft)
                drafts << QStringLiteral("target %1").arg(target.position.x);
        for (const SceneLayer& layer : pane->scene()->layers)
            if (layer.draft)
                drafts << QString::fromStdString(layer.name);
        return drafts;
    };
    auto listed = [&] {
        QStringList lines;
        auto* list = pane->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines.join('\n');
    };

    // A target typed but not added: ghosted, and listed as not added.
    typeInto(dialog, kPosition, "4,5,6");
    QTRY_COMPARE(draftsShown(), QStringList{"target 4"});
    QTRY_VERIFY2(listed().contains("not added"), qPrintable(listed()));
    click(dialog, kAddTarget);
    QTRY_VERIFY(pane->scene()->targets.size() == 1 && !pane->scene()->targets[0].draft);
    QTRY_COMPARE(draftsShown(), QStringList());

    // A layer typed into the form is never a numbered layer of the level.
    const QString plane = QString::fromStdString(folder->file("a.obj"));
    typeInto(dialog, kObjFile, plane);
    QTRY_COMPARE(draftsShown(), QStringList{"the layer in the form ('" + plane + "'), not added"});
    click(dialog, kAddLayer);
    QTRY_COMPARE(draftsShown(), QStringList());
    QTRY_VERIFY(pane->scene()->layers.size() == 1 && pane->scene()->layers[0].name.starts_with("layer 1 "));

    // After Remove the form still holds the removed layer's files, but that
    // is no entry of the level or the form's own: nothing is drawn.
    clickRow(dialog, kLayerList, 0);
    click(dialog, kRemoveLayer);
    QCOMPARE(textOf(dialog, kObjFile), plane);
    QTRY_VERIFY(pane->scene()->layers.empty());
    QCOMPARE(draftsShown(), QStringList());
    // Changing it makes it the form's own entry again.
    typeInto(dialog, kObjFile, QString::fromStdString(folder->file("b.obj")));
    QTRY_COMPARE(draftsShown().size(), 1);
    // An edited copy of a row is ghosted beside the row, which stays as the
    // level has it.
    clickRow(dialog, kTargetList, 0);
    typeInto(dialog, kPosition, "9,9,9");
    QTRY_VERIFY(draftsShown().contains("target 9"));
    QCOMPARE(pane->scene()->targets[0].position, (ScenePoint{4, 5, 6}));
}

void EditorDocumentViewsTest::changesThatNameNoFileLookAtNoFile()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    addLayer(dialog, QString::fromStdString(folder->file("a.obj")));
    PreviewPane* pane = dialog.preview();
    QTRY_VERIFY(pane->scene() && pane->scene()->layers.size() == 1 && !pane->scene()->layers[0].frames.empty());
    auto* loader = pane->findChild<SceneLoader*>();
    QVERIFY(loader);
    QTRY_VERIFY(!loader->busy());
    const int lookups = loader->fileLookups();

    // The title is not drawn: typing it asks the view for nothing.
    QSignalSpy shown(pane, &PreviewPane::sceneShown);
    typeInto(dialog, kTitle, "Canyon Run");
    QTest::qWait(50);
    QCOMPARE(shown.count(), 0);

    // A setting, a target, a layer's motion: shown, no file looked at.
    typeInto(dialog, kBackgroundColor, "0,0,1");
    addTarget(dialog, "1,2,3");
    clickRow(dialog, kLayerList, 0);
    chooseRow(dialog, kLayerKind, 1); // Moving
    typeInto(dialog, kSpeed, "2,0,0");
    typeInto(dialog, kFramesTillReset, "5");
    click(dialog, kUpdateLayer);
    QTRY_COMPARE(pane->scene()->background, (std::array<float, 3>{0, 0, 1}));
    QTRY_COMPARE(pane->scene()->layers[0].displacement, (ScenePoint{10, 0, 0}));
    QCOMPARE(pane->scene()->targets.size(), std::size_t(1));
    QVERIFY(!pane->scene()->layers[0].frames.empty());
    QCOMPARE(loader->fileLookups(), lookups);

    // Another mesh is looked at.
    typeInto(dialog, kObjFile, QString::fromStdString(folder->file("b.obj")));
    click(dialog, kUpdateLayer);
    QTRY_VERIFY(loader->fileLookups() > lookups);
}

void EditorDocumentViewsTest::escapeAsksBeforeDroppingAnEntryNotAdded()
{
    auto& [services, dialog] = *dialogUnderTest;
    QVERIFY(showAndActivate(dialog));
    typeInto(dialog, kPosition, "1,2,3");
    services.answers = {Answer::Cancel};
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].text, std::string("The form holds a target that is not added. Discard it?"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(textOf(dialog, kPosition), QString("1,2,3"));
    // Discarding it ends the editor (the level itself is unchanged).
    services.answers = {Answer::Discard};
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(services.questions.size(), std::size_t(2));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(EditorDocumentViewsTest)
#include "editor_document_views_test.moc"
