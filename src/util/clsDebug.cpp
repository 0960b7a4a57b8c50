#include "util/clsDebug.h"

#include "util/GeneralFunctions.h"
#include "util/ReportFailure.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace corvantis {

clsDebug::clsDebug(std::string filePath)
    : m_path(std::move(filePath)), m_clock([] { return std::chrono::system_clock::now(); })
{
}

clsDebug::~clsDebug()
{
    close();
}

const std::string &clsDebug::filePath()
{
    if (m_path.empty())
        m_path = ProgramDataFolder() + "Debug.txt";
    return m_path;
}

void clsDebug::SetEnable(bool enable)
{
    m_enable = enable;
    if (enable && !m_file)
        Startup(m_timeStamps, true);
}

void clsDebug::Startup(bool timeStamps, bool overwrite)
{
    m_timeStamps = timeStamps;
    close();
    m_enable = true;
    m_stopped = false;
    m_file = std::fopen(filePath().c_str(), overwrite ? "wb" : "ab");
    if (!m_file) {
        reportFailure("Sub clsDebug.Startup", std::strerror(errno));
        return;
    }
    LogBlank(true);
    Log("Session Started");
}

void clsDebug::SetDBFile(const std::string &path, bool timeStamps, bool overwrite)
{
    m_path = path;
    Startup(timeStamps, overwrite);
}

void clsDebug::IndentIncr(std::string_view procedureName)
{
    if (!procedureName.empty())
        Log(procedureName);
    ++m_indent;
}

void clsDebug::IndentDec()
{
    if (m_indent > 1)
        --m_indent;
}

void clsDebug::LogBlank(bool withRule)
{
    if (!isWriting())
        return;
    write("", "Sub clsDebug.LogBlank");
    if (withRule)
        write(std::string(26, '='), "Sub clsDebug.LogBlank");
}

void clsDebug::Log(std::string_view message, std::initializer_list<std::string_view> parameters)
{
    if (!isWriting())
        return;
    std::string line;
    if (m_timeStamps)
        line += FormatTimeStamp(m_clock()) + '\t';
    line.append(static_cast<std::size_t>(m_indent), '\t');
    line += message;
    for (auto parameter : parameters)
        line += '\t' + EscapeParameter(parameter);
    write(line, "Sub clsDebug.Log");
}

std::string clsDebug::EscapeParameter(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\r':
            out += "{Cr}";
            break;
        case '\n':
            out += "{Lf}";
            break;
        case '\t':
            out += "{Tb}";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string clsDebug::FormatTimeStamp(std::chrono::system_clock::time_point when)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%02d %02d:%02d:%02d", local.tm_mon + 1,
                  local.tm_mday, local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

bool clsDebug::openForAppend(const char *label)
{
    if (m_file)
        return true;
    m_file = std::fopen(filePath().c_str(), "ab");
    if (!m_file)
        reportFailure(label, std::strerror(errno));
    return m_file != nullptr;
}

void clsDebug::write(const std::string &line, const char *label)
{
    if (!openForAppend(label))
        return;
    const std::string entry = line + "\r\n";
    // Flushed at once: the trace is read most when the program ended badly.
    if (std::fwrite(entry.data(), 1, entry.size(), m_file) != entry.size() ||
        std::fflush(m_file) != 0)
        reportFailure(label, std::strerror(errno));
}

void clsDebug::reportFailure(const char *label, const std::string &description)
{
    // One report, then the log goes quiet: a log that cannot be written must not bury the
    // operator under a message box for every entry.
    m_stopped = true;
    close();
    ShowFailure(label, description);
}

void clsDebug::close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

clsDebug &DebugLog()
{
    static clsDebug log;
    return log;
}

} // namespace corvantis
