#pragma once

// What the main-window benchmarks share: a platform that answers the start-up question and
// the load dialog as an operator would, and the configurations they load.

#include "config/ConfigFile.h"
#include "util/Platform.h"

#include <QFile>
#include <QString>
#include <fstream>
#include <memory>
#include <string>

namespace corvantis::bench {

class AnsweringPlatform : public HeadlessPlatform {
public:
    AnsweringPlatform(std::string configPath, std::string dataFolder)
        : m_configPath(std::move(configPath)), m_dataFolder(std::move(dataFolder))
    {
    }

    MessageAnswer messageBox(const std::string &, const std::string &, MessageButtons buttons,
                             MessageIcon) override
    {
        ++messages;
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    std::string openFileDialog(const std::string &, const std::string &, const std::string &,
                               const std::string &) override
    {
        return m_configPath;
    }
    std::string appDataFolder() override { return m_dataFolder; }

    int messages = 0;

private:
    std::string m_configPath;
    std::string m_dataFolder;
};

// Sixteen 8x8 routers side by side and one above the other: a 128 x 128 matrix.
inline Configuration sixteenRouters(int routerType = 13)
{
    Configuration config;
    config.settings.CommPortName = "COM1";
    config.settings.CommType = 1;
    for (int slot = 0; slot < 16; ++slot) {
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(routerType);
        router->SetFrameAddress(slot);
        router->SetInputCount(7);
        router->SetOutputCount(7);
        router->SetMapIn(8 * slot);
        router->SetMapOut(8 * slot);
        router->AudioBreakaway = slot % 2 == 0;
        config.routers.set(slot, std::move(router));
    }
    return config;
}

inline bool writeConfiguration(const Configuration &config, const std::string &path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << ConfigText(config);
    return static_cast<bool>(out);
}

} // namespace corvantis::bench
