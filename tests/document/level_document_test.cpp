// The level document on its own: every kind of edit undone and redone, what
// each signals, the selection through edits and undo, continuous edits, and
// the modified state.
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include "document/level_document.h"
#include "model/project_file.h"

using namespace kes;
using namespace kes::editor;

namespace {

LayerEntry layer(const std::string& obj)
{
    LayerEntry entry;
    entry.objPath = obj;
    entry.collision = 1;
    return entry;
}

TargetEntry target(float x)
{
    return {x, 0, 0, 0};
}

// A level of three layers and three targets, saved as "level.kgp".
LevelProject threeOfEach()
{
    LevelProject project;
    resetToDefaults(project);
    for (const char* obj : {"a.obj", "b.obj", "c.obj"})
        project.layers.append(layer(obj));
    for (float x : {1.0f, 2.0f, 3.0f})
        project.targets.append(target(x));
    return project;
}

// The rows signalled, as "table first-last" lines.
QStringList rowSignals(const QSignalSpy& spy)
{
    QStringList lines;
    for (const QList<QVariant>& call : spy)
        lines << QStringLiteral("%1 %2-%3")
                     .arg(call[0].value<LevelTable>() == LevelTable::Layers ? "layers" : "targets")
                     .arg(call[1].toInt())
                     .arg(call[2].toInt());
    return lines;
}

} // namespace

class LevelDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void eachEditIsOneStepThatUndoAndRedoRestore_data();
    void eachEditIsOneStepThatUndoAndRedoRestore();
    void theSelectionFollowsRowsThroughEditsAndUndo();
    void aContinuousEditIsOneStepOrNone();
    void cancellingAContinuousEditPutsEverythingBack();
    void addingARowClosesAContinuousEdit();
    void modifiedFollowsTheSavedLevel();
    void savingToAnotherFolderWithOtherPathsEmptiesTheUndoStack();
};

void LevelDocumentTest::eachEditIsOneStepThatUndoAndRedoRestore_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QStringList>("rows"); // what rowsChanged says
    QTest::addColumn<bool>("settings");    // whether settingsChanged comes

    QTest::newRow("add layer") << "add layer" << QStringList{"layers 3-3"} << false;
    QTest::newRow("add target") << "add target" << QStringList{"targets 3-3"} << false;
    QTest::newRow("remove first layer") << "remove layer 0" << QStringList{"layers 0-2"} << false;
    QTest::newRow("remove last target") << "remove target 2" << QStringList{"targets 2-2"} << false;
    QTest::newRow("update middle layer") << "update layer 1" << QStringList{"layers 1-1"} << false;
    QTest::newRow("update target") << "update target 0" << QStringList{"targets 0-0"} << false;
    QTest::newRow("move layer down") << "move layer 0" << QStringList{"layers 0-1"} << false;
    QTest::newRow("move target down") << "move target 1" << QStringList{"targets 1-2"} << false;
    QTest::newRow("relink") << "relink" << QStringList{"layers 0-2"} << false;
    for (int i = 0; i < kSettingCount; ++i)
        QTest::addRow("setting %d", i) << QStringLiteral("setting %1").arg(i) << QStringList() << true;
}

void LevelDocumentTest::eachEditIsOneStepThatUndoAndRedoRestore()
{
    QFETCH(QString, edit);
    QFETCH(QStringList, rows);
    QFETCH(bool, settings);
    LevelDocument document;
    const LevelProject before = threeOfEach();
    document.reset(before, "/levels/level.kgp");
    QSignalSpy rowSpy(&document, &LevelDocument::rowsChanged);
    QSignalSpy settingSpy(&document, &LevelDocument::settingsChanged);
    QSignalSpy changed(&document, &LevelDocument::changed);

    const int row = edit.back().isDigit() ? edit.back().digitValue() : -1;
    if (edit == "add layer") {
        QVERIFY(document.addRow(layer("d.obj"), "Add layer"));
    } else if (edit == "add target") {
        QVERIFY(document.addRow(target(9), "Add target"));
    } else if (edit.startsWith("remove")) {
        document.removeRow(edit.contains("layer") ? LevelTable::Layers : LevelTable::Targets, row, "Remove");
    } else if (edit.startsWith("update layer")) {
        document.replaceRow(row, layer("new.obj"), "Update layer");
    } else if (edit.startsWith("update target")) {
        document.replaceRow(row, target(-5), "Update target");
    } else if (edit.startsWith("move")) {
        document.moveRow(edit.contains("layer") ? LevelTable::Layers : LevelTable::Targets, row, row + 1, "Move");
    } else if (edit == "relink") {
        LayerTable relinked = before.layers;
        for (int i = 0; i < relinked.count(); ++i)
            relinked.at(i).objPath = "/levels/" + relinked.at(i).objPath;
        document.replaceLayers(relinked, "Relink");
    } else {
        document.setSetting(static_cast<Setting>(row), "7,7,7");
    }
    const LevelProject after = document.project();
    QVERIFY(!(after == before));
    QCOMPARE(document.undoStack().count(), 1);
    QCOMPARE(rowSignals(rowSpy), rows);
    QCOMPARE(settingSpy.count(), settings ? 1 : 0);
    QCOMPARE(changed.count(), 1);
    QVERIFY(document.isModified());

    for (int round = 0; round < 2; ++round) {
        rowSpy.clear();
        document.undo();
        QVERIFY(document.project() == before);
        QCOMPARE(rowSignals(rowSpy), rows); // the same rows change back
        QVERIFY(!document.isModified());
        document.redo();
        QVERIFY(document.project() == after);
    }
}

