#pragma once

#include "app/Controls.h"
#include "app/Form1.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeServices.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/RecordingAutomation.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"

#include <QComboBox>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace glyphmere::app::testing {

// Files that exist as far as the window can tell: only FileExists asks. A document's kind and first bytes
// come from the real file, which the tests write.
class FakeFileSystem final : public platform::FileSystem {
public:
    std::optional<std::vector<std::string>> listDirectory(const std::string&, const std::string&, unsigned) override
    {
        return std::nullopt;
    }
    std::optional<unsigned> attributes(const std::string&) override { return std::nullopt; }
    std::optional<platform::FolderIdentity> folderIdentity(const std::string&) override { return std::nullopt; }
    std::optional<std::int64_t> lastChangeTime(const std::string& path) override
    {
        if (files.count(path))
            return 1'700'000'000;
        return std::nullopt;
    }
    platform::PathStatus pathStatus(const std::string& path) override { return real.pathStatus(path); }
    platform::FileStart firstBytes(const std::string& path, std::size_t count) override
    {
        return real.firstBytes(path, count);
    }
    std::set<std::string> files;
    platform::posix::PosixFileSystem real;
};

// A window over fakes; each test scripts the fakes, then starts the window.
class Form1Test : public ::testing::Test {
protected:
    std::unique_ptr<Form1> start(const std::string& homePage = "")
    {
        return std::make_unique<Form1>(services, homePage);
    }

    template <typename Control>
    static Control& control(Form1& form, const char* name)
    {
        auto* found = form.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }

    // A person's click on one of the three push buttons.
    static void clickButton(Form1& form, const char* name)
    {
        QTest::mouseClick(&control<GraphicalCheckBox>(form, name), Qt::LeftButton);
    }

    static QStringList entries(const QComboBox& box)
    {
        QStringList texts;
        for (int i = 0; i < box.count(); ++i)
            texts << box.itemText(i);
        return texts;
    }

    static std::string stored(const char* key, const char* value)
    {
        return std::string("Tarnwick/Glyphmere/") + key + "=" + value;
    }

    fakes::RecordingAutomation automation;
    fakes::FakeSettingsStore settings;
    FakeFileSystem fileSystem;
    fakes::FakeDialogs dialogs;
    fakes::FakeShell shell;
    fakes::FakeWindowSystem windowSystem;
    fakes::FakeRandom random;
    platform::Platform services{automation, settings, fileSystem, dialogs, shell, windowSystem, random};
};

} // namespace glyphmere::app::testing
