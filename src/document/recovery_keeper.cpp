#include "document/recovery_keeper.h"

#include <QLockFile>
#include <QTimer>

#include "document/level_document.h"
#include "document/recovery_copy.h"

namespace kes::editor {
namespace {

constexpr int kRecoveryDelayMs = 30 * 1000;

} // namespace

RecoveryKeeper::RecoveryKeeper(LevelDocument& document, QObject* parent)
    : QObject(parent), document_(document), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    timer_->setInterval(kRecoveryDelayMs);
    connect(timer_, &QTimer::timeout, this, &RecoveryKeeper::writeNow);
    connect(&document_, &LevelDocument::changed, this, &RecoveryKeeper::levelChanged);
    connect(&document_, &LevelDocument::modifiedChanged, this, &RecoveryKeeper::levelChanged);
}

RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::setDelay(int milliseconds)
{
    timer_->setInterval(milliseconds);
}

void RecoveryKeeper::levelChanged()
{
    if (finished_)
        return;
    if (!document_.isModified()) {
        timer_->stop();
        discard();
    } else if (!(copied_ && *copied_ == document_.project()) && !timer_->isActive()) {
        // Timed from the first change the copy lacks, not the last.
        timer_->start();
    }
}

void RecoveryKeeper::writeNow()
{
    if (finished_ || !document_.isModified())
        return;
    const LevelProject current = document_.project();
    const std::string path = recoveryCopyPath(document_.path());
    if (copyPath_ != path) {
        discard();
        // Another editor keeping a copy of the same level keeps it.
        lock_ = lockRecoveryCopy(path);
        if (!lock_)
            return;
    }
    // A copy that can't be written is tried again after the next change.
    copyPath_ = path;
    if (writeRecoveryCopy(current, document_.path(), path))
        copied_ = current;
}

void RecoveryKeeper::discard()
{
    if (!copyPath_.empty())
        removeRecoveryCopy(copyPath_);
    copyPath_.clear();
    copied_.reset();
    lock_.reset();
}

void RecoveryKeeper::finish()
{
    finished_ = true;
    timer_->stop();
    discard();
}

void RecoveryKeeper::adopt(const std::string& path)
{
    lock_ = lockRecoveryCopy(path);
    copyPath_ = path;
    copied_ = document_.project();
}

} // namespace kes::editor
