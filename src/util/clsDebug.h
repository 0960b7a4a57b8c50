#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace corvantis {

// The optional trace "Debug.txt". Off until a configuration enables it; once enabled, the file
// stays open between entries and is closed when the log object ends.
class clsDebug {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // An empty path means "Debug.txt" in the program's data folder, resolved when first needed.
    explicit clsDebug(std::string filePath = {});
    ~clsDebug();
    clsDebug(const clsDebug &) = delete;
    clsDebug &operator=(const clsDebug &) = delete;

    // The switch the configuration saves. It stays on when the file cannot be written, so a
    // save does not lose it; only the writing stops until the log is started again.
    bool Enable() const { return m_enable; }
    void SetEnable(bool enable);
    bool isWriting() const { return m_enable && !m_stopped; }
    void Startup(bool timeStamps, bool overwrite);
    void SetDBFile(const std::string &path, bool timeStamps, bool overwrite);
    void IndentIncr(std::string_view procedureName);
    void IndentDec();
    void LogBlank(bool withRule);
    void Log(std::string_view message, std::initializer_list<std::string_view> parameters = {});

    int indentLevel() const { return m_indent; }
    const std::string &filePath();
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // "a<TAB>b<CR><LF>" becomes "a{Tb}b{Cr}{Lf}".
    static std::string EscapeParameter(std::string_view text);
    // "m/d/yy hh:mm:ss" in local time.
    static std::string FormatTimeStamp(std::chrono::system_clock::time_point when);

private:
    bool openForAppend(const char *label);
    void write(const std::string &line, const char *label);
    void reportFailure(const char *label, const std::string &description);
    void close();

    std::string m_path;
    std::FILE *m_file = nullptr;
    bool m_timeStamps = true;
    int m_indent = 0;
    bool m_enable = false;
    bool m_stopped = false;
    Clock m_clock;
};

// The one log of the run, created on first use.
clsDebug &DebugLog();

} // namespace corvantis
