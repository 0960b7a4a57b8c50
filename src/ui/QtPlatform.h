#pragma once

#include "util/Platform.h"

#include <QString>
#include <QUrl>

namespace corvantis {

// The platform seam on Qt: dialogs owned by the active window, the desktop's handlers for
// documents and links, the per-user data location.
class QtPlatform : public Platform {
public:
    QtPlatform() = default;

    MessageAnswer messageBox(const std::string &text, const std::string &title,
                             MessageButtons buttons, MessageIcon icon) override;
    std::optional<std::string> inputBox(const std::string &prompt, const std::string &title,
                                        const std::string &defaultText) override;
    void beep() override;
    std::string openFileDialog(const std::string &title, const std::string &filter,
                               const std::string &folder, const std::string &fileName) override;
    std::string saveFileDialog(const std::string &title, const std::string &filter,
                               const std::string &folder, const std::string &fileName) override;
    bool controlKeyDown() override;
    bool shiftKeyDown() override;
    bool openDocument(const std::string &target) override;
    bool startProgram(const std::string &program,
                      const std::vector<std::string> &arguments) override;
    std::string appDataFolder() override;
    std::string programFolder() override;

    // The program's filter ("description:pattern" pairs joined by ":", or a lone pattern such
    // as "*.rcf") as Qt's ";;"-separated filter; empty gives all files.
    static QString qtFilter(const std::string &filter);
    // A link (mailto:, http:, ...) as it is; anything else is a local file.
    static QUrl documentUrl(const std::string &target);
};

} // namespace corvantis
