#include "app/main_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>

#include "app/app_icon.h"
#include "app/dialog_builder.h"
#include "app/dialog_description.h"
#include "app/dialog_units.h"
#include "app/field_help.h"
#include "app/actions/guide_action.h"
#include "app/actions/project_actions.h"
#include "app/actions/row_actions.h"
#include "app/drop_handling.h"
#include "app/file_filters.h"
#include "app/generation_progress_dialog.h"
#include "app/panels/layer_panel.h"
#include "app/panels/settings_panel.h"
#include "app/panels/target_panel.h"
#include "app/preview/preview_dock.h"
#include "app/preview/preview_pane.h"
#include "app/tab_order.h"
#include "app/window_stretch.h"
#include "document/recovery_keeper.h"

namespace kes::editor {

MainDialog::MainDialog(PlatformServices& services, const std::string& startupProjectPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , services_(services)
    , controls_(buildDialogControls(*this, dialogControls(), DialogUnits::forFont(font()),
                                    [this](int id) { command(id); }))
    , ui_(bindMainDialogControls(controls_))
    , document_(new LevelDocument(this))
    , recovery_(new RecoveryKeeper(*document_, this))
    , frameFilesNote_(new QLabel(this))
    , progress_(new GenerationProgressDialog(this))
{
    setWindowTitle(QString::fromUtf8(kDialogCaption));
    setWindowIcon(applicationIcon());
    // The panels show the document; the controls notify from here on.
    settingsPanel_ = new SettingsPanel(*document_, ui_, this);
    layerPanel_ = new LayerPanel(*document_, ui_, *frameFilesNote_, this);
    targetPanel_ = new TargetPanel(*document_, ui_, this);
    projectActions_ = new ProjectActions(services_, *this, *document_, *layerPanel_, *recovery_, *progress_);
    rowActions_ = std::make_unique<RowActions>(services_, *this, *document_, *layerPanel_, *targetPanel_);

    const DialogUnits units = DialogUnits::forFont(font());
    // The form keeps its size; the preview beside it takes the rest.
    preview_ = new PreviewPane(*document_, this);
    dockPreviewPane(*this, *preview_, QSize(units.toPixelsX(kDialogWidth), units.toPixelsY(kDialogHeight)));
    connect(preview_, &PreviewPane::layerClicked, this, [this](int row) { ui_.layerList->setCurrentRow(row); });
    connect(preview_, &PreviewPane::targetClicked, this, [this](int row) { ui_.targetList->setCurrentRow(row); });
    // A double-click on a row frames it in the view.
    for (QListWidget* list : {ui_.layerList, ui_.targetList})
        connect(list, &QListWidget::itemDoubleClicked, preview_, &PreviewPane::frameSelection);
    applyFieldHelp(controls_);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, [this] { command(kHelp); });
    setUpEditing();

    for (int kind = 0; kind < kLayerKindCount; ++kind)
        ui_.layerKind->addItem(QString::fromStdString(std::string(layerKindName(kind))));
    ui_.layerKind->setCurrentIndex(0);
    for (int kind = 0; kind < kTargetKindCount; ++kind)
        ui_.targetKind->addItem(QString::fromStdString(std::string(targetKindName(kind))));
    ui_.targetKind->setCurrentIndex(0);

    for (QLineEdit* field : findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
        field->installEventFilter(this); // Ctrl+Z is the level's undo in every edit
    connectDocument();
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!destroying_ && !quitting_)
            projectActions_->endSession(manager);
    });
    addShortcuts();

    projectActions_->newLevel();
    if (!startupProjectPath.empty())
        projectActions_->load(startupProjectPath);
    projectActions_->offerRecoveryCopy(startupProjectPath);
    updateControlStates();
    ui_.quit->setFocus();
}

