// The three push buttons and the work they hand to the document list and the batch run.
#include "app/Form1.h"

#include "app/Controls.h"
#include "doclist/AddFiles.h"
#include "doclist/DocumentListView.h"
#include "doclist/FolderScan.h"
#include "word/BatchRun.h"
#include "word/RestyleDocument.h"
#include "word/WordContract.h"

namespace glyphmere::app {
namespace {

// The list's rows as the run reads them.
class ListRows final : public word::DocumentRows {
public:
    explicit ListRows(const doclist::ListItemCollection& items) : m_items(items) {}
    int count() const override { return m_items.Count(); }
    std::string text(int index) const override { return m_items(index).Text(); }

private:
    const doclist::ListItemCollection& m_items;
};

// The window's progress bar as the run writes it.
class RunProgress final : public word::ProgressBar {
public:
    explicit RunProgress(app::ProgressBar& bar) : m_bar(bar) {}
    void setProgress(float percent) override { m_bar.setProgress(percent); }

private:
    app::ProgressBar& m_bar;
};

// The window's pointer as a run sets it. A run can start while a folder walk yields to the window; the
// walk still owns the hourglass then, so the run's return to the default pointer leaves it on.
class RunPointer final : public platform::PointerSetting {
public:
    RunPointer(platform::PointerSetting& window, const doclist::FolderScan& scan) : m_window(window), m_scan(scan) {}
    int mousePointer() const override { return m_window.mousePointer(); }
    void setMousePointer(int setting) override
    {
        if (setting == platform::MousePointer::Default && m_scan.isWalking())
            return;
        m_window.setMousePointer(setting);
    }

private:
    platform::PointerSetting& m_window;
    const doclist::FolderScan& m_scan;
};

} // namespace

// The three push buttons spring back up first; the click that the reset raises finds 0 and does nothing.
void Form1::Check3_Click()
{
    if (Check3->value() != 1)
        return;
    Check3->setValue(0);
    addFilesByDialog();
}

void Form1::Check6_Click()
{
    if (Check6->value() != 1)
        return;
    Check6->setValue(0);
    addFolder();
}

void Form1::Check7_Click()
{
    if (Check7->value() != 1)
        return;
    Check7->setValue(0);
    changeFont();
}

void Form1::addFilesByDialog() { doclist::AddFilesFromDialog(m_platform.dialogs, ListView1->ListItems); }

void Form1::addFolder() { m_folderScan->run(); }

// Each restyle reads the options from the controls at the moment it applies them.
void Form1::changeFont()
{
    const ListRows rows(ListView1->ListItems);
    RunProgress progress(*ProgressBar1);
    RunPointer pointer(*this, *m_folderScan);
    platform::Automation& automation = m_platform.automation;
    platform::FileSystem& fileSystem = m_platform.fileSystem;
    platform::Dialogs& dialogs = m_platform.dialogs;
    const OptionsSource& options = *this;
    word::runBatch({
        .rows = rows,
        .progressBar = progress,
        .pointer = pointer,
        .dialogs = dialogs,
        .warnIfWordOpen = [&automation, &dialogs] { return word::WarnIfWordOpen(automation, dialogs); },
        .restyle =
            [&automation, &fileSystem, &options](const std::string& path) {
                return word::RestyleDocument(automation, fileSystem, options, path);
            },
    });
}

} // namespace glyphmere::app
