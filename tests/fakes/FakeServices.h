#pragma once

#include "platform/MousePointer.h"
#include "platform/RandomSource.h"
#include "platform/Shell.h"
#include "platform/WindowSystem.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace glyphmere::fakes {

// Records the addresses it was asked to open.
class FakeShell final : public platform::Shell {
public:
    bool openUrl(const std::string& address) override
    {
        opened.push_back(address);
        return succeeds;
    }
    std::vector<std::string> opened;
    bool succeeds = true;
};

// A screen of a chosen size, a program folder of a chosen path, and a count of event processing.
class FakeWindowSystem final : public platform::WindowSystem {
public:
    platform::TwipSize screenSize() override { return screen; }
    std::string programFolder() override { return folder; }
    void processPendingEvents() override
    {
        ++eventsProcessed;
        if (onProcessEvents)
            onProcessEvents();
    }
    void endProgram() override { ++endCalls; }

    platform::TwipSize screen{1920 * 15.0, 1080 * 15.0};
    std::string folder = "/opt/glyphmere";
    int eventsProcessed = 0;
    int endCalls = 0;
    std::function<void()> onProcessEvents; // lets a test act "during" a walk
};

// Hands out scripted numbers; with none left it returns 0.5, which never opens the home page.
class FakeRandom final : public platform::RandomSource {
public:
    void seedFromTimeOfDay() override { ++seeds; }
    double next() override
    {
        ++draws;
        if (numbers.empty())
            return 0.5;
        const double r = numbers.front();
        numbers.pop_front();
        return r;
    }
    std::deque<double> numbers;
    int seeds = 0;
    int draws = 0;
};

// A pointer setting that logs every value it was given.
class FakePointer final : public platform::PointerSetting {
public:
    int mousePointer() const override { return setting; }
    void setMousePointer(int value) override
    {
        setting = value;
        history.push_back(value);
    }
    int setting = platform::MousePointer::Default;
    std::vector<int> history;
};

} // namespace glyphmere::fakes
