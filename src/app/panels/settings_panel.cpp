#include "app/panels/settings_panel.h"

#include <QLineEdit>
#include <QScopedValueRollback>

#include "check/field_checks.h"
#include "app/panels/field_marks.h"
#include "app/panels/line_edit_text.h"
#include "model/number_text.h"

namespace kes::editor {
namespace {

// The tag of the continuous edit of a setting's typing.
int editTagOf(Setting setting)
{
    return 100 + static_cast<int>(setting);
}

} // namespace

SettingsPanel::SettingsPanel(LevelDocument& document, const MainDialogControls& ui, QObject* parent)
    : QObject(parent), document_(document),
      fields_{ui.title, ui.author, ui.versionMajor, ui.versionMinor, ui.framesLR, ui.startPosition,
              ui.backgroundColor}
{
    for (int i = 0; i < kSettingCount; ++i) {
        const auto setting = static_cast<Setting>(i);
        QLineEdit* field = fields_[static_cast<std::size_t>(i)];
        connect(field, &QLineEdit::textChanged, this, [this, setting] { typed(setting); });
        connect(field, &QLineEdit::editingFinished, this, [this, setting] {
            if (document_.editTag() == editTagOf(setting))
                document_.commitEdit();
        });
    }
    connect(&document_, &LevelDocument::settingsChanged, this, &SettingsPanel::showSettings);
    showSettings();
}

void SettingsPanel::typed(Setting setting)
{
    if (showing_)
        return;
    const std::string text = fieldText(fields_[static_cast<std::size_t>(setting)]);
    if (text == settingText(document_.settings(), setting))
        return;
    if (document_.editTag() != editTagOf(setting))
        document_.beginEdit(QStringLiteral("Edit setting"), editTagOf(setting));
    document_.setSetting(setting, text);
}

void SettingsPanel::showSettings()
{
    const QScopedValueRollback showing(showing_, true);
    for (int i = 0; i < kSettingCount; ++i) {
        QLineEdit* field = fields_[static_cast<std::size_t>(i)];
        const std::string& text = settingText(document_.settings(), static_cast<Setting>(i));
        // A text longer than a project holds stays as typed while the level
        // holds its first 249 bytes.
        if (fieldText(field) != text)
            setFieldText(field, text);
    }
}

bool SettingsPanel::readyToGenerate() const
{
    const LevelSettings& s = document_.settings();
    return holdsNumbers(s.startPosition, 6) && holdsNumbers(s.backgroundColor, 3) && !s.framesLR.empty()
        && !s.title.empty() && !s.author.empty() && !s.versionMajor.empty() && !s.versionMinor.empty();
}

void SettingsPanel::updateMarks()
{
    auto field = [this](Setting setting) { return fields_[static_cast<std::size_t>(setting)]; };
    auto text = [this](Setting setting) { return settingText(document_.settings(), setting); };
    markField(field(Setting::Title), checkTextLength(field(Setting::Title)->text().toStdString()));
    markField(field(Setting::Author), checkTextLength(field(Setting::Author)->text().toStdString()));
    markField(field(Setting::VersionMajor), checkVersion(text(Setting::VersionMajor)));
    markField(field(Setting::VersionMinor), checkVersion(text(Setting::VersionMinor)));
    markField(field(Setting::StartPosition), checkNumberList(text(Setting::StartPosition), 6));
    markField(field(Setting::BackgroundColor), checkNumberList(text(Setting::BackgroundColor), 3));
}

} // namespace kes::editor
