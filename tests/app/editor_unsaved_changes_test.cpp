// The editor never loses a designer's work: the modified state in the title,
// the question before Quit, Escape, the close box or Open discard a modified
// level, saving to the level's own file, undo and redo of every change,
// recovery copies offered after a crash, and the recent projects. Driven
// through the real widgets with scripted platform services.
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <memory>

#include "dialog_under_test.h"
#include "app/actions/project_actions.h"
#include "document/recovery_keeper.h"
#include "editor_driver.h"
#include "fake_platform_services.h"
#include "model/project_file.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

const QString kCaption = "Kestrin Level Generator";

LevelProject projectTitled(const std::string& title)
{
    LevelProject project;
    project.settings.title = title;
    LayerEntry layer;
    layer.objPath = title + ".obj";
    project.layers.append(layer);
    return project;
}

LevelProject loadedFrom(const std::string& path)
{
    LevelProject project;
    const Status status = loadProject(path, project);
    return status ? project : LevelProject{};
}

void pressKeys(const QKeySequence& keys)
{
    QTest::keySequence(QApplication::focusWidget(), keys);
}

// Ends the dialog in one of the four ways a user has.
void endDialog(MainDialog& dialog, const QString& how)
{
    if (how == "Quit")
        click(dialog, kQuit);
    else if (how == "Escape")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (how == "close box")
        dialog.close();
    else if (how == "Ctrl+Q")
        pressKeys(QKeySequence("Ctrl+Q"));
}

void addStaticLayer(MainDialog& dialog, const QString& obj)
{
    typeInto(dialog, kObjFile, obj);
    click(dialog, kAddLayer);
}

void addTarget(MainDialog& dialog, const QString& position, int kind)
{
    typeTargetForm(dialog, position, kind);
    click(dialog, kAddTarget);
}

} // namespace

class EditorUnsavedChangesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DialogUnderTest> dialogUnderTest;
    std::unique_ptr<kes::test::TempDir> folder;

private slots:
    void init()
    {
        dialogUnderTest = std::make_unique<DialogUnderTest>();
        folder = std::make_unique<kes::test::TempDir>();
        QVERIFY(showAndActivate(dialogUnderTest->dialog));
    }
    void cleanup()
    {
        dialogUnderTest.reset();
        folder.reset();
    }

    void endingAsksWhileModified_data();
    void endingAsksWhileModified();
    void savingAtTheQuestionCanBeCancelled();
    void openAsksWhileModified_data();
    void openAsksWhileModified();
    void titleFollowsSaveLoadEditAndUndo();
    void ctrlSSavesToTheLevelsFileWithoutAsking();
    void undoAndRedoRestoreEachKindOfChange_data();
    void undoAndRedoRestoreEachKindOfChange();
    void aSettingIsOneUndoStepPerEditedField();
    void recoveryCopyIsOfferedAfterACrash();
    void recoveryCopyOfANewLevelAndItsDiscarding();
    void recoveryCopyGoesWithACleanExitOrASave();
    void aRecoveryCopyInUseIsNotOffered();
    void recentProjectsKeepTheLastEight();
    void aMissingRecentProjectIsDroppedWithANote();
};

void EditorUnsavedChangesTest::endingAsksWhileModified_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("ends");
    for (const char* how : {"Quit", "Escape", "close box", "Ctrl+Q"}) {
        QTest::addRow("%s, Save", how) << QString(how) << Answer::Save << true;
        QTest::addRow("%s, Discard", how) << QString(how) << Answer::Discard << true;
        QTest::addRow("%s, Cancel", how) << QString(how) << Answer::Cancel << false;
    }
}

