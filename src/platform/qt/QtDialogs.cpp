#include "platform/qt/QtDialogs.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QShortcut>
#include <QStringList>
#include <QTextEdit>

namespace glyphmere::platform::qt {
namespace {

const QString kTitle = QStringLiteral("Glyphmere");

std::string nativePath(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

// A long operation may show the hourglass over the whole program; a box that asks the user something
// shows the ordinary pointer while it is open.
class OrdinaryPointerWhileShown {
public:
    OrdinaryPointerWhileShown() : m_overriding(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_overriding)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~OrdinaryPointerWhileShown()
    {
        if (m_overriding)
            QGuiApplication::restoreOverrideCursor();
    }
    OrdinaryPointerWhileShown(const OrdinaryPointerWhileShown&) = delete;
    OrdinaryPointerWhileShown& operator=(const OrdinaryPointerWhileShown&) = delete;

private:
    bool m_overriding;
};

// Ctrl+C in a message box copies the selection in its details, or else its whole text with the details, as
// a message box on Windows copies its text.
void copyMessage(const QMessageBox& box)
{
    auto* area = box.findChild<QTextEdit*>();
    if (area && area->hasFocus() && area->textCursor().hasSelection()) {
        area->copy();
        return;
    }
    const QString details = box.detailedText();
    QGuiApplication::clipboard()->setText(details.isEmpty() ? box.text() : box.text() + '\n' + details);
}

} // namespace

QString qtFileFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        entries << parts[i].trimmed() + " (" + patterns.join(' ') + ')';
    }
    return entries.join(QStringLiteral(";;"));
}

std::unique_ptr<QMessageBox> buildMessageBox(QWidget* parent, const std::string& text, MessageButtons buttons,
                                             const std::string& details)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, kTitle, QString::fromStdString(text),
                                             QMessageBox::NoButton, parent);
    if (buttons == MessageButtons::Ok) {
        box->setStandardButtons(QMessageBox::Ok);
    } else {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    }
    auto* copy = new QShortcut(QKeySequence::Copy, box.get());
    QObject::connect(copy, &QShortcut::activated, box.get(), [shown = box.get()] { copyMessage(*shown); });
    if (!details.empty()) {
        box->setDetailedText(QString::fromStdString(details));
        // Qt keeps the details out of the tab order; a keyboard or screen-reader user must reach them too.
        if (auto* area = box->findChild<QTextEdit*>()) {
            area->setFocusPolicy(Qt::StrongFocus);
            area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            area->setAccessibleName(QStringLiteral("Details"));
        }
    }
    return box;
}

std::unique_ptr<QFileDialog> buildOpenFilesDialog(QWidget* parent, const std::string& title, const std::string& filter)
{
    auto dialog = std::make_unique<QFileDialog>(parent, QString::fromStdString(title), QString(), qtFileFilter(filter));
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    return dialog;
}

MessageAnswer QtDialogs::messageBox(const std::string& text, MessageButtons buttons)
{
    const OrdinaryPointerWhileShown pointer;
    const int answer = buildMessageBox(m_parent, text, buttons)->exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtDialogs::messageBoxWithDetails(const std::string& text, const std::string& details)
{
    const OrdinaryPointerWhileShown pointer;
    buildMessageBox(m_parent, text, MessageButtons::Ok, details)->exec();
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& defaultAnswer)
{
    const OrdinaryPointerWhileShown pointer;
    bool accepted = false;
    const QString answer = QInputDialog::getText(m_parent, kTitle, QString::fromStdString(prompt), QLineEdit::Normal,
                                                 QString::fromStdString(defaultAnswer), &accepted);
    return accepted ? answer.toStdString() : std::string();
}

std::vector<std::string> QtDialogs::openFiles(const std::string& title, const std::string& filter)
{
    const OrdinaryPointerWhileShown pointer;
    const std::unique_ptr<QFileDialog> dialog = buildOpenFilesDialog(m_parent, title, filter);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    std::vector<std::string> paths;
    for (const QString& path : dialog->selectedFiles())
        paths.push_back(nativePath(path));
    return paths;
}

std::string QtDialogs::browseForFolder(const std::string& title)
{
    const OrdinaryPointerWhileShown pointer;
    const QString folder = QFileDialog::getExistingDirectory(m_parent, QString::fromStdString(title));
    return folder.isEmpty() ? std::string() : nativePath(folder);
}

} // namespace glyphmere::platform::qt
