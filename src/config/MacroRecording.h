#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvantis {

class MacroStore;

// Record mode and the routes recorded so far. A repeated route moves to the end of the
// recording instead of appearing twice.
class MacroRecording {
public:
    // 0 idle, 1 recording, -1 finished and waiting for a macro button.
    std::int32_t RecordMode() const { return m_recordMode; }
    void setRecordMode(std::int32_t mode) { m_recordMode = mode; }
    bool isRecording() const { return m_recordMode > 0; }

    // Adds the route; a negative input is stored as 255. A value that does not fit a byte is
    // reported under "Function RecordRoute" and the route is not recorded.
    void RecordRoute(int frameAddress, int output, int input, int level);
    void ClearRecording();
    // Copies the recorded steps into macro n of the store (an empty list when nothing was
    // recorded yet). Throws RuntimeError("Subscript out of range") for n outside 0 to 49.
    void StoreRecording(MacroStore &store, int n) const;

    // Missing before the first recording of the run.
    bool exists() const { return m_steps.has_value(); }
    std::vector<std::uint32_t> steps() const;

private:
    std::int32_t m_recordMode = 0;
    // Each step under its key "frame:output:input".
    std::optional<std::vector<std::pair<std::string, std::uint32_t>>> m_steps;
};

} // namespace corvantis