void EditorUnsavedChangesTest::endingAsksWhileModified()
{
    QFETCH(QString, how);
    QFETCH(Answer, answer);
    QFETCH(bool, ends);
    auto& [services, dialog] = *dialogUnderTest;
    const std::string path = folder->file("mine.kgp");
    typeInto(dialog, kTitle, "Mine", false);
    addStaticLayer(dialog, "rock.obj");
    dialog.control(kQuit)->setFocus();
    const LevelProject edited = dialog.document().project();
    QVERIFY(dialog.document().isModified());

    QSignalSpy finished(&dialog, &QDialog::finished);
    services.answers = {answer};
    services.fileAnswers = {path};
    endDialog(dialog, how);

    QCOMPARE(services.questions.size(), std::size_t(1));
    const RecordedQuestion& question = services.questions[0];
    QCOMPARE(question.caption, std::string("Unsaved Changes"));
    QCOMPARE(question.text, std::string("Save changes to the level before closing?"));
    QVERIFY(question.answers == (std::vector<Answer>{Answer::Save, Answer::Discard, Answer::Cancel}));
    QVERIFY(question.defaultAnswer == Answer::Save);
    QCOMPARE(finished.count(), ends ? 1 : 0);
    QCOMPARE(dialog.isVisible(), !ends);
    // Save asked for a name (a new level has no file) and wrote the level.
    QCOMPARE(QFileInfo::exists(QString::fromStdString(path)), answer == Answer::Save);
    if (answer == Answer::Save)
        QVERIFY(loadedFrom(path) == edited);
    // Cancel left everything as it was.
    QVERIFY(dialog.document().project() == edited);
    QCOMPARE(dialog.document().isModified(), answer != Answer::Save);
}

void EditorUnsavedChangesTest::savingAtTheQuestionCanBeCancelled()
{
    auto& [services, dialog] = *dialogUnderTest;
    typeInto(dialog, kAuthor, "Me");
    services.answers = {Answer::Save};
    click(dialog, kQuit); // the file dialog gets no answer: cancelled
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QVERIFY(services.fileRequests[0].save);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.document().isModified());

    // A level with a file is saved to it without a file dialog.
    const std::string path = folder->file("known.kgp");
    services.fileAnswers = {path};
    click(dialog, kSave);
    typeInto(dialog, kAuthor, "Me again");
    services.answers = {Answer::Save};
    click(dialog, kQuit);
    QCOMPARE(services.fileRequests.size(), std::size_t(2));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(loadedFrom(path).settings.author, std::string("Me again"));
}

void EditorUnsavedChangesTest::openAsksWhileModified_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::newRow("Save") << Answer::Save;
    QTest::newRow("Discard") << Answer::Discard;
    QTest::newRow("Cancel") << Answer::Cancel;
}

void EditorUnsavedChangesTest::openAsksWhileModified()
{
    QFETCH(Answer, answer);
    auto& [services, dialog] = *dialogUnderTest;
    const std::string mine = folder->file("mine.kgp");
    const std::string other = folder->file("other.kgp");
    QVERIFY(saveProject(projectTitled("Other"), other).ok());

    // Unmodified, "Open..." opens at once.
    services.fileAnswers = {mine};
    click(dialog, kSave);
    QVERIFY(!dialog.document().isModified());
    typeInto(dialog, kTitle, "Mine");
    addTarget(dialog, "1,2,3", 0);
    const LevelProject edited = dialog.document().project();

    services.answers = {answer};
    services.fileAnswers = {other};
    click(dialog, kOpen);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].text, std::string("Save changes to the level before opening another project?"));
    QCOMPARE(services.questions[0].caption, std::string("Unsaved Changes"));
    if (answer == Answer::Cancel) {
        QCOMPARE(services.fileRequests.size(), std::size_t(1)); // only the first save's
        QVERIFY(dialog.document().project() == edited);
        QVERIFY(dialog.document().isModified());
        QCOMPARE(dialog.document().path(), mine);
        return;
    }
    // Saved to its own file without a file dialog, or discarded; then opened.
    QCOMPARE(services.fileRequests.size(), std::size_t(2));
    QVERIFY(!services.fileRequests[1].save);
    QCOMPARE(loadedFrom(mine).settings.title, std::string(answer == Answer::Save ? "Mine" : "Level"));
    QCOMPARE(textOf(dialog, kTitle), QString("Other"));
    QCOMPARE(dialog.document().path(), other);
    QVERIFY(!dialog.document().isModified());
    QCOMPARE(dialog.document().undoStack().count(), 0);

    // Unmodified again: the next Open asks nothing.
    services.fileAnswers = {mine};
    click(dialog, kOpen);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(dialog.document().path(), mine);
}

