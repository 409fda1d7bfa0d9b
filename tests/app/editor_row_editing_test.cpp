// Changing stored layers and targets in place: Update, Move up/down, the
// Delete key, edits in the form that are not applied yet, the look of the
// rows and lists that grow with the window.
#include <cmath>

#include <QApplication>
#include <QColor>
#include <QListWidget>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <QUndoStack>

#include "editor_driver.h"
#include "fake_platform_services.h"
#include "app/list_rows.h"

using namespace kes;
using namespace kes::editor;
using namespace kes::editor_test;

namespace {

void addLayers(MainDialog& dialog, const QStringList& names)
{
    for (const QString& name : names) {
        typeInto(dialog, kObjFile, name);
        click(dialog, kAddLayer);
    }
}

void addTargets(MainDialog& dialog, const QStringList& positions)
{
    for (const QString& position : positions) {
        typeInto(dialog, kPosition, position);
        click(dialog, kAddTarget);
    }
}

// The contrast ratio of two colours as the accessibility guidelines
// define it: from 1 (the same) to 21 (black on white).
double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QStringList layerPaths(const MainDialog& dialog)
{
    QStringList paths;
    for (int i = 0; i < dialog.document().layers().count(); ++i)
        paths << QString::fromStdString(dialog.document().layers().at(i).objPath);
    return paths;
}

} // namespace

class EditorRowEditingTest : public QObject {
    Q_OBJECT

private slots:
    void updateReplacesTheSelectedLayerInPlace();
    void updateReplacesTheSelectedTargetInPlace();
    void moveKeepsTheRowSelected_data();
    void moveKeepsTheRowSelected();
    void unappliedEditsStayUntilDiscarded();
    void aFormNotYetAddedCountsAsUnapplied();
    void deleteKeyRemovesTheSelectedRow();
    void rowsShowKindPathAndColour();
    void layerBadgesAreExplainedInTheTooltip_data();
    void layerBadgesAreExplainedInTheTooltip();
    void layerBadgesAreReadableInLightAndDarkPalettes();
    void numbersShowWholeAtTheDefaultSize();
    void listsGrowWithTheWindow();
};

void EditorRowEditingTest::updateReplacesTheSelectedLayerInPlace()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    addLayers(dialog, {"a.obj", "b.obj", "c.obj"});
    QVERIFY(!isEnabled(dialog, kUpdateLayer)); // no row selected

    clickRow(dialog, kLayerList, 1);
    QVERIFY(isEnabled(dialog, kUpdateLayer));
    typeInto(dialog, kObjFile, "b2.obj");
    chooseRow(dialog, kLayerKind, 1); // Moving: Speed and Frames are needed
    QVERIFY(!isEnabled(dialog, kUpdateLayer));
    QVERIFY(!isEnabled(dialog, kAddLayer));
    typeInto(dialog, kSpeed, "0,1,0");
    typeInto(dialog, kFramesTillReset, "50");
    QVERIFY(isEnabled(dialog, kUpdateLayer));
    click(dialog, kUpdateLayer);

    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "b2.obj", "c.obj"}));
    QCOMPARE(selectedRowOf(dialog, kLayerList), 1);
    QCOMPARE(dialog.document().layers().at(1).kind, 1);
    QCOMPARE(dialog.document().layers().at(1).frames, 50);
    QCOMPARE(dialog.document().layers().at(1).speed, (std::array<float, 3>{0, 1, 0}));
    QCOMPARE(listsMismatch(dialog), QString());
    // One undo step puts the layer back as it was, in its place.
    dialog.document().undoStack().undo();
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "b.obj", "c.obj"}));
    QCOMPARE(dialog.document().layers().at(1).kind, 0);
    dialog.document().undoStack().redo();
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "b2.obj", "c.obj"}));
    QCOMPARE(selectedRowOf(dialog, kLayerList), 1);
    // What the form holds is applied: another row is shown without a question.
    clickRow(dialog, kLayerList, 2);
    QVERIFY(services.questions.empty());
    QCOMPARE(textOf(dialog, kObjFile), QString("c.obj"));
}

