// The Qt file dialogs of the editor, answered by a script as a user would
// answer them: the default extension, the question before an existing file is
// replaced, and the refusal of a read-only file.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>

#include "app/file_filters.h"
#include "app/qt_platform_services.h"
#include "support/temp_dir.h"

using namespace kes::editor;

namespace {

// Answers each modal window that appears: a file dialog with the next file
// name (empty: Cancel), a message box with the next button. Keeps what the
// message boxes said.
class ModalAnswers : public QObject {
public:
    std::deque<QString> fileNames;
    std::deque<QMessageBox::StandardButton> buttons;
    QStringList messages;

    ModalAnswers()
    {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswers::answerTheTopWindow);
        timer_.start(10);
    }

private:
    void answerTheTopWindow()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || busy_.contains(modal))
            return;
        busy_ << modal;
        // Answer from the event loop, so that a window the answer opens (a
        // question of the file dialog) is answered too while this one waits.
        QTimer::singleShot(0, modal, [this, modal] {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                messages << box->text();
                const QMessageBox::StandardButton button = buttons.empty() ? QMessageBox::Ok : buttons.front();
                if (!buttons.empty())
                    buttons.pop_front();
                if (QAbstractButton* pressed = box->button(button))
                    pressed->click();
                else
                    box->reject();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                const QString name = fileNames.empty() ? QString() : fileNames.front();
                if (!fileNames.empty())
                    fileNames.pop_front();
                if (name.isEmpty()) {
                    dialog->reject();
                } else {
                    // The dialog puts a chosen name into its name field
                    // only while the field doesn't have the focus.
                    if (QWidget* focused = dialog->focusWidget())
                        focused->clearFocus();
                    dialog->selectFile(name);
                    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
                }
            }
            busy_.removeAll(modal);
        });
    }

    QTimer timer_;
    QList<QPointer<QWidget>> busy_;
};

} // namespace

class EditorPlatformServicesTest : public QObject {
    Q_OBJECT

private slots:
    void saveDialogAnswers_data();
    void saveDialogAnswers();
    void questionsOfferTheirAnswers_data();
    void questionsOfferTheirAnswers();
    void openingADocumentSaysWhetherAProgramTookIt();
};

void EditorPlatformServicesTest::saveDialogAnswers_data()
{
    QTest::addColumn<QString>("existing"); // "", "writable" or "read-only": level.kgp before
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QList<QMessageBox::StandardButton>>("buttons");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("messagesContain");
    using B = QMessageBox::StandardButton;

    QTest::newRow("bare name gets the extension")
        << "" << QStringList{"level"} << QList<B>{} << "level.kgp" << QStringList{};
    QTest::newRow("replacing is confirmed")
        << "writable" << QStringList{"level.kgp"} << QList<B>{B::Yes} << "level.kgp" << QStringList{"already exists"};
    QTest::newRow("a read-only file is refused, another name taken")
        << "read-only" << QStringList{"level.kgp", "other"} << QList<B>{B::Yes, B::Ok} << "other.kgp"
        << QStringList{"already exists", "read-only"};
    QTest::newRow("a read-only file is refused, then cancelled")
        << "read-only" << QStringList{"level", ""} << QList<B>{B::Yes, B::Ok} << "" << QStringList{"already exists", "read-only"};
}

void EditorPlatformServicesTest::saveDialogAnswers()
{
    QFETCH(QString, existing);
    QFETCH(QStringList, typed);
    QFETCH(QList<QMessageBox::StandardButton>, buttons);
    QFETCH(QString, chosen);
    QFETCH(QStringList, messagesContain);

    kes::test::TempDir folder;
    const std::string level = folder.file("level.kgp");
    if (!existing.isEmpty()) {
        kes::test::writeFile(level, std::string("keep me"));
        if (existing == "read-only")
            std::filesystem::permissions(level, std::filesystem::perms::owner_read | std::filesystem::perms::group_read
                                                    | std::filesystem::perms::others_read);
    }
    const QString base = QString::fromStdString(folder.path().string()) + "/";

    ModalAnswers answers;
    for (const QString& name : typed)
        answers.fileNames.push_back(name.isEmpty() ? QString() : base + name);
    answers.buttons.assign(buttons.begin(), buttons.end());

    QtPlatformServices services;
    const std::string path = services.chooseFileToSave(nullptr, kProjectFilter);
    QCOMPARE(QString::fromStdString(path), chosen.isEmpty() ? QString() : base + chosen);
    QVERIFY(answers.fileNames.empty());
    QCOMPARE(answers.messages.size(), messagesContain.size());
    for (qsizetype i = 0; i < messagesContain.size(); ++i)
        QVERIFY2(answers.messages[i].contains(messagesContain[i]), qPrintable(answers.messages[i]));
}