void EditorUnsavedChangesTest::titleFollowsSaveLoadEditAndUndo()
{
    auto& [services, dialog] = *dialogUnderTest;
    QCOMPARE(dialog.windowTitle(), kCaption);
    typeInto(dialog, kTitle, "Dunes");
    QCOMPARE(dialog.windowTitle(), "* - " + kCaption);
    pressKeys(QKeySequence("Ctrl+Z"));
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
    QCOMPARE(dialog.windowTitle(), kCaption);
    pressKeys(QKeySequence("Ctrl+Y"));
    QCOMPARE(dialog.windowTitle(), "* - " + kCaption);

    services.fileAnswers = {folder->file("dunes.kgp")};
    click(dialog, kSave);
    QCOMPARE(dialog.windowTitle(), "dunes.kgp - " + kCaption);
    addStaticLayer(dialog, "dune.obj");
    QCOMPARE(dialog.windowTitle(), "dunes.kgp* - " + kCaption);
    // Undoing back to the saved level makes it unmodified again.
    pressKeys(QKeySequence("Ctrl+Z"));
    QCOMPARE(dialog.document().layers().count(), 0);
    QCOMPARE(dialog.windowTitle(), "dunes.kgp - " + kCaption);
    // Undo beyond the save: modified again.
    pressKeys(QKeySequence("Ctrl+Z"));
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
    QCOMPARE(dialog.windowTitle(), "dunes.kgp* - " + kCaption);

    const std::string other = folder->file("other.kgp");
    QVERIFY(saveProject(projectTitled("Other"), other).ok());
    services.answers = {Answer::Discard};
    services.fileAnswers = {other};
    click(dialog, kOpen);
    QCOMPARE(dialog.windowTitle(), "other.kgp - " + kCaption);
    QVERIFY(!dialog.document().isModified());
}

void EditorUnsavedChangesTest::ctrlSSavesToTheLevelsFileWithoutAsking()
{
    auto& [services, dialog] = *dialogUnderTest;
    const std::string path = folder->file("keys.kgp");
    typeInto(dialog, kTitle, "Keys");
    // A new level: Ctrl+S is "Save...", with its box.
    services.fileAnswers = {path};
    pressKeys(QKeySequence("Ctrl+S"));
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QVERIFY(services.fileRequests[0].save);
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("Project saved."));
    QVERIFY(!dialog.document().isModified());

    // With a file: saved there, no file dialog, no box.
    typeInto(dialog, kAuthor, "Typist");
    pressKeys(QKeySequence("Ctrl+S"));
    QCOMPARE(services.fileRequests.size(), std::size_t(1));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(loadedFrom(path).settings.author, std::string("Typist"));
    QVERIFY(!dialog.document().isModified());

    // "Save..." still asks for a name and shows its box.
    services.fileAnswers = {folder->file("copy.kgp")};
    click(dialog, kSave);
    QCOMPARE(services.fileRequests.size(), std::size_t(2));
    QCOMPARE(services.messages.size(), std::size_t(2));
    QCOMPARE(dialog.document().path(), folder->file("copy.kgp"));

    // Ctrl+O is "Open..."; unmodified, it goes straight to the file dialog.
    pressKeys(QKeySequence("Ctrl+O"));
    QCOMPARE(services.fileRequests.size(), std::size_t(3));
    QVERIFY(!services.fileRequests[2].save);
    QVERIFY(services.questions.empty());
}

void EditorUnsavedChangesTest::undoAndRedoRestoreEachKindOfChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QKeySequence>("redoKeys");
    QTest::newRow("add layer") << "add layer" << QKeySequence("Ctrl+Shift+Z");
    QTest::newRow("remove first layer") << "remove layer 0" << QKeySequence("Ctrl+Y");
    QTest::newRow("remove middle layer") << "remove layer 1" << QKeySequence("Ctrl+Shift+Z");
    QTest::newRow("remove last layer") << "remove layer 2" << QKeySequence("Ctrl+Y");
    QTest::newRow("add target") << "add target" << QKeySequence("Ctrl+Y");
    QTest::newRow("remove middle target") << "remove target 1" << QKeySequence("Ctrl+Shift+Z");
    QTest::newRow("setting text") << "setting" << QKeySequence("Ctrl+Y");
}