void EditorRowEditingTest::updateReplacesTheSelectedTargetInPlace()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    addTargets(dialog, {"1,1,1", "2,2,2"});
    QVERIFY(!isEnabled(dialog, kUpdateTarget));
    clickRow(dialog, kTargetList, 0);
    typeInto(dialog, kPosition, "7,8");
    QVERIFY(!isEnabled(dialog, kUpdateTarget));
    typeInto(dialog, kPosition, "7,8,9");
    chooseRow(dialog, kTargetKind, 1);
    click(dialog, kUpdateTarget);
    QCOMPARE(rowTexts(dialog, kTargetList), (QStringList{"7.0000,8.0000,9.0000", "2.0000,2.0000,2.0000"}));
    QCOMPARE(dialog.document().targets().at(0).kind, 1);
    QCOMPARE(selectedRowOf(dialog, kTargetList), 0);
    QCOMPARE(listsMismatch(dialog), QString());
}

void EditorRowEditingTest::moveKeepsTheRowSelected_data()
{
    QTest::addColumn<bool>("layers");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("order"); // empty: the button is disabled
    QTest::addColumn<int>("selected");
    const QStringList a{"a.obj", "b.obj", "c.obj"};
    QTest::newRow("first layer up") << true << 0 << int(kMoveLayerUp) << QStringList() << 0;
    QTest::newRow("first layer down") << true << 0 << int(kMoveLayerDown) << QStringList{"b.obj", "a.obj", "c.obj"} << 1;
    QTest::newRow("last layer down") << true << 2 << int(kMoveLayerDown) << QStringList() << 2;
    QTest::newRow("last layer up") << true << 2 << int(kMoveLayerUp) << QStringList{"a.obj", "c.obj", "b.obj"} << 1;
    QTest::newRow("first target up") << false << 0 << int(kMoveTargetUp) << QStringList() << 0;
    QTest::newRow("last target down") << false << 2 << int(kMoveTargetDown) << QStringList() << 2;
    QTest::newRow("middle target up") << false << 1 << int(kMoveTargetUp)
                                      << QStringList{"2.0000,0.0000,0.0000", "1.0000,0.0000,0.0000",
                                                     "3.0000,0.0000,0.0000"}
                                      << 0;
}

void EditorRowEditingTest::moveKeepsTheRowSelected()
{
    QFETCH(bool, layers);
    QFETCH(int, row);
    QFETCH(int, button);
    QFETCH(QStringList, order);
    QFETCH(int, selected);
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    addLayers(dialog, {"a.obj", "b.obj", "c.obj"});
    addTargets(dialog, {"1,0,0", "2,0,0", "3,0,0"});
    const int list = layers ? kLayerList : kTargetList;
    const QStringList before = rowTexts(dialog, list);
    QVERIFY(!isEnabled(dialog, button)); // nothing selected yet
    clickRow(dialog, list, row);
    QCOMPARE(isEnabled(dialog, button), !order.isEmpty());
    click(dialog, button);
    QCOMPARE(rowTexts(dialog, list), order.isEmpty() ? before : order);
    QCOMPARE(selectedRowOf(dialog, list), selected);
    if (!order.isEmpty()) {
        // Undo moves it back, the selection with it; redo moves it again.
        dialog.document().undoStack().undo();
        QCOMPARE(rowTexts(dialog, list), before);
        QCOMPARE(selectedRowOf(dialog, list), row);
        dialog.document().undoStack().redo();
        QCOMPARE(rowTexts(dialog, list), order);
        QCOMPARE(selectedRowOf(dialog, list), selected);
    }
    QCOMPARE(listsMismatch(dialog), QString());
    if (layers)
        QCOMPARE(rowTexts(dialog, kLayerList), layerPaths(dialog));
    // The moved row is still the one the form shows: selecting it again
    // after a change asks nothing, and Update writes it where it now is.
    if (layers) {
        const int up = selected > 0 ? kMoveLayerUp : kMoveLayerDown;
        click(dialog, up);
        click(dialog, up == kMoveLayerUp ? kMoveLayerDown : kMoveLayerUp);
        QCOMPARE(selectedRowOf(dialog, list), selected);
        typeInto(dialog, kObjFile, "moved.obj");
        click(dialog, kUpdateLayer);
        QCOMPARE(dialog.document().layers().at(selected).objPath, std::string("moved.obj"));
        QVERIFY(services.questions.empty());
    }
}

