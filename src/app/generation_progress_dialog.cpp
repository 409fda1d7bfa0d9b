#include "app/generation_progress_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kes::editor {
namespace {

constexpr char kCaption[] = "Generating Level";
constexpr char kStartText[] = "Writing the level file...";
constexpr char kCancellingText[] = "Cancelling...";

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

GenerationProgressDialog::GenerationProgressDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , label_(new QLabel(QString::fromUtf8(kStartText), this))
    , bar_(new QProgressBar(this))
    , cancelButton_(nullptr)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowModality(Qt::ApplicationModal);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    connect(cancelButton_, &QPushButton::clicked, this, &GenerationProgressDialog::requestCancel);
    layout->addWidget(buttons);
    setMinimumWidth(label_->fontMetrics().horizontalAdvance(QStringLiteral("Writing layer 00000 of 00000")) * 3 / 2);

    showTimer_.setSingleShot(true);
    showTimer_.setInterval(kDefaultShowDelayMs);
    connect(&showTimer_, &QTimer::timeout, this, [this] {
        if (running_)
            show();
    });
}

GenerationProgressDialog::~GenerationProgressDialog()
{
    if (running_)
        qApp->removeEventFilter(this);
}

void GenerationProgressDialog::begin()
{
    label_->setText(QString::fromUtf8(kStartText));
    bar_->setRange(0, 1);
    bar_->setValue(0);
    cancelled_ = false;
    cancelButton_->setEnabled(true);
    if (!running_)
        qApp->installEventFilter(this);
    running_ = true;
    showTimer_.start();
}

void GenerationProgressDialog::end()
{
    showTimer_.stop();
    if (running_)
        qApp->removeEventFilter(this);
    running_ = false;
    hide();
}

void GenerationProgressDialog::showLayer(int layer, int layerCount)
{
    if (!cancelled_)
        label_->setText(QStringLiteral("Writing layer %1 of %2").arg(layer + 1).arg(layerCount));
    bar_->setRange(0, layerCount);
    bar_->setValue(layer);
    emit progressShown();
}

QString GenerationProgressDialog::labelText() const
{
    return label_->text();
}

int GenerationProgressDialog::value() const
{
    return bar_->value();
}

int GenerationProgressDialog::maximum() const
{
    return bar_->maximum();
}

void GenerationProgressDialog::requestCancel()
{
    if (!running_ || cancelled_.exchange(true))
        return;
    label_->setText(QString::fromUtf8(kCancellingText));
    cancelButton_->setEnabled(false);
}

void GenerationProgressDialog::reject()
{
    requestCancel();
}

void GenerationProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

bool GenerationProgressDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (!running_)
        return false;
    if (event->type() == QEvent::Close && watched == parentWidget()) {
        // Refused: a close event that is only filtered out, still accepted,
        // would hide the window all the same.
        event->ignore();
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() != this && isUserInput(event->type());
}

} // namespace kes::editor
