#pragma once

#include "platform/Dialogs.h"

#include <QString>

class QWidget;

namespace glyphmere::platform::qt {

// The modal dialogs through Qt's standard boxes, each titled "Glyphmere".
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window that the dialogs are centred on; may be set once it exists.
    void setParent(QWidget* parent) { m_parent = parent; }

    MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override;
    std::string inputBox(const std::string& prompt, const std::string& defaultAnswer) override;
    std::vector<std::string> openFiles(const std::string& title, const std::string& filter) override;
    std::string browseForFolder(const std::string& title) override;

private:
    QWidget* m_parent;
};

// "Label|pattern|Label|pattern" as Qt's "Label (pattern);;Label (pattern)"; patterns separated by ';'
// become blank-separated, and a label that already shows patterns in parentheses shows them once.
QString qtFileFilter(const std::string& filter);

} // namespace glyphmere::platform::qt
