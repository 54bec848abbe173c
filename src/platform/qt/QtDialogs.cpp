#include "platform/qt/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

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

} // namespace

QString qtFileFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        // Qt reads the patterns from the label's last parentheses, blank-separated: a label that
        // shows its own patterns gets them rewritten in that form.
        if (label.endsWith(')') && label.contains('('))
            label = label.left(label.lastIndexOf('(')).trimmed();
        const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        entries << label + " (" + patterns + ')';
    }
    return entries.join(QStringLiteral(";;"));
}

MessageAnswer QtDialogs::messageBox(const std::string& text, MessageButtons buttons)
{
    const OrdinaryPointerWhileShown pointer;
    QMessageBox box(QMessageBox::NoIcon, kTitle, QString::fromStdString(text), QMessageBox::NoButton, m_parent);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
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
    const QStringList chosen =
        QFileDialog::getOpenFileNames(m_parent, QString::fromStdString(title), QString(), qtFileFilter(filter));
    std::vector<std::string> paths;
    for (const QString& path : chosen)
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
