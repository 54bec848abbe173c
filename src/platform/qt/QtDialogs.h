#pragma once

#include "platform/Dialogs.h"

#include <QString>

#include <memory>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace glyphmere::platform::qt {

// The modal dialogs through Qt's standard boxes, each titled "Glyphmere".
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window that the dialogs are centred on; may be set once it exists.
    void setParent(QWidget* parent) { m_parent = parent; }

    MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override;
    void messageBoxWithDetails(const std::string& text, const std::string& details) override;
    std::string inputBox(const std::string& prompt, const std::string& defaultAnswer) override;
    std::vector<std::string> openFiles(const std::string& title, const std::string& filter) override;
    std::string browseForFolder(const std::string& title) override;

private:
    QWidget* m_parent;
};

// The boxes and the file dialog as the dialogs above show them, built but not yet shown.
std::unique_ptr<QMessageBox> buildMessageBox(QWidget* parent, const std::string& text, MessageButtons buttons,
                                             const std::string& details = {});
std::unique_ptr<QFileDialog> buildOpenFilesDialog(QWidget* parent, const std::string& title, const std::string& filter);

// "Label|pattern|Label|pattern" as Qt's "Label (pattern);;Label (pattern)": each label stays as written
// (the dialog hides the patterns that Qt reads from the last parentheses), patterns separated by ';'
// become blank-separated, and "*.*" becomes "*", since it stands for every name, with a dot or without.
QString qtFileFilter(const std::string& filter);

} // namespace glyphmere::platform::qt