void EditorUnsavedChangesTest::undoAndRedoRestoreEachKindOfChange()
{
    QFETCH(QString, change);
    QFETCH(QKeySequence, redoKeys);
    auto& [services, dialog] = *dialogUnderTest;
    for (const char* obj : {"a.obj", "b.obj", "c.obj"})
        addStaticLayer(dialog, obj);
    for (const char* position : {"1,1,1", "2,2,2", "3,3,3"})
        addTarget(dialog, position, 1);
    const LevelProject before = dialog.document().project();

    if (change == "add layer") {
        addStaticLayer(dialog, "d.obj");
    } else if (change.startsWith("remove layer")) {
        clickRow(dialog, kLayerList, change.back().digitValue());
        click(dialog, kRemoveLayer);
    } else if (change == "add target") {
        addTarget(dialog, "4,5,6", 0);
    } else if (change.startsWith("remove target")) {
        clickRow(dialog, kTargetList, change.back().digitValue());
        click(dialog, kRemoveTarget);
    } else {
        typeInto(dialog, kBackgroundColor, "0.5,0.5,0.5");
    }
    const LevelProject after = dialog.document().project();
    QVERIFY(!(after == before));
    const QString formBefore = textOf(dialog, kObjFile) + textOf(dialog, kPosition);

    for (int round = 0; round < 2; ++round) {
        pressKeys(QKeySequence("Ctrl+Z"));
        QVERIFY(dialog.document().project() == before);
        QCOMPARE(listsMismatch(dialog), QString());
        pressKeys(redoKeys);
        QVERIFY(dialog.document().project() == after);
        QCOMPARE(listsMismatch(dialog), QString());
    }
    // Undo changes the level only, never the forms.
    QCOMPARE(textOf(dialog, kObjFile) + textOf(dialog, kPosition), formBefore);
    QVERIFY(services.messages.empty());
}

void EditorUnsavedChangesTest::aSettingIsOneUndoStepPerEditedField()
{
    auto& [services, dialog] = *dialogUnderTest;
    QUndoStack& stack = dialog.document().undoStack();
    typeInto(dialog, kTitle, "Canyon"); // six keys
    QCOMPARE(stack.count(), 1);
    typeInto(dialog, kAuthor, "Ada");
    QCOMPARE(stack.count(), 2);
    // Back in the title after leaving it: a new step.
    typeInto(dialog, kTitle, "Canyon Run");
    QCOMPARE(stack.count(), 3);
    // Ctrl+Z in a settings edit undoes the level's last step (the whole
    // edit), not the edit's last key.
    QCOMPARE(QApplication::focusWidget(), dialog.control(kTitle));
    pressKeys(QKeySequence("Ctrl+Z"));
    QCOMPARE(textOf(dialog, kTitle), QString("Canyon"));
    pressKeys(QKeySequence("Ctrl+Z"));
    QCOMPARE(textOf(dialog, kAuthor), QString("You"));
    QCOMPARE(textOf(dialog, kTitle), QString("Canyon"));
    pressKeys(QKeySequence("Ctrl+Z"));
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
    QVERIFY(!dialog.document().isModified());
    // Typing a text back to what it was leaves no step.
    typeInto(dialog, kVersionMinor, "05");
    typeInto(dialog, kVersionMinor, "0", false);
    QCOMPARE(stack.index(), 0);
    QVERIFY(!dialog.document().isModified());
}