void EditorRowEditingTest::unappliedEditsStayUntilDiscarded()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    addLayers(dialog, {"a.obj", "b.obj"});
    clickRow(dialog, kLayerList, 0);
    typeInto(dialog, kObjFile, "a-edited.obj");

    // "Keep Editing": the selection goes back to the edited row, the form
    // keeps what was typed and Update can still apply it.
    clickRow(dialog, kLayerList, 1);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(services.questions[0].caption, std::string("Unapplied Changes"));
    QCOMPARE(services.questions[0].answers, (std::vector<Answer>{Answer::Discard, Answer::Cancel}));
    QVERIFY(services.questions[0].text.find("layer 1") != std::string::npos);
    QCOMPARE(selectedRowOf(dialog, kLayerList), 0);
    QCOMPARE(textOf(dialog, kObjFile), QString("a-edited.obj"));
    QVERIFY(isEnabled(dialog, kUpdateLayer));

    // "Discard": the other row is shown.
    services.answers = {Answer::Discard};
    clickRow(dialog, kLayerList, 1);
    QCOMPARE(services.questions.size(), std::size_t(2));
    QCOMPARE(selectedRowOf(dialog, kLayerList), 1);
    QCOMPARE(textOf(dialog, kObjFile), QString("b.obj"));
    QCOMPARE(layerPaths(dialog), (QStringList{"a.obj", "b.obj"}));

    // Targets ask the same way.
    addTargets(dialog, {"1,1,1", "2,2,2"});
    clickRow(dialog, kTargetList, 1);
    typeInto(dialog, kPosition, "5,5,5");
    clickRow(dialog, kTargetList, 0);
    QCOMPARE(services.questions.size(), std::size_t(3));
    QVERIFY(services.questions[2].text.find("target 2") != std::string::npos);
    QCOMPARE(textOf(dialog, kPosition), QString("5,5,5"));
    QCOMPARE(selectedRowOf(dialog, kTargetList), 1);
}

void EditorRowEditingTest::aFormNotYetAddedCountsAsUnapplied()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    addLayers(dialog, {"a.obj"});
    typeInto(dialog, kObjFile, "new.obj"); // typed, not added
    clickRow(dialog, kLayerList, 0);
    QCOMPARE(services.questions.size(), std::size_t(1));
    QVERIFY(services.questions[0].text.find("not added") != std::string::npos);
    QCOMPARE(selectedRowOf(dialog, kLayerList), -1);
    QCOMPARE(textOf(dialog, kObjFile), QString("new.obj"));
    click(dialog, kAddLayer);
    clickRow(dialog, kLayerList, 0); // added: nothing left to lose
    QCOMPARE(services.questions.size(), std::size_t(1));
    QCOMPARE(textOf(dialog, kObjFile), QString("a.obj"));
}

void EditorRowEditingTest::deleteKeyRemovesTheSelectedRow()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    addLayers(dialog, {"a.obj", "b.obj", "c.obj"});
    addTargets(dialog, {"1,1,1", "2,2,2"});

    QTest::keyClick(dialog.control(kLayerList), Qt::Key_Delete); // nothing selected
    QCOMPARE(dialog.document().layers().count(), 3);
    clickRow(dialog, kLayerList, 1);
    QTest::keyClick(dialog.control(kLayerList), Qt::Key_Delete);
    QCOMPARE(rowTexts(dialog, kLayerList), (QStringList{"a.obj", "c.obj"}));
    QCOMPARE(selectedRowOf(dialog, kLayerList), -1);

    clickRow(dialog, kTargetList, 0);
    QTest::keyClick(dialog.control(kTargetList), Qt::Key_Delete);
    QCOMPARE(rowTexts(dialog, kTargetList), QStringList{"2.0000,2.0000,2.0000"});
    QCOMPARE(listsMismatch(dialog), QString());
    // Delete in an edit deletes a character, not a row.
    typeInto(dialog, kObjFile, "xy");
    QTest::keyClick(edit(dialog, kObjFile), Qt::Key_Home);
    QTest::keyClick(edit(dialog, kObjFile), Qt::Key_Delete);
    QCOMPARE(textOf(dialog, kObjFile), QString("y"));
    QCOMPARE(dialog.document().layers().count(), 2);
}

