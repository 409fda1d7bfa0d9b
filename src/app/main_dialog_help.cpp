// The help command of the main dialog: F1 and the "?" button open the
// designer's guide.
#include <QCoreApplication>

#include "app/guide_location.h"
#include "app/main_dialog.h"

namespace kes::editor {
namespace {

constexpr char kHelpCaption[] = "Help";
constexpr char kGuideMissingText[] = "The designer's guide was not found.";
constexpr char kGuideNotOpenedText[] = "The designer's guide could not be opened.";

} // namespace

void MainDialog::showGuide()
{
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    const std::string guide = findGuide(programFolder);
    if (guide.empty()) {
        std::string looked = "Looked for:";
        for (const std::string& candidate : guideCandidates(programFolder))
            looked += "\n" + candidate;
        services_.showMessage(this, kGuideMissingText, kHelpCaption, MessageIcon::Error, looked);
        return;
    }
    if (!services_.openDocument(guide))
        services_.showMessage(this, kGuideNotOpenedText, kHelpCaption, MessageIcon::Error,
                              "No application opened " + guide);
}

} // namespace kes::editor