MainDialog::~MainDialog()
{
    // Deleting a focused control makes it lose the focus, which notifies;
    // delete the controls while this dialog is whole, and run no more
    // commands.
    destroying_ = true;
    // The document goes with the children after this dialog is gone; what
    // it signals then must not reach the dialog or its views.
    document_->disconnect();
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

void MainDialog::connectDocument()
{
    // The lists and forms follow the level whoever changed it; the enable
    // rules follow them.
    connect(document_, &LevelDocument::rowsChanged, this, [this](LevelTable table, int first, int last) {
        if (table == LevelTable::Layers)
            layerPanel_->rowsChanged(first, last);
        else
            targetPanel_->rowsChanged(first, last);
        updateControlStates();
    });
    connect(document_, &LevelDocument::selectionChanged, this, [this](LevelTable table) {
        if (table == LevelTable::Layers)
            layerPanel_->selectionChanged();
        else
            targetPanel_->selectionChanged();
        updateControlStates();
    });
    connect(document_, &LevelDocument::levelReset, this, [this] {
        layerPanel_->levelReset();
        targetPanel_->levelReset();
    });
    connect(document_, &LevelDocument::settingsChanged, this, [this] { updateControlStates(); });
    connect(document_, &LevelDocument::modifiedChanged, this, &MainDialog::updateWindowTitle);
    connect(document_, &LevelDocument::pathChanged, this, &MainDialog::updateWindowTitle);
}

QWidget* MainDialog::control(int id) const
{
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void MainDialog::setUpEditing()
{
    for (auto [list, removeId] : {std::pair{ui_.layerList, kRemoveLayer}, std::pair{ui_.targetList, kRemoveTarget}}) {
        auto* remove = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(remove, &QShortcut::activated, this, [this, removeId] { command(removeId); });
    }

    const DialogUnits units = DialogUnits::forFont(font());
    frameFilesNote_->setGeometry(units.toPixels(227, 114, 220, 8));
    frameFilesNote_->setAccessibleName("Frame files");

    DropActions drops;
    drops.fillField = [this](QWidget* field, const std::string& path) {
        layerPanel_->takeFilePath(field == ui_.objFile ? ui_.objFile : ui_.bmpFile, path);
    };
    drops.addMeshes = [this](const std::vector<std::string>& meshes) { rowActions_->addMeshLayers(meshes); };
    drops.openProject = [this](const std::string& path) { projectActions_->openFile(path); };
    installDropHandling(*this, {ui_.objFile, ui_.bmpFile, ui_.layerList}, std::move(drops));

    applyTabOrder(controls_);
    stretchWithWindow(*this, units, QSize(units.toPixelsX(kDialogWidth), units.toPixelsY(kDialogHeight)));
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

bool MainDialog::commandsBlocked() const
{
    return destroying_ || !projectActions_ || projectActions_->busy();
}

void MainDialog::command(int id)
{
    if (commandsBlocked())
        return;
    updateControlStates();
    switch (id) {
    case kQuit:
        quit();
        return;
    case kBrowseObj:
        browseForFile(ui_.objFile, kObjFilter);
        break;
    case kBrowseBmp:
        browseForFile(ui_.bmpFile, kBmpFilter);
        break;
    case kSave:
        projectActions_->saveAs();
        break;
    case kOpen:
        projectActions_->open();
        break;
    case kImportLevel:
        projectActions_->importLevel();
        break;
    case kRecentProjects:
        projectActions_->showRecentProjects(*ui_.recentProjects);
        break;
    case kGenerate:
        projectActions_->generate();
        break;
    case kAddLayer:
        rowActions_->addLayer();
        break;
    case kRemoveLayer:
        rowActions_->removeRow(LevelTable::Layers);
        break;
    case kLayerList:
        rowActions_->rowChosen(LevelTable::Layers);
        break;
    case kAddTarget:
        rowActions_->addTarget();
        break;
    case kRemoveTarget:
        rowActions_->removeRow(LevelTable::Targets);
        break;
    case kTargetList:
        rowActions_->rowChosen(LevelTable::Targets);
        break;
    case kUpdateLayer:
        rowActions_->updateRow(LevelTable::Layers);
        break;
    case kMoveLayerUp:
    case kMoveLayerDown:
        rowActions_->moveRow(LevelTable::Layers, id == kMoveLayerUp ? -1 : 1);
        break;
    case kRelink:
        rowActions_->relinkMissingFiles();
        break;
    case kUpdateTarget:
        rowActions_->updateRow(LevelTable::Targets);
        break;
    case kMoveTargetUp:
    case kMoveTargetDown:
        rowActions_->moveRow(LevelTable::Targets, id == kMoveTargetUp ? -1 : 1);
        break;
    case kHelp:
        showGuide(services_, *this);
        break;
    default:
        return; // edits, check boxes and kind lists: the rules only
    }
    // A handler can change a list or its selection; apply the rules to what
    // it left.
    updateControlStates();
}

void MainDialog::updateControlStates()
{
    if (destroying_ || !targetPanel_)
        return; // being built or destroyed
    layerPanel_->updateControls();
    targetPanel_->updateControls();
    ui_.generate->setEnabled(settingsPanel_->readyToGenerate());
    settingsPanel_->updateMarks();
    targetPanel_->updateMarks();
    layerPanel_->updateMarks();
    if (preview_)
        preview_->setDrafts(layerPanel_->draft(), targetPanel_->draft());
}

void MainDialog::quit()
{
    // Escape, the close box, Ctrl+Q and "Quit" alike: an entry typed but not
    // added, and unsaved changes, are dropped only when the designer agrees.
    if (!rowActions_->mayDiscardFormEdits(LevelTable::Layers) || !rowActions_->mayDiscardFormEdits(LevelTable::Targets))
        return;
    if (!projectActions_->mayDiscardChanges(ProjectActions::Discarding::Closing))
        return;
    // A clean exit: after the question, nothing is left to recover.
    quitting_ = true;
    recovery_->finish();
    done(QDialog::Rejected);
}

void MainDialog::browseForFile(QLineEdit* field, const FileFilter& filter)
{
    const std::string path = services_.chooseFileToOpen(this, filter, projectActions_->fileDialogStart(nullptr));
    if (!path.empty())
        layerPanel_->takeFilePath(field, path);
}

} // namespace kes::editor