Q_DECLARE_METATYPE(kes::editor::Answer)

void EditorPlatformServicesTest::questionsOfferTheirAnswers_data()
{
    QTest::addColumn<std::vector<Answer>>("offered");
    QTest::addColumn<QString>("click"); // after Escape, if the box is still there
    QTest::addColumn<bool>("escapeCloses");
    QTest::addColumn<Answer>("expected");
    const std::vector<Answer> unsaved{Answer::Save, Answer::Discard, Answer::Cancel};
    const std::vector<Answer> restore{Answer::Restore, Answer::Discard};
    QTest::newRow("unsaved changes, Escape") << unsaved << "" << true << Answer::Cancel;
    QTest::newRow("restore, Escape refused, Restore") << restore << "Restore" << false << Answer::Restore;
    QTest::newRow("restore, Escape refused, Discard") << restore << "Discard" << false << Answer::Discard;
}

void EditorPlatformServicesTest::questionsOfferTheirAnswers()
{
    QFETCH(std::vector<Answer>, offered);
    QFETCH(QString, click);
    QFETCH(bool, escapeCloses);
    QFETCH(Answer, expected);
    QStringList buttons;
    QString defaultButton;
    bool closedByEscape = false;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Escape);
        closedByEscape = !box->isVisible();
        for (QAbstractButton* button : box->buttons())
            if (!closedByEscape && button->text() == click)
                button->click();
    });
    QtPlatformServices services;
    const Answer answer = services.ask(nullptr, "Question?", "Caption", offered, offered.front());
    QVERIFY(answer == expected);
    QCOMPARE(closedByEscape, escapeCloses);
    QStringList expectedButtons;
    for (Answer each : offered)
        expectedButtons << (each == Answer::Save ? "Save" : each == Answer::Discard ? "Discard"
                                : each == Answer::Cancel ? "Cancel" : "Restore");
    buttons.sort();
    expectedButtons.sort();
    QCOMPARE(buttons, expectedButtons);
    QCOMPARE(defaultButton, expectedButtons.isEmpty() ? QString() : (offered.front() == Answer::Save ? "Save" : "Restore"));
}

void EditorPlatformServicesTest::openingADocumentSaysWhetherAProgramTookIt()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The desktop's opener, xdg-open, answers by its exit status: 3 when it
    // found no program for the file (no browser, no handler). One that is
    // still running after a moment runs the program it found.
    kes::test::TempDir dir;
    const std::string document = dir.file("guide.md");
    {
        QFile guide(QString::fromStdString(document));
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.write("# guide\n");
    }
    const QByteArray path = qgetenv("PATH");
    struct Case {
        const char* name;
        const char* opener; // the script; null: no xdg-open at all
        bool opened;
    };
    const Case cases[] = {
        {"no program for the file", "#!/bin/sh\necho \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n", false},
        {"opened", "#!/bin/sh\nexit 0\n", true},
        {"still running the program", "#!/bin/sh\nexec /bin/sleep 30\n", true},
        {"no opener", nullptr, false},
    };
    for (const Case& c : cases) {
        const std::filesystem::path bin = dir.path() / QByteArray(c.name).replace(' ', '-').toStdString();
        std::filesystem::create_directories(bin);
        if (c.opener) {
            const std::filesystem::path script = bin / "xdg-open";
            QFile file(QString::fromStdString(script.string()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(c.opener);
            file.close();
            std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        }
        qputenv("PATH", QByteArray::fromStdString(bin.string()));
        QtPlatformServices services;
        const bool opened = services.openDocument(document);
        qputenv("PATH", path);
        QVERIFY2(opened == c.opened, c.name);
    }
#else
    QSKIP("the desktop's opener is a program of its own only on Linux and the BSDs");
#endif
}

QTEST_MAIN(EditorPlatformServicesTest)
#include "editor_platform_services_test.moc"
