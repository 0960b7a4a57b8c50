#pragma once

#include "util/Task.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace corvantis {

class LineHold;
class SerialLink;
struct Settings;

// Downloads a 128-byte EDID file into a router: a header, 16 blocks of 8 bytes each answered
// by one acknowledgement, then one acknowledgement for every byte the router writes. The link
// is held for the whole transfer. Progress and the outcome leave as signals for the dialog.
class EdidTransfer : public QObject {
    Q_OBJECT

public:
    static constexpr int kEdidSize = 128;
    static constexpr int kBlockSize = 8;
    static constexpr int kBlocks = kEdidSize / kBlockSize;
    // Each acknowledgement may take this many router time-outs.
    static constexpr int kAckWait = 3;
    // Status colours as the dialog paints them: 0xBBGGRR, -1 for the dialog's own colour.
    static constexpr int kGreen = 65280;
    static constexpr int kRed = 255;
    static constexpr int kDefaultColour = -1;

    // The settings are written only to borrow the setup dialog's port under Type A.
    EdidTransfer(Settings &settings, SerialLink &link, QObject *parent = nullptr);

    // One whole download; true when the router acknowledged every byte. Always ends with
    // finished() unless abandoned.
    Task<bool> Run(int frameAddress, QString path, QString comPortName);
    // Stops before the next block. The router's writing phase cannot be interrupted.
    void Cancel();
    bool isRunning() const { return m_running; }

    static QByteArray Header(int frameAddress);
    // Block k: file bytes 8k to 8k + 7, then their XOR.
    static QByteArray Block(const QByteArray &edid, int k);
    // (value + 1) / total as a whole percentage, halves to even, with "%".
    static QString PercentText(int value, int total);

signals:
    void statusChanged(const QString &text, int colour);
    void progressChanged(int value, int maximum, const QString &percent);
    void cancelEnabledChanged(bool enabled);
    void okEnabledChanged(bool enabled);
    void finished(bool success);

private:
    enum class Phase { Idle, Blocks, Writing };

    bool loadFile(const QString &path, QByteArray &edid);
    Task<bool> transfer(const LineHold &hold, int frameAddress, const QByteArray &edid);
    Task<bool> acknowledged();
    void progressStep(int total);
    void failureState();

    Settings &m_settings;
    SerialLink &m_link;
    int m_progressValue = 0;
    int m_progressMaximum = kBlocks;
    Phase m_phase = Phase::Idle;
    bool m_running = false;
    bool m_cancelRequested = false;
};

} // namespace corvantis