void EditorRowEditingTest::rowsShowKindPathAndColour()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    const QString longPath = "/levels/" + QString(200, 'd') + "/ground.obj";
    LayerForm form;
    form.objPath = longPath.toStdString();
    form.bmpPath = "grass.bmp";
    form.draw = true;
    form.collision = true;
    form.kind = 1;
    form.speed = "1,0,0";
    form.framesTillReset = "10";
    typeLayerForm(dialog, form);
    click(dialog, kAddLayer);
    addTargets(dialog, {"1,1,1"});
    chooseRow(dialog, kTargetKind, 1);
    addTargets(dialog, {"2,2,2"});

    QListWidgetItem* layer = listOf(dialog, kLayerList)->item(0);
    QCOMPARE(layer->text(), longPath); // the stored path, whole
    QVERIFY(layer->toolTip().startsWith(longPath + "\n"));
    QVERIFY(layer->toolTip().contains("Moving"));
    QCOMPARE(layerBadgeText(dialog.document().layers().at(0)), QString("Moving D C"));
    QCOMPARE(listOf(dialog, kLayerList)->textElideMode(), Qt::ElideMiddle);

    QListWidget* targets = listOf(dialog, kTargetList);
    const QColor goal = targets->item(0)->data(Qt::DecorationRole).value<QColor>();
    const QColor brake = targets->item(1)->data(Qt::DecorationRole).value<QColor>();
    QVERIFY(goal.green() > goal.red());
    QVERIFY(brake.red() > brake.green());
    QVERIFY(targets->item(1)->toolTip().startsWith("Red"));
    // Updating a target's kind changes its colour.
    clickRow(dialog, kTargetList, 1);
    chooseRow(dialog, kTargetKind, 0);
    click(dialog, kUpdateTarget);
    QCOMPARE(targets->item(1)->data(Qt::DecorationRole).value<QColor>(), goal);
}

void EditorRowEditingTest::layerBadgesAreExplainedInTheTooltip_data()
{
    QTest::addColumn<bool>("draw");
    QTest::addColumn<bool>("collision");
    QTest::addColumn<QString>("badge");
    QTest::addColumn<QString>("legend"); // the tooltip's last line; empty: no legend
    QTest::newRow("both") << true << true << "Static D C" << "Badge: Static D C (D: drawn, C: collision)";
    QTest::newRow("drawn") << true << false << "Static D" << "Badge: Static D (D: drawn)";
    QTest::newRow("collision") << false << true << "Static C" << "Badge: Static C (C: collision)";
    QTest::newRow("neither") << false << false << "Static" << "";
}

void EditorRowEditingTest::layerBadgesAreExplainedInTheTooltip()
{
    QFETCH(bool, draw);
    QFETCH(bool, collision);
    QFETCH(QString, badge);
    QFETCH(QString, legend);
    LayerEntry entry;
    entry.objPath = "ground.obj";
    entry.bmpPath = "grass.bmp";
    entry.draw = draw ? 1 : 0;
    entry.collision = collision ? 1 : 0;
    QListWidget list;
    setUpLayerRows(list);
    showLayerRow(list, 0, entry);
    QCOMPARE(layerBadgeText(entry), badge);
    const QStringList lines = list.item(0)->toolTip().split('\n');
    QCOMPARE(lines.first(), QString("ground.obj"));
    if (legend.isEmpty())
        QVERIFY2(!lines.last().startsWith("Badge"), qPrintable(lines.last()));
    else
        QCOMPARE(lines.last(), legend);
}

