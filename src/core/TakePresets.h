#pragma once

#include <QList>
#include <QObject>
#include <map>
#include <optional>
#include <tuple>

namespace corvantis {

// Take mode: clicks only preset routes, which stay until Take sends them all as one action or
// Clear drops them. A preset is kept per output and level, so it survives scrolling and a
// change of level; a newer preset for the same output and level replaces the older one.
class TakePresets : public QObject {
    Q_OBJECT

public:
    struct Preset {
        int frameAddress = -1;
        int output = -1;
        int input = -1;
        // Levels as bits: 1 video, 2 audio, 3 both.
        int levels = 3;
    };

    using QObject::QObject;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Presets of a level replace what that level had for the output.
    void add(const Preset &preset);
    // The input preset for the output on one level (1 video, 2 audio).
    std::optional<int> inputAt(int frameAddress, int output, int level) const;
    // Every preset, one per output and input, with the levels they share merged.
    QList<Preset> all() const;
    bool isEmpty() const { return m_inputs.empty(); }
    // True when there was something to drop.
    bool clear();

signals:
    void changed();
    void enabledChanged(bool enabled);

private:
    // (frame, output, level) -> input
    std::map<std::tuple<int, int, int>, int> m_inputs;
    bool m_enabled = false;
};

} // namespace corvantis
