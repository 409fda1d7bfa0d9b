#include "app/actions/guide_action.h"

#include <QCoreApplication>

#include "app/guide_location.h"

namespace kes::editor {
namespace {

constexpr char kHelpCaption[] = "Help";
constexpr char kGuideMissingText[] = "The designer's guide was not found.";
constexpr char kGuideNotOpenedText[] = "The designer's guide could not be opened.";

} // namespace

void showGuide(PlatformServices& services, QWidget& window)
{
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    const std::string guide = findGuide(programFolder);
    if (guide.empty()) {
        std::string looked = "Looked for:";
        for (const std::string& candidate : guideCandidates(programFolder))
            looked += "\n" + candidate;
        services.showMessage(&window, kGuideMissingText, kHelpCaption, MessageIcon::Error, looked);
        return;
    }
    if (!services.openDocument(guide))
        services.showMessage(&window, kGuideNotOpenedText, kHelpCaption, MessageIcon::Error,
                              "No application opened " + guide);
}

} // namespace kes::editor