void LevelDocumentTest::theSelectionFollowsRowsThroughEditsAndUndo()
{
    LevelDocument document;
    document.reset(threeOfEach(), {});
    QSignalSpy selection(&document, &LevelDocument::selectionChanged);
    document.select(LevelTable::Layers, 1);
    QCOMPARE(selection.count(), 1);
    document.select(LevelTable::Layers, 7); // no such row: none
    QCOMPARE(document.selectedRow(LevelTable::Layers), -1);
    document.select(LevelTable::Layers, 1);
    QCOMPARE(document.undoStack().count(), 0); // selecting is no edit

    // A moved row takes its selection along, and undo brings both back.
    document.moveRow(LevelTable::Layers, 1, 0, "Move layer up");
    QCOMPARE(document.selectedRow(LevelTable::Layers), 0);
    QCOMPARE(document.layers().at(0).objPath, std::string("b.obj"));
    document.undo();
    QCOMPARE(document.selectedRow(LevelTable::Layers), 1);
    document.redo();
    QCOMPARE(document.selectedRow(LevelTable::Layers), 0);

    // A removed row leaves none selected; undo selects it again.
    document.removeRow(LevelTable::Layers, 0, "Remove layer");
    QCOMPARE(document.selectedRow(LevelTable::Layers), -1);
    document.undo();
    QCOMPARE(document.selectedRow(LevelTable::Layers), 0);
    QCOMPARE(document.layers().at(0).objPath, std::string("b.obj"));

    // Updating a row keeps the selection, and so does its undo, wherever
    // the designer went meanwhile.
    document.select(LevelTable::Targets, 2);
    document.replaceRow(2, target(8), "Update target");
    document.select(LevelTable::Targets, 0);
    document.undo();
    QCOMPARE(document.selectedRow(LevelTable::Targets), 0);

    // An undone add takes the selection back to where it was before it.
    document.addRow(target(4), "Add target");
    document.select(LevelTable::Targets, 3);
    document.undo();
    QCOMPARE(document.selectedRow(LevelTable::Targets), 0);
    QCOMPARE(document.targets().count(), 3);
}

void LevelDocumentTest::aContinuousEditIsOneStepOrNone()
{
    LevelDocument document;
    QSignalSpy changed(&document, &LevelDocument::settingsChanged);
    document.beginEdit("Edit setting", 1);
    QVERIFY(document.editOpen());
    QCOMPARE(document.editTag(), 1);
    for (const char* title : {"C", "Ca", "Can"})
        document.setSetting(Setting::Title, title);
    // Each change shows at once and the steps merge into one.
    QCOMPARE(changed.count(), 3);
    QCOMPARE(document.undoStack().count(), 1);
    document.commitEdit();
    QVERIFY(!document.editOpen());
    document.setSetting(Setting::Title, "Canyon"); // after the edit: a step of its own
    QCOMPARE(document.undoStack().count(), 2);
    document.undo();
    document.undo();
    QCOMPARE(document.settings().title, std::string("Level"));

    // An edit that ends where it began leaves no step.
    document.beginEdit("Edit setting", 2);
    document.setSetting(Setting::Author, "Ada");
    document.setSetting(Setting::Author, "You");
    document.commitEdit();
    QCOMPARE(document.undoStack().index(), 0);
    QVERIFY(!document.isModified());

    // A drag of a target: many steps of one row, one undo step.
    document.addRow(target(0), "Add target");
    document.beginEdit("Move Target");
    for (float x = 0.5f; x <= 3; x += 0.5f)
        document.replaceRow(0, target(x), "Move Target");
    document.commitEdit();
    QCOMPARE(document.undoStack().count(), 2);
    QCOMPARE(document.undoStack().text(1), QString("Move Target"));
    document.undo();
    QCOMPARE(document.targets().at(0).x, 0.0f);
}