void EditorUnsavedChangesTest::recoveryCopyIsOfferedAfterACrash()
{
    const std::string path = folder->file("canyon.kgp");
    QVERIFY(saveProject(projectTitled("Canyon"), path).ok());
    LevelProject edited;
    {
        FakePlatformServices services;
        MainDialog first(services, path);
        first.recovery().setDelay(10);
        typeInto(first, kTitle, "Canyon, changed");
        addStaticLayer(first, "bridge.obj");
        QTRY_VERIFY(!first.recovery().copyPath().empty());
        QVERIFY(QFileInfo::exists(QString::fromStdString(first.recovery().copyPath())));
        edited = first.document().project();
        QVERIFY(loadedFrom(first.recovery().copyPath()) == edited);
        // Destroyed without a clean exit, as by a crash.
    }
    FakePlatformServices services;
    services.answers = {Answer::Restore};
    MainDialog next(services, path);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].caption, std::string("Restore Unsaved Changes"));
    const std::string text = services.questions[0].text;
    QVERIFY2(text.starts_with("Restore unsaved changes to canyon.kgp from ") && text.ends_with("?"), text.c_str());
    QVERIFY(services.questions[0].answers == (std::vector<Answer>{Answer::Restore, Answer::Discard}));
    QVERIFY(next.document().project() == edited);
    QCOMPARE(listsMismatch(next), QString());
    QVERIFY(next.document().isModified());
    QCOMPARE(next.document().path(), path);
    QCOMPARE(next.windowTitle(), "canyon.kgp* - " + kCaption);
    QVERIFY(loadedFrom(path) == projectTitled("Canyon")); // the file itself is untouched

    // Saving it (Ctrl+S: to its own file) ends the recovery copy.
    const std::string copy = next.recovery().copyPath();
    QVERIFY(QFileInfo::exists(QString::fromStdString(copy)));
    QVERIFY(showAndActivate(next));
    pressKeys(QKeySequence("Ctrl+S"));
    QVERIFY(services.fileRequests.empty());
    QVERIFY(loadedFrom(path) == edited);
    QVERIFY(!QFileInfo::exists(QString::fromStdString(copy)));
    QVERIFY(!next.document().isModified());
}

void EditorUnsavedChangesTest::recoveryCopyOfANewLevelAndItsDiscarding()
{
    std::string copy;
    {
        FakePlatformServices services;
        MainDialog first(services);
        first.recovery().setDelay(10);
        typeInto(first, kAuthor, "Night owl");
        QTRY_VERIFY(!first.recovery().copyPath().empty());
        copy = first.recovery().copyPath();
    }
    {
        // Offered to a dialog started without a project; Discard removes it.
        FakePlatformServices services;
        services.answers = {Answer::Discard};
        MainDialog next(services);
        QCOMPARE(services.questions.size(), std::size_t(1));
        QVERIFY2(services.questions[0].text.starts_with("Restore unsaved changes to the new level from "),
                 services.questions[0].text.c_str());
        QCOMPARE(textOf(next, kAuthor), QString("You"));
        QVERIFY(!next.document().isModified());
        QVERIFY(!QFileInfo::exists(QString::fromStdString(copy)));
    }
    FakePlatformServices services;
    MainDialog third(services);
    QVERIFY(services.questions.empty());
}

void EditorUnsavedChangesTest::recoveryCopyGoesWithACleanExitOrASave()
{
    auto& [services, dialog] = *dialogUnderTest;
    dialog.recovery().setDelay(10);
    typeInto(dialog, kTitle, "Draft");
    QTRY_VERIFY(!dialog.recovery().copyPath().empty());
    std::string copy = dialog.recovery().copyPath();
    // Undone back to the new level: nothing left to recover.
    pressKeys(QKeySequence("Ctrl+Z"));
    QVERIFY(!QFileInfo::exists(QString::fromStdString(copy)));
    QVERIFY(dialog.recovery().copyPath().empty());

    typeInto(dialog, kTitle, "Draft again");
    QTRY_VERIFY(!dialog.recovery().copyPath().empty());
    copy = dialog.recovery().copyPath();
    services.answers = {Answer::Discard};
    click(dialog, kQuit);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFileInfo::exists(QString::fromStdString(copy)));

    // The next start offers nothing.
    FakePlatformServices otherServices;
    MainDialog next(otherServices);
    QVERIFY(otherServices.questions.empty());
}

