#include "app/main_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QMenu>
#include <QPushButton>
#include <QSessionManager>
#include <QShortcut>
#include <QTimer>
#include <QUndoStack>

#include "app/app_icon.h"
#include "app/dialog_builder.h"
#include "app/dialog_description.h"
#include "app/field_help.h"
#include "app/file_filters.h"
#include "app/generation_progress_dialog.h"
#include "app/list_rows.h"
#include "app/preview/preview_dock.h"
#include "app/preview/preview_pane.h"
#include "model/number_text.h"

namespace kes::editor {
namespace {

constexpr int kRecoveryDelayMs = 30 * 1000;

} // namespace

MainDialog::MainDialog(PlatformServices& services, const std::string& startupProjectPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , services_(services)
    , controls_(buildDialogControls(*this, dialogControls(), DialogUnits::forFont(font()),
                                    [this](int id) { command(id); }))
    , ui_(bindMainDialogControls(controls_))
    , layerRows_(layers_, *ui_.layerList, layerRowText, layerLimitText(), kLayerLimitCaption)
    , targetRows_(targets_, *ui_.targetList, targetRowText, targetLimitText(), kTargetLimitCaption)
    , progress_(new GenerationProgressDialog(this))
    , undoStack_(new QUndoStack(this))
    , recoveryTimer_(new QTimer(this))
    , recentMenu_(new QMenu(this))
{
    setWindowTitle(QString::fromUtf8(kDialogCaption));
    setWindowIcon(applicationIcon());

    const DialogUnits units = DialogUnits::forFont(font());
    // The form keeps its size; the preview beside it takes the rest.
    preview_ = new PreviewPane([this] {
        const LayerForm layer = layerForm();
        const TargetForm target = targetForm();
        return previewContentFor(currentProject(), projectFolder_, layerRows_.selectedRow(), targetRows_.selectedRow(),
                                 layerFormIsValid(layer) ? std::optional(layerEntryFromForm(layer)) : std::nullopt,
                                 targetFormIsValid(target) ? std::optional(targetEntryFromForm(target)) : std::nullopt);
    }, this);
    dockPreviewPane(*this, *preview_, QSize(units.toPixelsX(kDialogWidth), units.toPixelsY(kDialogHeight)));
    connect(preview_, &PreviewPane::layerClicked, this, [this](int row) { ui_.layerList->setCurrentRow(row); });
    connect(preview_, &PreviewPane::targetClicked, this, [this](int row) { ui_.targetList->setCurrentRow(row); });
    applyFieldHelp(controls_);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, [this] { command(kHelp); });
    setUpEditing();

    for (int kind = 0; kind < kLayerKindCount; ++kind)
        ui_.layerKind->addItem(QString::fromStdString(std::string(layerKindName(kind))));
    ui_.layerKind->setCurrentIndex(0);
    for (int kind = 0; kind < kTargetKindCount; ++kind)
        ui_.targetKind->addItem(QString::fromStdString(std::string(targetKindName(kind))));
    ui_.targetKind->setCurrentIndex(0);

    for (QLineEdit* field : {ui_.title, ui_.author, ui_.versionMajor, ui_.versionMinor, ui_.startPosition,
                             ui_.backgroundColor, ui_.framesLR}) {
        settingTexts_[field] = field->text();
        connect(field, &QLineEdit::textChanged, this, [this, field] { settingChanged(field); });
        connect(field, &QLineEdit::editingFinished, this, [this] { closeSettingEdit(); });
    }
    for (QLineEdit* field : findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
        field->installEventFilter(this); // Ctrl+Z is the level's undo in every edit
    connect(undoStack_, &QUndoStack::indexChanged, this, [this] {
        if (destroying_)
            return;
        updateControlStates(); // an undo can change a list, which notifies nothing
        if (preview_)
            preview_->contentChanged();
    });
    recoveryTimer_->setSingleShot(true);
    recoveryTimer_->setInterval(kRecoveryDelayMs);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] { writeRecoveryCopy(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainDialog::endSession);
    addShortcuts();

    resetToDefaults();
    if (!startupProjectPath.empty())
        loadProject(startupProjectPath);
    offerRecoveryCopy(startupProjectPath);
    updateControlStates();
    preview_->contentChanged();
    ui_.quit->setFocus();
}

MainDialog::~MainDialog()
{
    // Deleting a focused control makes it lose the focus, which notifies;
    // delete the controls while this dialog is whole, and run no more
    // commands.
    destroying_ = true;
    // The undo stack is deleted with the children after this dialog is gone;
    // what it signals then must not reach the dialog.
    disconnect(undoStack_, nullptr, this, nullptr);
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
    project.settings.title = text(ui_.title);
    project.settings.author = text(ui_.author);
    project.settings.versionMajor = text(ui_.versionMajor);
    project.settings.versionMinor = text(ui_.versionMinor);
    project.settings.framesLR = text(ui_.framesLR);
    project.settings.startPosition = text(ui_.startPosition);
    project.settings.backgroundColor = text(ui_.backgroundColor);
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
        browseForFile(ui_.objFile, kObjFilter);
        break;
    case kBrowseBmp:
        browseForFile(ui_.bmpFile, kBmpFilter);
        break;
    case kSave:
        saveProject();
        break;
    case kOpen:
        openProject();
        break;
    case kImportLevel:
        importLevel();
        break;
    case kRecentProjects:
        showRecentProjects();
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
    case kUpdateLayer:
        updateLayer();
        break;
    case kMoveLayerUp:
    case kMoveLayerDown:
        moveLayer(id == kMoveLayerUp ? -1 : 1);
        break;
    case kRelink:
        relinkMissingFiles();
        break;
    case kUpdateTarget:
        updateTarget();
        break;
    case kMoveTargetUp:
    case kMoveTargetDown:
        moveTarget(id == kMoveTargetUp ? -1 : 1);
        break;
    case kHelp:
        showGuide();
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
    ui_.generate->setEnabled(basicsValid() && metadataValid());
    updateModifiedState(currentProject());
    updateFieldMarks();
}

bool MainDialog::basicsValid() const
{
    return holdsNumbers(text(ui_.startPosition), 6) && holdsNumbers(text(ui_.backgroundColor), 3)
        && !text(ui_.framesLR).empty();
}

bool MainDialog::metadataValid() const
{
    return !text(ui_.title).empty() && !text(ui_.author).empty() && !text(ui_.versionMajor).empty()
        && !text(ui_.versionMinor).empty();
}

void MainDialog::quit()
{
    // A clean exit: after the question, nothing is left to recover.
    if (!mayDiscardChanges(Discarding::Closing))
        return;
    quitting_ = true;
    recoveryTimer_->stop();
    removeRecoveryCopy();
    done(QDialog::Rejected);
}

void MainDialog::browseForFile(QLineEdit* field, const FileFilter& filter)
{
    const std::string path = services_.chooseFileToOpen(this, filter, fileDialogStart(nullptr));
    if (!path.empty())
        takeFilePath(field, path);
}

std::string MainDialog::text(const QLineEdit* edit)
{
    return capText(edit->text().toStdString());
}

void MainDialog::setText(QLineEdit* edit, const std::string& text)
{
    edit->setText(QString::fromStdString(text));
    edit->setCursorPosition(0); // show the start of a long text
}

void MainDialog::refillLists()
{
    layerRows_.refill();
    targetRows_.refill();
    // No row is selected; what the forms hold stays as it is.
    layerBaseline_.set(-1, layerForm());
    targetBaseline_.set(-1, targetForm());
}

} // namespace kes::editor