void LevelDocumentTest::cancellingAContinuousEditPutsEverythingBack()
{
    LevelDocument document;
    document.reset(threeOfEach(), {});
    document.replaceRow(0, target(5), "Update target"); // an earlier step stays
    const LevelProject before = document.project();
    document.beginEdit("Move Target");
    document.replaceRow(1, target(10), "Move Target");
    document.replaceRow(1, target(20), "Move Target");
    QSignalSpy rows(&document, &LevelDocument::rowsChanged);
    document.cancelEdit();
    QVERIFY(document.project() == before);
    QCOMPARE(rowSignals(rows), QStringList{"targets 1-1"});
    // No step was left behind, nothing to redo.
    QCOMPARE(document.undoStack().count(), 1);
    QVERIFY(!document.undoStack().canRedo());
    // Cancelling an edit that changed nothing changes nothing.
    document.beginEdit("Move Target");
    document.cancelEdit();
    QCOMPARE(document.undoStack().count(), 1);
    QVERIFY(document.project() == before);
}

void LevelDocumentTest::addingARowClosesAContinuousEdit()
{
    LevelDocument document;
    document.beginEdit("Edit setting", 1);
    document.setSetting(Setting::Title, "Canyon");
    document.addRow(layer("a.obj"), "Add layer");
    QVERIFY(!document.editOpen());
    document.setSetting(Setting::Title, "Canyon Run"); // no longer merged
    QCOMPARE(document.undoStack().count(), 3);
    // Undo closes an open edit before it undoes.
    document.beginEdit("Edit setting", 1);
    document.setSetting(Setting::Author, "Ada");
    document.undo();
    QVERIFY(!document.editOpen());
    QCOMPARE(document.settings().author, std::string("You"));
    QCOMPARE(document.settings().title, std::string("Canyon Run"));
}

void LevelDocumentTest::modifiedFollowsTheSavedLevel()
{
    LevelDocument document;
    QSignalSpy modified(&document, &LevelDocument::modifiedChanged);
    QVERIFY(!document.isModified());
    document.setSetting(Setting::Title, "Canyon");
    QVERIFY(document.isModified());
    document.setSetting(Setting::Title, "Level"); // back as it was saved
    QVERIFY(!document.isModified());
    QCOMPARE(modified.count(), 2);
    document.setSetting(Setting::Title, "Canyon");
    document.saved(document.project(), "/levels/canyon.kgp");
    QVERIFY(!document.isModified());
    QCOMPARE(document.folder(), std::string("/levels"));
    document.undo();
    QVERIFY(document.isModified()); // the saved level had the new title
    // A restored level is modified until it is saved, even unchanged.
    document.reset(threeOfEach(), "/levels/canyon.kgp", true);
    QVERIFY(document.isModified());
    QCOMPARE(document.undoStack().count(), 0);
    QCOMPARE(document.selectedRow(LevelTable::Layers), -1);
}

void LevelDocumentTest::savingToAnotherFolderWithOtherPathsEmptiesTheUndoStack()
{
    LevelDocument document;
    document.reset(threeOfEach(), "/levels/level.kgp");
    document.addRow(target(5), "Add target");
    // The same level: the steps stay.
    document.saved(document.project(), "/levels/copy.kgp");
    QCOMPARE(document.undoStack().count(), 1);
    // Written with paths for its new folder: the steps named the old files.
    LevelProject moved = document.project();
    moved.layers.at(0).objPath = "../levels/a.obj";
    QSignalSpy rows(&document, &LevelDocument::rowsChanged);
    document.saved(moved, "/elsewhere/level.kgp");
    QVERIFY(document.project() == moved);
    QCOMPARE(rowSignals(rows), QStringList{"layers 0-0"});
    QCOMPARE(document.undoStack().count(), 0);
    QVERIFY(!document.isModified());
}

QTEST_GUILESS_MAIN(LevelDocumentTest)
#include "level_document_test.moc"
