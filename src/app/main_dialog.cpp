#include "app/main_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/app_icon.h"
#include "app/dialog_builder.h"
#include "app/dialog_description.h"
#include "app/file_filters.h"
#include "app/generation_progress_dialog.h"
#include "app/preview/preview_dock.h"
#include "app/preview/preview_pane.h"
#include "model/number_text.h"

namespace kes::editor {

MainDialog::MainDialog(PlatformServices& services, const std::string& startupProjectPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , services_(services)
    , progress_(new GenerationProgressDialog(this))
{
    setWindowTitle(QString::fromUtf8(kDialogCaption));
    setWindowIcon(applicationIcon());

    const DialogUnits units = DialogUnits::forFont(font());
    controls_ = buildDialogControls(*this, dialogControls(), units, [this](int id) { command(id); });
    // The form keeps its size; the preview beside it takes the rest.
    preview_ = new PreviewPane([this] {
        const LayerForm layer = layerForm();
        const TargetForm target = targetForm();
        return previewContentFor(currentProject(), projectFolder_, selectedRow(kLayerList), selectedRow(kTargetList),
                                 layerFormIsValid(layer) ? std::optional(layerEntryFromForm(layer)) : std::nullopt,
                                 targetFormIsValid(target) ? std::optional(targetEntryFromForm(target)) : std::nullopt);
    }, this);
    dockPreviewPane(*this, *preview_, QSize(units.toPixelsX(kDialogWidth), units.toPixelsY(kDialogHeight)));
    connect(preview_, &PreviewPane::layerClicked, this, [this](int row) { list(kLayerList)->setCurrentRow(row); });
    connect(preview_, &PreviewPane::targetClicked, this, [this](int row) { list(kTargetList)->setCurrentRow(row); });

    auto* layerKinds = controlAs<QComboBox>(kLayerKind);
    for (int kind = 0; kind < kLayerKindCount; ++kind)
        layerKinds->addItem(QString::fromStdString(std::string(layerKindName(kind))));
    layerKinds->setCurrentIndex(0);
    auto* targetKinds = controlAs<QComboBox>(kTargetKind);
    for (int kind = 0; kind < kTargetKindCount; ++kind)
        targetKinds->addItem(QString::fromStdString(std::string(targetKindName(kind))));
    targetKinds->setCurrentIndex(0);

    resetToDefaults();
    if (!startupProjectPath.empty())
        loadProject(startupProjectPath);
    updateControlStates();
    preview_->contentChanged();
    control(kQuit)->setFocus();
}

MainDialog::~MainDialog()
{
    // Deleting a focused control makes it lose the focus, which notifies;
    // delete the controls while this dialog is whole, and run no more
    // commands.
    destroying_ = true;
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

QWidget* MainDialog::control(int id) const
{
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

LevelProject MainDialog::currentProject() const
{
    LevelProject project;
    project.settings.title = text(kTitle);
    project.settings.author = text(kAuthor);
    project.settings.versionMajor = text(kVersionMajor);
    project.settings.versionMinor = text(kVersionMinor);
    project.settings.framesLR = text(kFramesLR);
    project.settings.startPosition = text(kStartPosition);
    project.settings.backgroundColor = text(kBackgroundColor);
    project.layers = layers_;
    project.targets = targets_;
    return project;
}

void MainDialog::reject()
{
    command(kQuit);
}

void MainDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The focused push button is the one Enter presses; in an edit, a
        // list or anywhere else Enter does nothing.
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button && button->isEnabled())
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::command(int id)
{
    if (destroying_ || generating_)
        return;
    updateControlStates();
    if (preview_)
        preview_->contentChanged(); // shown once the command is done
    switch (id) {
    case kQuit:
        quit();
        return;
    case kBrowseObj:
        browseForFile(kObjFile, kObjFilter);
        break;
    case kBrowseBmp:
        browseForFile(kBmpFile, kBmpFilter);
        break;
    case kSave:
        saveProject();
        break;
    case kOpen:
        openProject();
        break;
    case kGenerate:
        generateLevel();
        break;
    case kAddLayer:
        addLayer();
        break;
    case kRemoveLayer:
        removeLayer();
        break;
    case kLayerList:
        showSelectedLayer();
        break;
    case kAddTarget:
        addTarget();
        break;
    case kRemoveTarget:
        removeTarget();
        break;
    case kTargetList:
        showSelectedTarget();
        break;
    default:
        return; // edits, check boxes and kind lists: the rules only
    }
    // A handler can change a list or its selection, which notifies nothing;
    // apply the rules to what it left.
    updateControlStates();
}

void MainDialog::updateControlStates()
{
    updateLayerControls();
    updateTargetControls();
    setEnabled(kGenerate, basicsValid() && metadataValid());
}

bool MainDialog::basicsValid() const
{
    return holdsNumbers(text(kStartPosition), 6) && holdsNumbers(text(kBackgroundColor), 3)
        && !text(kFramesLR).empty();
}

bool MainDialog::metadataValid() const
{
    return !text(kTitle).empty() && !text(kAuthor).empty() && !text(kVersionMajor).empty()
        && !text(kVersionMinor).empty();
}

void MainDialog::quit()
{
    // No question about unsaved work.
    done(QDialog::Rejected);
}

void MainDialog::browseForFile(int fieldId, const FileFilter& filter)
{
    const std::string path = services_.chooseFileToOpen(this, filter);
    if (!path.empty())
        setText(fieldId, path);
}

std::string MainDialog::text(int id) const
{
    return capText(controlAs<QLineEdit>(id)->text().toStdString());
}

void MainDialog::setText(int id, const std::string& text)
{
    QLineEdit* field = controlAs<QLineEdit>(id);
    field->setText(QString::fromStdString(text));
    field->setCursorPosition(0); // show the start of a long text
}

bool MainDialog::isChecked(int id) const
{
    return controlAs<QCheckBox>(id)->isChecked();
}

void MainDialog::setChecked(int id, bool checked)
{
    controlAs<QCheckBox>(id)->setChecked(checked);
}

QListWidget* MainDialog::list(int id) const
{
    return controlAs<QListWidget>(id);
}

int MainDialog::selectedRow(int listId) const
{
    const QModelIndexList rows = list(listId)->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MainDialog::setEnabled(int id, bool enabled)
{
    control(id)->setEnabled(enabled);
}

void MainDialog::refillLists()
{
    QListWidget* targetList = list(kTargetList);
    QListWidget* layerList = list(kLayerList);
    const QSignalBlocker blockTargets(targetList);
    const QSignalBlocker blockLayers(layerList);
    targetList->clear();
    layerList->clear();
    for (int i = 0; i < layers_.count(); ++i)
        layerList->addItem(QString::fromStdString(layerRowText(layers_.at(i))));
    for (int i = 0; i < targets_.count(); ++i)
        targetList->addItem(QString::fromStdString(targetRowText(targets_.at(i))));
}

} // namespace kes::editor