void EditorRowEditingTest::layerBadgesAreReadableInLightAndDarkPalettes()
{
    std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    QVERIFY(fusion);
    QPalette dark = fusion->standardPalette();
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, Qt::white);
    for (const QPalette& palette : {fusion->standardPalette(), dark}) {
        const BadgeColours colours = badgeColours(palette);
        QVERIFY2(contrast(colours.box, colours.letters) >= 4.5,
                 qPrintable(colours.box.name() + " " + colours.letters.name()));
        // The box stands out from the row.
        QVERIFY2(contrast(colours.box, palette.color(QPalette::Base)) >= 3,
                 qPrintable(colours.box.name() + " " + palette.color(QPalette::Base).name()));
    }
}

void EditorRowEditingTest::numbersShowWholeAtTheDefaultSize()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    // What a hover shows over `widget`.
    auto tipOver = [](QWidget* widget) {
        const QPoint at = widget->rect().center();
        QHelpEvent hover(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &hover);
        const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return shown;
    };
    const QString longest = "-1000.0000,1000.0000,-1000.0000,1000.0000,-1000.0000,1000.0000";
    for (int id : {kTriggerArea, kSpeed, kVibration, kPosition, kStartPosition, kBackgroundColor}) {
        QLineEdit* field = edit(dialog, id);
        const QString help = field->toolTip();
        field->setText(longest);
        if (field->fontMetrics().horizontalAdvance(longest) <= field->contentsRect().width())
            continue;
        const QString tip = tipOver(field);
        QVERIFY2(tip.contains(longest) && tip.contains(help), qPrintable(QString::number(id) + ": " + tip));
    }
    // A field that shows its text whole keeps its own tooltip.
    QLineEdit* frames = edit(dialog, kFramesTillReset);
    frames->setText("25");
    QCOMPARE(tipOver(frames), frames->toolTip());

    // The target list's rows: their position whole in the tooltip.
    addTargets(dialog, {"-1000.0000,-1000.0000,-1000.0000"});
    QListWidgetItem* row = listOf(dialog, kTargetList)->item(0);
    QCOMPARE(row->text(), QString("-1000.0000,-1000.0000,-1000.0000"));
    QVERIFY2(row->toolTip().contains(row->text()), qPrintable(row->toolTip()));
}

void EditorRowEditingTest::listsGrowWithTheWindow()
{
    FakePlatformServices services;
    MainDialog dialog(services);
    QVERIFY(showAndActivate(dialog));
    const QSize laidOut = dialog.size();
    const QRect layers = dialog.control(kLayerList)->geometry();
    const QRect targets = dialog.control(kTargetList)->geometry();
    const QRect browse = dialog.control(kBrowseObj)->geometry();
    const QRect generate = dialog.control(kGenerate)->geometry();
    const QRect speed = dialog.control(kSpeed)->geometry();

    // The extra height goes to the lists, two thirds to the layers; the
    // extra width to the preview beside the form.
    dialog.resize(laidOut + QSize(200, 150));
    QTRY_COMPARE(dialog.size(), laidOut + QSize(200, 150));
    QCOMPARE(dialog.control(kLayerList)->geometry(), layers.adjusted(0, 0, 0, 100));
    QCOMPARE(dialog.control(kTargetList)->geometry(), targets.adjusted(0, 100, 0, 150));
    QCOMPARE(dialog.control(kBrowseObj)->geometry(), browse);
    QCOMPARE(dialog.control(kSpeed)->geometry(), speed); // the form's fields stay at the top
    QCOMPARE(dialog.control(kGenerate)->geometry(), generate.translated(0, 150));
    QCOMPARE(dialog.control(kRemoveLayer)->geometry().bottom(), dialog.control(kLayerList)->geometry().bottom());

    dialog.resize(laidOut);
    QTRY_COMPARE(dialog.control(kLayerList)->geometry(), layers);
}

QTEST_MAIN(EditorRowEditingTest)
#include "editor_row_editing_test.moc"