void EditorUnsavedChangesTest::aRecoveryCopyInUseIsNotOffered()
{
    FakePlatformServices services;
    auto running = std::make_unique<MainDialog>(services);
    running->recovery().setDelay(10);
    typeInto(*running, kTitle, "Still being edited");
    QTRY_VERIFY(!running->recovery().copyPath().empty());
    const std::string copy = running->recovery().copyPath();
    {
        // A second editor started meanwhile leaves the running one's copy.
        FakePlatformServices otherServices;
        MainDialog second(otherServices);
        QVERIFY(otherServices.questions.empty());
        QVERIFY(QFileInfo::exists(QString::fromStdString(copy)));
    }
    // Once the first is gone without a clean exit, the copy is offered.
    running.reset();
    FakePlatformServices nextServices;
    nextServices.answers = {Answer::Restore};
    MainDialog next(nextServices);
    QCOMPARE(nextServices.questions.size(), std::size_t(1));
    QCOMPARE(textOf(next, kTitle), QString("Still being edited"));
    QCOMPARE(next.recovery().copyPath(), copy);
}

void EditorUnsavedChangesTest::recentProjectsKeepTheLastEight()
{
    auto& [services, dialog] = *dialogUnderTest;
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) {
        const std::string number = std::to_string(i);
        paths.push_back(folder->file("level" + number + ".kgp"));
        QVERIFY(saveProject(projectTitled("L" + number), paths.back()).ok());
    }
    for (int i = 0; i < 9; ++i) {
        services.fileAnswers = {paths[std::size_t(i)]};
        click(dialog, kOpen);
    }
    services.fileAnswers = {paths[9]};
    click(dialog, kSave); // saved projects count too
    services.fileAnswers = {paths[5]};
    click(dialog, kOpen); // opened again: moves up

    QCOMPARE(dialog.control(kRecentProjects)->accessibleName(), QString("Recent projects"));
    click(dialog, kRecentProjects);
    QMenu* menu = dialog.projectActions().recentMenu();
    QTRY_VERIFY(menu->isVisible());
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << action->text();
    QStringList expected;
    for (int i : {5, 9, 8, 7, 6, 4, 3, 2})
        expected << QDir::toNativeSeparators(QString::fromStdString(paths[std::size_t(i)]));
    QCOMPARE(entries, expected);

    // Choosing one is "Open..." of it, with the question while modified.
    typeInto(dialog, kTitle, "Unsaved");
    services.answers = {Answer::Cancel};
    menu->actions().at(3)->trigger();
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(textOf(dialog, kTitle), QString("Unsaved"));
    services.answers = {Answer::Discard};
    menu->actions().at(3)->trigger();
    QCOMPARE(textOf(dialog, kTitle), QString("L7"));
    QCOMPARE(dialog.document().path(), paths[7]);
    QVERIFY(services.messages.size() == 1); // the one "Project saved."
}

void EditorUnsavedChangesTest::aMissingRecentProjectIsDroppedWithANote()
{
    auto& [services, dialog] = *dialogUnderTest;
    const std::string kept = folder->file("kept.kgp");
    const std::string gone = folder->file("gone.kgp");
    QVERIFY(saveProject(projectTitled("Kept"), kept).ok());
    QVERIFY(saveProject(projectTitled("Gone"), gone).ok());
    services.fileAnswers = {kept, gone};
    click(dialog, kOpen);
    click(dialog, kOpen);
    QVERIFY(std::filesystem::remove(gone));

    click(dialog, kRecentProjects);
    QMenu* menu = dialog.projectActions().recentMenu();
    QCOMPARE(menu->actions().size(), 2);
    menu->actions().at(0)->trigger();
    QCOMPARE(services.messages.size(), std::size_t(1));
    QVERIFY(services.messages[0].icon == MessageIcon::Information);
    QVERIFY(services.messages[0].text.find("gone.kgp") != std::string::npos);
    QCOMPARE(textOf(dialog, kTitle), QString("Gone")); // still the level that was open
    menu->hide();

    click(dialog, kRecentProjects);
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().at(0)->text(), QDir::toNativeSeparators(QString::fromStdString(kept)));
    QCOMPARE(services.messages.size(), std::size_t(1)); // one note, no more
}

QTEST_MAIN(EditorUnsavedChangesTest)
#include "editor_unsaved_changes_test.moc"
