// Help in the editor: F1 and the "?" button open the designer's guide through
// the platform services, and every control explains itself in its tooltip.
#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <set>

#include "app/field_help.h"
#include "app/guide_location.h"
#include "editor_driver.h"
#include "fake_platform_services.h"
#include "support/temp_dir.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

class EditorHelpTest : public QObject {
    Q_OBJECT

private slots:
    void f1AndTheHelpButtonOpenTheGuide();
    void aGuideThatDoesNotOpenIsReported();
    void theInstalledGuideComesBeforeTheSourceTree();
    void everyControlHasATooltipAndEveryFieldAnExample();
};

void EditorHelpTest::f1AndTheHelpButtonOpenTheGuide()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));

    // F1 wherever the focus is: in an edit, on a button, in a list.
    for (int focus : {kTitle, kQuit, kLayerList}) {
        dialog.control(focus)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    }
    click(dialog, kHelp);
    QCOMPARE(services.openedDocuments.size(), std::size_t(4));
    for (const std::string& opened : services.openedDocuments) {
        QCOMPARE(opened, services.openedDocuments.front());
        QVERIFY2(opened.ends_with("docs/guide.md") || opened.ends_with("share/doc/kesgen/guide.md"), opened.c_str());
        QVERIFY(std::filesystem::is_regular_file(opened));
    }
    QVERIFY(services.messages.empty());
    // Nothing else changed: F1 typed nothing into the title.
    QCOMPARE(textOf(dialog, kTitle), QString("Level"));
}

void EditorHelpTest::aGuideThatDoesNotOpenIsReported()
{
    FakePlatformServices services;
    services.documentsOpen = false; // no application for Markdown files
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    click(dialog, kHelp);
    QCOMPARE(services.openedDocuments.size(), std::size_t(1));
    QCOMPARE(services.messages.size(), std::size_t(1));
    QCOMPARE(services.messages[0].text, std::string("The designer's guide could not be opened."));
    QCOMPARE(services.messages[0].caption, std::string("Help"));
    QVERIFY(services.messages[0].icon == MessageIcon::Error);
    QVERIFY(services.messages[0].detail.find(services.openedDocuments[0]) != std::string::npos);
}

void EditorHelpTest::theInstalledGuideComesBeforeTheSourceTree()
{
    test::TempDir prefix;
    const std::string bin = (prefix.path() / "bin").string();
    const std::filesystem::path installed = prefix.path() / "share" / "doc" / "kesgen" / "guide.md";
    const std::vector<std::string> candidates = guideCandidates(bin);
    QVERIFY(candidates.size() >= 2);
    QCOMPARE(candidates[0], installed.string());
    QVERIFY(candidates[1].ends_with("docs/guide.md"));

    // Without an installed copy the source tree's guide is found.
    QCOMPARE(findGuide(bin), candidates[1]);
    std::filesystem::create_directories(installed.parent_path());
    test::writeFile(installed.string(), std::string("# guide\n"));
    QCOMPARE(findGuide(bin), installed.string());
}

void EditorHelpTest::everyControlHasATooltipAndEveryFieldAnExample()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    for (const ControlDescription& control : dialogControls()) {
        if (control.id == kNoId)
            continue;
        const QString tip = dialog.control(control.id)->toolTip();
        QVERIFY2(!tip.isEmpty(), qPrintable(QString::number(control.id)));
        // Fields typed by the designer say what they hold, in which units,
        // with an example.
        if (control.kind == ControlKind::Edit)
            QVERIFY2(tip.contains("\nExample: "), qPrintable(tip));
    }
    // One entry per control: no id twice in the table.
    std::set<int> ids;
    for (const FieldHelp& help : fieldHelp())
        QVERIFY(ids.insert(help.id).second);
}

QTEST_MAIN(EditorHelpTest)
#include "editor_help_test.moc"
